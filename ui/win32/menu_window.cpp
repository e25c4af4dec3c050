// Owner-drawn popup menus on screen: realising menu models, measuring and drawing
// their items, the menu bar, and the messages of an open popup.
#include "ui/win32/menu_window.h"

#include <algorithm>

#include "ui/colour_scheme.h"
#include "ui/command_table.h"
#include "ui/menu_bar.h"
#include "ui/menu_choice.h"
#include "ui/record_lookup.h"
#include "ui/rich_text.h"
#include "ui/win32/image_decoder.h"

namespace {

constexpr int32_t MinimumItemWidth = 64;
constexpr int32_t SeparatorHeight = 3;
constexpr COLORREF DividerShadow = 0x99A8AC;

HDC measuringDc;
GdiCanvas* measuringCanvas;
int32_t menuSlack = 14;  // what the system adds to an owner-drawn item's width
POINT menuPosition;
PopupSession* openSession;  // the items of the popup on screen

std::u16string FormatLocalDate(int32_t seconds, std::u16string_view datePicture, std::u16string_view timePicture) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (static_cast<uint64_t>(static_cast<int64_t>(seconds) + 11644473600LL)) * 10000000ULL;
    FILETIME utc{ticks.LowPart, ticks.HighPart};
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
        return DefaultDateFormatter(seconds, datePicture, timePicture);
    std::wstring datePic(datePicture.begin(), datePicture.end());
    std::wstring timePic(timePicture.begin(), timePicture.end());
    wchar_t date[64] = {};
    wchar_t time[32] = {};
    GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &st, datePic.c_str(), date, 64);
    GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, TIME_FORCE24HOURFORMAT, &st, timePic.c_str(), time, 32);
    std::u16string out(reinterpret_cast<const char16_t*>(date));
    out += reinterpret_cast<const char16_t*>(time);
    return out;
}

// Twice the average character width of the menu font: the system adds it to the width
// an owner-drawn item asks for.
int32_t MeasureMenuSlack(HDC dc) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return 14;
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    if (!font) return 14;
    HGDIOBJ old = SelectObject(dc, font);
    static const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32W(dc, letters, 52, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    return 2 * ((size.cx / 26 + 1) / 2);
}

HBRUSH Brush(COLORREF colour) { return CreateSolidBrush(colour); }

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = Brush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

MenuItemData* ItemOf(UINT itemId, ULONG_PTR itemData) {
    return openSession ? openSession->find(itemId, reinterpret_cast<const void*>(itemData)) : nullptr;
}

void RepaintOpenMenus() {
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))
        InvalidateRect(menu, nullptr, TRUE);
}

// A right click on the item at `position` of an open popup: its command runs, its
// right address opens, and the menu stays open with the changed texts.
bool RightClickItem(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID;
    if (!menu || position < 0 || !GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return false;
    if (!openSession || !RunRightClickedMenuItem(*openSession, info.wID)) return false;
    RepaintOpenMenus();
    return true;
}

// Right clicks are taken from the menu's own message loop: not every system sends
// WM_MENURBUTTONUP (Wine does not), and a click handled here never reaches the menu,
// so it is never handled twice.
HHOOK menuFilter;

LRESULT CALLBACK MenuFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_MENU && msg && msg->message == WM_RBUTTONUP) {
        HWND window = WindowFromPoint(msg->pt);
        wchar_t className[16] = {};
        if (window && GetClassNameW(window, className, 16) && lstrcmpW(className, L"#32768") == 0) {
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
            if (RightClickItem(menu, MenuItemFromPoint(nullptr, menu, msg->pt))) return TRUE;
        }
    }
    return CallNextHookEx(menuFilter, code, wParam, lParam);
}

// A popup takes the keyboard only while its owner is the foreground window, and a
// hidden window cannot be that under every system (under Wine the keys of a tray menu
// went nowhere, so neither the arrows nor Escape worked). A hidden owner lends the
// popup this window instead: shown, one pixel at the menu's corner, never in the task
// bar, and it forwards the menu's messages.
const wchar_t AnchorClass[] = L"OrvPopupAnchor";
HWND anchor;

LRESULT CALLBACK AnchorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleMenuMessage(window, message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND ForegroundOwner(HWND owner) {
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) return owner;
    if (!anchor) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = AnchorProc;
        wc.hInstance = instance;
        wc.lpszClassName = AnchorClass;
        RegisterClassExW(&wc);
        anchor = CreateWindowExW(WS_EX_TOPMOST, AnchorClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, instance, nullptr);
        if (!anchor) return owner;
    }
    SetWindowPos(anchor, HWND_TOPMOST, menuPosition.x, menuPosition.y, 1, 1, SWP_SHOWWINDOW);
    return anchor;
}

}  // namespace

void InstallMenuDrawing(HWND mainWindow) {
    if (!measuringDc) {
        HDC screen = GetDC(mainWindow);
        measuringDc = CreateCompatibleDC(screen);
        ReleaseDC(mainWindow, screen);
        if (!measuringDc) return;
        menuSlack = MeasureMenuSlack(measuringDc);
        measuringCanvas = new GdiCanvas(measuringDc);
        CreateMenuFonts();
    }
    SetMeasuringCanvas(measuringCanvas);
    SetDateFormatter(FormatLocalDate);
}

HMENU RealiseMenu(const Menu& menu, bool menuBar) {
    HMENU handle = menuBar ? CreateMenu() : CreatePopupMenu();
    if (!handle) return nullptr;
    UINT position = 0;
    for (const MenuEntry& entry : menu.entries()) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
        info.wID = entry.id;
        info.fState = entry.disabled ? (MFS_DISABLED | MFS_GRAYED) : 0;
        std::wstring text;
        switch (entry.kind) {
        case MenuEntryKind::OwnerDrawn:
            info.fType = MFT_OWNERDRAW;
            info.fMask |= MIIM_DATA;
            info.dwItemData = reinterpret_cast<ULONG_PTR>(entry.data);
            break;
        case MenuEntryKind::String:
            info.fType = MFT_STRING;
            info.fMask |= MIIM_STRING;
            text.assign(entry.text.begin(), entry.text.end());
            info.dwTypeData = text.data();
            info.cch = static_cast<UINT>(text.size());
            break;
        case MenuEntryKind::Separator:
            info.fType = MFT_SEPARATOR;
            break;
        }
        if (entry.submenu) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = RealiseMenu(*entry.submenu, false);
        }
        InsertMenuItemW(handle, position++, TRUE, &info);
    }
    return handle;
}

void InstallMenuBar(HWND mainWindow, DataStore& store) {
    if (!mainWindow) return;
    InstallMenuDrawing(mainWindow);
    MenuPtr bar = BuildMenuBar(CommandTable, store);
    HMENU handle = bar ? RealiseMenu(*bar, true) : nullptr;
    HMENU old = GetMenu(mainWindow);
    SetMenu(mainWindow, handle);
    if (old) DestroyMenu(old);
    DrawMenuBar(mainWindow);
}

void SetPopupMenuPosition(int32_t x, int32_t y) { menuPosition = POINT{x, y}; }

bool PopupSessionOpen() { return openSession != nullptr; }

int ShowPopupMenu(HWND owner, PopupSession& session, MenuPtr menu, bool atCursor) {
    if (!menu || openSession) {
        session.clear();
        return 0;
    }
    if (atCursor) GetCursorPos(&menuPosition);
    HMENU handle = RealiseMenu(*menu, false);
    if (!handle) {
        RunChosenMenuItem(session, 0);
        return 0;
    }
    // In front first, and a null message after: otherwise a click elsewhere or Escape
    // does not close a popup opened from the tray.
    owner = ForegroundOwner(owner);
    SetForegroundWindow(owner);
    openSession = &session;
    menuFilter = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
    int chosen = static_cast<int>(TrackPopupMenu(handle, TPM_RETURNCMD | TPM_RIGHTALIGN, menuPosition.x,
                                                 menuPosition.y - 16, 0, owner, nullptr));
    if (menuFilter) UnhookWindowsHookEx(menuFilter);
    menuFilter = nullptr;
    openSession = nullptr;
    HideSidePanel();
    RunChosenMenuItem(session, static_cast<uint32_t>(chosen));
    PostMessageW(owner, WM_NULL, 0, 0);
    if (owner == anchor) ShowWindow(anchor, SW_HIDE);
    DestroyMenu(handle);
    return chosen;
}

void MeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    MenuItemData* item = ItemOf(measure->itemID, measure->itemData);
    if (!item) return;
    const ItemStyle& style = EffectiveStyle(*item);
    TextCanvas& canvas = MeasuringCanvas();
    const uint32_t format = TextCalcRect | TextNoPrefix | TextExpandTabs;
    int32_t menuWidth = item->menuWidthRef ? *item->menuWidthRef : item->menuWidth;

    MenuRect first{0, 0, menuWidth + 14, 0};
    MeasureItemText(canvas, item->text, style.font, first, format, true);
    int32_t width = std::max(MinimumItemWidth, item->indent + item->pictureWidth + first.right - 10);

    // The body is laid out at the width it will be drawn with.
    int32_t textWidth = width + menuSlack - 4 - item->indent - item->pictureWidth;
    MenuRect full{0, 0, std::max(textWidth, first.right), 0};
    int32_t previous = canvas.selectFont(style.font);
    DrawItemText(item->text, canvas, full, format, false, true);
    canvas.selectFont(previous);

    int32_t height = full.bottom + 4;
    if (item->minTextHeight > 0) height = std::max(height, item->minTextHeight);
    if (style.flags & StyleSeparator) {
        height = SeparatorHeight;
    } else {
        height = std::max(height, item->minHeight);
        if (item->divider) height += 2;
    }
    measure->itemWidth = static_cast<UINT>(width);
    measure->itemHeight = static_cast<UINT>(height);
}

void DrawMenuItem(const DRAWITEMSTRUCT* draw) {
    MenuItemData* item = ItemOf(draw->itemID, draw->itemData);
    if (!item) return;
    const ItemStyle& style = EffectiveStyle(*item);
    bool separator = (style.flags & StyleSeparator) != 0;
    if (item->text.empty() && !separator) return;
    const ColourScheme& scheme = CurrentColourScheme();
    HDC dc = draw->hDC;
    RECT rc = draw->rcItem;
    COLORREF textColour = style.textColour;

    if ((draw->itemAction & ODA_SELECT) && !(draw->itemState & ODS_SELECTED)) HideSidePanel();

    bool vertical = item->personStyle != 0;
    if ((draw->itemState & ODS_SELECTED) && !(style.flags & StyleDisabled)) {
        bool gradient = rc.right > 128 && !(style.flags & StyleNoBackground);
        textColour = ReadableTextColour(scheme.highlightText, style.textColour, scheme.highlight1,
                                        gradient ? scheme.highlight2 : scheme.highlight1);
        RECT highlight = rc;
        if (item->divider) highlight.bottom -= 3;
        Fill(dc, highlight, scheme.highlight1);
        if (gradient)
            PaintGradient(dc, highlight, scheme.highlight1, scheme.highlight2, vertical);
        MarkItemRecordRead(openSession->store(), *item);
        HBRUSH frame = Brush(scheme.highlight2);
        FrameRect(dc, &highlight, frame);
        DeleteObject(frame);
        if (!item->sideText.empty()) {
            RECT firstItem{};
            HWND menuWindow = WindowFromDC(dc);
            if (GetMenuItemRect(menuWindow, reinterpret_cast<HMENU>(draw->hwndItem), 0, &firstItem))
                ShowSidePanel(&openSession->store(), &item->sideText, &item->sidePicture, firstItem.left - 16, firstItem.top + rc.bottom);
        }
    } else {
        Fill(dc, rc, scheme.background1);
        if (!(style.flags & StyleNoBackground)) {
            COLORREF from = item->altColours ? scheme.background2 : scheme.background1;
            COLORREF to = item->altColours ? scheme.background1 : scheme.background2;
            if (item->isNew && !(style.flags & StyleHeader) && !ItemRecordRead(openSession->store(), *item)) {
                from = scheme.new1;
                to = scheme.new2;
            }
            if (style.flags & StyleHeader) {
                from = scheme.header1;
                to = scheme.header2;
            }
            if (style.flags & StyleNewColours) {
                from = scheme.new1;
                to = scheme.new2;
            }
            PaintGradient(dc, rc, from, to, vertical);
        }
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    HFONT oldFont = GetFont(style.font, dc);

    WithPicture(openSession->store(), item->picture, [&](const Picture* picture) {
        if (HBITMAP bitmap = PictureBitmap(picture))
            BlitBitmap(nullptr, rc.left + 2, rc.top + 2, dc, bitmap, SRCCOPY, 40, 0, false);
    });

    if (separator || item->divider) {
        DrawLine(dc, rc.left, rc.bottom - 2, rc.right - 1, rc.bottom - 2, DividerShadow);
        DrawLine(dc, rc.left, rc.bottom - 1, rc.right - 1, rc.bottom - 1, RGB(255, 255, 255));
    }

    if (!item->text.empty()) {
        MenuRect area;
        if (style.flags & StyleCentred) {
            int32_t w = item->measured.width();
            int32_t h = item->measured.height();
            area.left = rc.left + ((rc.right - rc.left) / 2 - w / 2);
            area.top = rc.top + ((rc.bottom - rc.top) / 2 - h / 2) - 1;
            area.right = area.left + w + 1;
            area.bottom = area.top + h + 1;
        } else {
            area = MenuRect{rc.left + item->pictureWidth, rc.top + 3, rc.right - 4 - item->indent, rc.bottom};
        }
        GdiCanvas canvas(dc);
        canvas.selectFont(style.font);
        DrawItemText(item->text, canvas, area, TextNoPrefix | TextExpandTabs, false, false);
    }

    if (item->iconId) {
        if (HBITMAP icon = LoadMenuIcon(item->iconId)) {
            BlitBitmap(nullptr, rc.left + 2, rc.top + 4, dc, icon, SRCAND, 0, 0, false);
            DeleteObject(icon);
        }
    }
    if (oldFont) SelectObject(dc, oldFont);
}

bool HandleMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT ignored = 0;
    if (!result) result = &ignored;
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlType != ODT_MENU) return false;
        MeasureMenuItem(measure);
        *result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || draw->CtlType != ODT_MENU) return false;
        DrawMenuItem(draw);
        *result = TRUE;
        return true;
    }
    case WM_MENURBUTTONUP:
        if (!RightClickItem(reinterpret_cast<HMENU>(lParam), static_cast<int>(wParam))) return false;
        *result = 0;
        return true;
    case WM_MENUSELECT:
        // The menu closed (no item, no menu): nothing stays beside it.
        if (HIWORD(wParam) == 0xFFFF && lParam == 0) HideSidePanel();
        return false;
    case WM_UNINITMENUPOPUP:
    case WM_EXITMENULOOP:
        HideSidePanel();
        return false;
    case WM_PAINT:
        if (window && window == SidePanelWindow()) {
            ShowSidePanel(nullptr, nullptr, nullptr, 0, 0);
            return false;
        }
        return false;
    default:
        return false;
    }
}
