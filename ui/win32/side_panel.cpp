// The side panel: more text and a bigger picture beside the highlighted menu item.
#include <algorithm>
#include <functional>
#include <string>

#include "ui/record_lookup.h"
#include "ui/rich_text.h"
#include "ui/win32/image_decoder.h"
#include "ui/win32/menu_window.h"

namespace {

constexpr size_t SideTextLimit = 2048;
constexpr int32_t SideTextWidth = 320;
constexpr int32_t Margin = 4;
const wchar_t PanelClass[] = L"OrvSidePanel";

HWND panel;
std::u16string shownText;
PictureRef shownPicture;  // looked up under the store's lock at every use
DataStore* shownStore = nullptr;  // the open popup's store

void WithShownPicture(const PictureRef& ref, const std::function<void(const Picture*)>& use) {
    if (shownStore) WithPicture(*shownStore, ref, use);
    else use(nullptr);
}

bool PictureOnly(std::u16string_view text) { return !text.empty() && text.front() == u'_'; }

SIZE PictureSizeOf(const PictureRef& ref) {
    SIZE size{0, 0};
    WithShownPicture(ref, [&](const Picture* picture) {
        if (HBITMAP bitmap = PictureBitmap(picture)) size = BitmapSize(bitmap);
    });
    return size;
}

// The text's left edge inside the client area.
int32_t TextLeft() {
    SIZE pictureSize = PictureSizeOf(shownPicture);
    return pictureSize.cx > 0 ? pictureSize.cx + 8 : Margin;
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    const ColourScheme& scheme = CurrentColourScheme();
    PaintGradient(dc, client, scheme.background1, scheme.background2, false);
    if (!shownText.empty() && !PictureOnly(shownText)) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        GdiCanvas canvas(dc);
        // The width it was measured with, so that the lines break where they did.
        MenuRect area{TextLeft(), Margin, TextLeft() + SideTextWidth, client.bottom - Margin};
        DrawRichText(canvas, shownText, area, false);
    }
    WithShownPicture(shownPicture, [&](const Picture* picture) {
        if (HBITMAP bitmap = PictureBitmap(picture)) BlitBitmap(nullptr, Margin, Margin, dc, bitmap, SRCCOPY, 0, 0, true);
    });
    EndPaint(window, &ps);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A pop-up window of its own class: it must never take part in what the main window
// class does at creation, and it never takes the focus from the open menu.
HWND CreatePanel() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = PanelClass;
    wc.style = CS_DROPSHADOW;
    RegisterClassExW(&wc);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, PanelClass, L"", WS_POPUP | WS_BORDER,
                           0, 0, 100, 50, nullptr, nullptr, instance, nullptr);
}

}  // namespace

HWND SidePanelWindow() { return panel; }

void ShowSidePanel(DataStore* store, const std::u16string_view* text, const PictureRef* picture, int32_t x,
                   int32_t y) {
    if (!panel) panel = CreatePanel();
    if (!panel) return;
    bool given = text && !text->empty();
    if (given) {
        shownStore = store;
        shownText.assign(text->substr(0, SideTextLimit));
        shownPicture = picture ? *picture : PictureRef();
    }
    if (shownText.empty()) return;
    if (!given) {
        InvalidateRect(panel, nullptr, FALSE);
        return;
    }

    int32_t width = 0;
    int32_t height = 0;
    if (!PictureOnly(shownText)) {
        HDC screen = GetDC(panel);
        HDC dc = CreateCompatibleDC(screen);
        ReleaseDC(panel, screen);
        {
            GdiCanvas canvas(dc);
            MenuRect area{0, 0, SideTextWidth, 0};
            DrawRichText(canvas, shownText, area, true);
            width = area.right;
            height = area.bottom;
        }
        DeleteDC(dc);
    }
    SIZE pictureSize = PictureSizeOf(shownPicture);
    if (pictureSize.cx > 0) {
        width += pictureSize.cx + 4;
        height = std::max<int32_t>(height, pictureSize.cy);
    }
    if (width <= 0 || height <= 0) {
        HideSidePanel();
        return;
    }

    RECT frame{0, 0, width + 2 * Margin, height + 2 * Margin};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    int32_t outerWidth = frame.right - frame.left;
    int32_t outerHeight = frame.bottom - frame.top;
    int32_t left = std::max(x - outerWidth, 0);
    int32_t top = y - outerHeight;
    if (top < 0) top = y + 16;
    int32_t screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    left = std::max(0, std::min(left, screenWidth - 8 - outerWidth));
    top = std::max(0, std::min(top, screenHeight - outerHeight));
    SetWindowPos(panel, HWND_TOPMOST, left, top, outerWidth, outerHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(panel, nullptr, FALSE);
}

void HideSidePanel() {
    if (panel) ShowWindow(panel, SW_HIDE);
    shownText.clear();
    shownPicture = {};
}
