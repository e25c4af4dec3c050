#include "app/win32/popup_notice.h"

#include <map>

#include "app/popup_layout.h"
#include "base/clock.h"
#include "base/resource_ids.h"
#include "base/settings.h"
#include "ui/menu_model.h"
#include "ui/win32/drawing.h"
#include "ui/win32/image_decoder.h"

namespace {
HWND owner = nullptr;

PopupStack notices;
std::map<HWND, HBITMAP> contents;  // the composed client area of each notice
bool fading = false;

uintptr_t Key(HWND window) { return reinterpret_cast<uintptr_t>(window); }
HWND Window(uintptr_t key) { return reinterpret_cast<HWND>(key); }

void MoveNotice(const PopupNotice& n, UINT flags) {
    SetWindowPos(Window(n.window), HWND_TOPMOST, PopupLeft(GetSystemMetrics(SM_CXFULLSCREEN)),
                 PopupTop(GetSystemMetrics(SM_CYFULLSCREEN), n), PopupWidth, n.height, flags | SWP_NOACTIVATE);
}

void ApplyAlpha(const PopupNotice& n) {
    HWND w = Window(n.window);
    LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    if (n.alpha >= 255) {
        if (ex & WS_EX_LAYERED) SetWindowLongPtrW(w, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        return;
    }
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(w, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(w, 0, static_cast<BYTE>(n.alpha), LWA_ALPHA);
}

// Draws text with the notice's flags inside `area` from `top`; returns its bottom.
int32_t DrawBlock(HDC dc, const std::u16string& text, int32_t font, RECT area, int32_t top) {
    const UINT flags = DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
    HGDIOBJ old = GetFont(font, dc);
    RECT measure = {area.left, top, area.right, top};
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text.c_str());
    DrawTextW(dc, w, -1, &measure, flags | DT_CALCRECT);
    RECT box = {area.left, top, area.right, measure.bottom < area.bottom ? measure.bottom : area.bottom};
    DrawTextW(dc, w, -1, &box, flags);
    SelectObject(dc, old);
    return box.bottom;
}

std::u16string TimeNow() { return FormatTimeOfDay(CurrentTime(), u"h:mm"); }
}  // namespace

void SetPopupNoticeOwner(HWND window) { owner = window; }

HWND OpenPopupNotice(const std::u16string& title, const std::u16string& text, const std::u16string& hint,
                     const Picture* picture, int32_t minutes, COLORREF colour) {
    HBITMAP image = picture ? PictureBitmap(picture) : nullptr;
    HBITMAP builtIn = image ? nullptr : LoadMenuIcon(IDM_NOTICE_PICTURE);
    const DWORD rop = image ? SRCCOPY : SRCAND;  // the built-in image's white takes the gradient

    const int32_t cx = GetSystemMetrics(SM_CXFULLSCREEN), cy = GetSystemMetrics(SM_CYFULLSCREEN);
    wchar_t windowClass[64] = {};
    GetClassNameW(owner, windowClass, 64);
    HWND window = CreateWindowExW(0, windowClass, L"", WS_BORDER | WS_SYSMENU, cx - 364, cy - 76, PopupWidth,
                                  PopupCreateHeight, owner, nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), nullptr);
    if (!window) {
        if (builtIn) DeleteObject(builtIn);
        return nullptr;
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowTextW(window, reinterpret_cast<const wchar_t*>(PopupCaption(TimeNow(), title).c_str()));

    // Compose the whole client area once; painting only copies it.
    RECT client;
    GetClientRect(window, &client);
    HDC windowDc = GetDC(window);
    HDC dc = CreateCompatibleDC(windowDc);
    HBITMAP canvas = CreateCompatibleBitmap(windowDc, PopupWidth, PopupCreateHeight);
    HGDIOBJ oldCanvas = SelectObject(dc, canvas);
    HBITMAP gradient = MakeGradient(RGB(255, 255, 255), windowDc, PopupWidth, PopupCreateHeight, colour, false);
    if (gradient) {
        HDC g = CreateCompatibleDC(windowDc);
        HGDIOBJ old = SelectObject(g, gradient);
        BitBlt(dc, 0, 0, PopupWidth, PopupCreateHeight, g, 0, 0, SRCCOPY);
        SelectObject(g, old);
        DeleteDC(g);
        DeleteObject(gradient);
    }
    RECT content = client;
    InflateRect(&content, -PopupMargin, -PopupMargin);

    HBITMAP shown = image ? image : builtIn;
    int32_t pictureHeight = BlitBitmap(nullptr, PopupMargin, PopupMargin, dc, shown, rop, 100, 0, false);
    SIZE size = BitmapSize(shown);
    int32_t pictureWidth = size.cx > 100 ? 100 : size.cx;
    int32_t pictureBottom = PopupMargin + pictureHeight + PopupMargin;
    if (builtIn) DeleteObject(builtIn);

    SetBkMode(dc, TRANSPARENT);
    RECT textArea = content;
    textArea.left = pictureWidth + 16;
    int32_t bottom = DrawBlock(dc, text, FontBold, textArea, content.top);
    bottom = DrawBlock(dc, hint, FontNormal, textArea, bottom + 4);

    const int32_t height = PopupWindowHeight(pictureBottom, bottom, content.bottom);
    SelectObject(dc, oldCanvas);
    DeleteDC(dc);
    ReleaseDC(window, windowDc);
    contents[window] = canvas;

    const bool translucent = AppSettings.translucency != 0;
    PopupNotice& n = notices.Open(Key(window), height, minutes, translucent, title);
    if (translucent) ApplyAlpha(n);
    // Placed while still hidden, then shown: a window manager may keep the creation
    // geometry of a window that is moved and mapped in one step.
    MoveNotice(n, 0);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (!fading) {
        fading = SetTimer(owner, FadeTimerId, 10, nullptr) != 0;
    }
    return window;
}

bool ClosePopupNotice(HWND window) {
    if (!notices.Close(Key(window))) return false;
    DestroyWindow(window);
    SetActiveWindow(owner);
    auto it = contents.find(window);
    if (it != contents.end()) {
        DeleteObject(it->second);
        contents.erase(it);
    }
    return true;
}

void RestackPopupNotices() {
    notices.Restack();
    for (const auto& n : notices.notices()) MoveNotice(n, SWP_NOSIZE);
}

bool IsPopupNotice(HWND window) { return notices.Find(Key(window)) != nullptr; }

HWND CurrentPopupNotice() { return Window(notices.Current()); }

void PopupNoticeTick() {
    if (uintptr_t expired = notices.Tick()) {
        ClosePopupNotice(Window(expired));
        RestackPopupNotices();
    }
}

void PopupNoticeFadeStep() {
    if (!notices.FadeStep()) {
        KillTimer(owner, FadeTimerId);
        fading = false;
        return;
    }
    for (const auto& n : notices.notices()) ApplyAlpha(n);
}

void PaintPopupNotice(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    auto it = contents.find(window);
    if (it != contents.end()) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, it->second);
        BitBlt(dc, 0, 0, PopupWidth, PopupCreateHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    EndPaint(window, &ps);
}

void CloseAllPopupNotices() {
    while (HWND w = CurrentPopupNotice()) ClosePopupNotice(w);
}
