// menudemo: opens an owner-drawn menu with sample rows in each colour scheme, so that
// the drawing can be looked at and photographed.
//
//   menudemo.exe <pictures folder> [handshake folder] [schemes, e.g. 0123]
//
// For each scheme the menu opens and goes through five steps: "open" (nothing
// highlighted), "highlight" (a new person row under the mouse, its side panel showing),
// "after" (the mouse moved on; the row is drawn as read), "submenu" (a row's submenu
// open) and "rightclick" (its "Like" item right-clicked: it now offers the opposite and
// the menu stays open). After "submenu" the test right-clicks the point it was given. With a handshake folder the program appends "<step> <scheme> <x> <y>" to
// steps.txt there, where x, y is the screen point the mouse should move to next, and
// waits for the file "<step>-<scheme>.done" before it goes on; without one it moves
// the mouse itself. The exit code is the number of failed checks.
#include <windows.h>

#include <objidl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "base/clock.h"
#include "base/settings.h"
#include "base/text_table.h"
#include "store/data_store.h"
#include "ui/colour_scheme.h"
#include "ui/menu_choice.h"
#include "ui/menu_model.h"
#include "ui/record_lookup.h"
#include "ui/rich_text.h"
#include "ui/win32/image_decoder.h"
#include "ui/win32/menu_window.h"

namespace {

std::wstring picturesFolder;
std::wstring handshakeFolder;
FILE* steps;
int failures;

HWND owner;
HMENU shownMenu;
HMENU postSubmenu;
MenuItemData* likeItem;
int likeClicks;
bool liked;
int drawsAtClick;
int scheme;
int drawCount;
int measureCount;
int badMeasures;

// The sample records: the flags words the rows mark as read.
// The sample rows stand for records of the data store, as a real menu's do.
DataStore demoStore;
PopupSession session(demoStore);
const RecordRef NewRowRecord = RecordRef::Post(u"demo_1");
const RecordRef CommentRecordRef = RecordRef::Comment(u"demo_1", u"avatar_03_s.png", 1);
MenuItemData* newRow;

enum class Step { Open, Highlight, After, Submenu, RightClick, Done };
Step step;
DWORD stepStarted;
bool waitingForAck;
bool newRowSelectedOnce;
bool newRowDrawnPlainAfter;

void Check(bool ok, const char* what) {
    if (ok) return;
    ++failures;
    if (steps) {
        std::fprintf(steps, "fail %d %s\n", scheme, what);
        std::fflush(steps);
    }
}

// A person of the sample, with the picture of that file.
PictureRef LoadPicture(const wchar_t* name, bool limit) {
    std::wstring path = picturesFolder + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Check(false, "picture file missing");
        return {};
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    HBITMAP bitmap = DecodeImage(bytes.data(), read);
    Check(bitmap != nullptr, "picture did not decode");
    if (!bitmap) return {};
    if (limit) bitmap = LimitPicture(bitmap);
    UserRecord user;
    user.id.assign(name, name + wcslen(name));
    user.picture = std::make_unique<BitmapPicture>(bitmap);
    std::u16string id = user.id;
    std::lock_guard<std::mutex> hold(demoStore.mutex());
    AppendItem(demoStore.users, std::move(user), id);
    return PictureRef{PictureSlot::UserPicture, id};
}

// The post of the new row and the comment of its submenu, both unread.
void AddSampleRecords() {
    std::lock_guard<std::mutex> hold(demoStore.mutex());
    ItemNode<PostRecord>* post = nullptr;
    PostRecord record;
    record.postId = NewRowRecord.key1;
    AppendItem(demoStore.posts, std::move(record), NewRowRecord.key1, {}, 0, &post);
    if (post) post->flagsRef = &post->payload.flags;
    ItemNode<CommentRecord>* comment = nullptr;
    AppendItem(demoStore.comments, CommentRecord{}, CommentRecordRef.key1, CommentRecordRef.key2, CommentRecordRef.stamp, &comment);
    if (comment) comment->flagsRef = &comment->payload.read;
}

bool SampleRead(const RecordRef& ref) {
    std::lock_guard<std::mutex> hold(demoStore.mutex());
    uint32_t* flags = LookUpFlagsWord(demoStore, ref);
    return flags && (*flags & ItemRead) != 0;
}

std::u16string Row(std::u16string_view name, std::u16string_view summary, std::u16string_view body) {
    return FontCode(FontBold) + std::u16string(name) + FontCode(FontNormal) + u"\x05" + std::u16string(summary) +
           u"\x06\x08" + std::u16string(body);
}

std::u16string Ago(int32_t seconds) {
    std::u16string text;
    FormatItemTime(CurrentTime() - seconds, &text);
    return text;
}

void PersonTemplate(MenuItemData& t, const PictureRef& picture, const RecordRef& state, bool isNew) {
    t.picture = picture;
    t.pictureWidth = 48;
    {
        std::lock_guard<std::mutex> hold(demoStore.mutex());
        t.minHeight = ScalePicture(LookUpPicture(demoStore, picture), 40).height + 4;
    }
    t.minTextHeight = 24;
    t.personStyle = 1;
    t.divider = 1;
    t.indent = 12;
    t.stateRef = state;
    t.isNew = isNew ? 1 : 0;
}

MenuPtr CommentsMenu() {
    MenuPtr menu = CreateMenuModel();
    MenuItemData t = MakeItemTemplate(230);
    t.text = session.keep(Row(u"Eva Králová", u"2 likes · " + Ago(300), u"Great, see you on <b>Friday</b>!"));
    PersonTemplate(t, LoadPicture(L"avatar_03_s.png", false), CommentRecordRef, true);
    t.indent = 0;
    t.minHeight = 44;
    AddMenuItem(session, menu.get(), nullptr, t, 0, -1, 0);
    t.text = session.keep(Row(u"Tomáš Novák", Ago(4000), u"I can bring the projector. <i>Ten o'clock works for me.</i>"));
    PersonTemplate(t, LoadPicture(L"avatar_04_s.png", false), RecordRef(), false);
    t.indent = 0;
    t.minHeight = 44;
    AddMenuItem(session, menu.get(), nullptr, t, 0, -1, 0)->divider = 0;
    AddMenuItem(session, menu.get(), &Styles::CommentsHeader, t, 0, 0, 0);
    return menu;
}

MenuPtr PostSubmenu(const PictureRef& bigPicture, const PictureRef& photo) {
    MenuPtr menu = CreateMenuModel();
    MenuItemData t = MakeItemTemplate(0);
    t.sideText = session.keep(u"<b>Meeting notes</b><br><i>Agenda and the room for Friday's planning meeting</i>");
    t.sidePicture = photo;
    t.link = u"http://example.com/post";
    AddMenuItem(session, menu.get(), &Styles::ShowPost, t, 0, -1, 0);
    t.link = u"http://example.com/link";
    t.sideText = u"_";
    t.sidePicture = photo;
    AddMenuItem(session, menu.get(), &Styles::OpenLink, t, 0, -1, 0);
    t.text = session.keep(u"Profile of Petr Svoboda");
    t.sideText = u"_";
    t.sidePicture = bigPicture;
    AddMenuItem(session, menu.get(), &Styles::UserWall, t, 0, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::SendMsg, t, 1036, -1, 0);
    t.text = session.keep(u"Hide posts of Petr Svoboda");
    AddMenuItem(session, menu.get(), &Styles::HideUser, t, 1037, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::MarkNotice, t, 1056, -1, 0);
    likeItem = AddMenuItem(session, menu.get(), &Styles::ILikeIt, t, 1031, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::AddComm, t, 1035, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::Separator, t, 0, -1, 0);
    t.text = session.keep(u"Comments (2, no readed 1)");
    AddSubmenuItem(session, &Styles::Comments, menu.get(), t, CommentsMenu(), 0);
    return menu;
}

MenuPtr SettingsMenu() {
    MenuPtr menu = CreateMenuModel();
    MenuItemData t = MakeItemTemplate(64);
    AddMenuItem(session, menu.get(), &Styles::About, t, 1043, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::Reporting, t, 1042, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::Prefs, t, 1041, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::UpdateData, t, 1045, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::Logout, t, 1048, -1, 0);
    return menu;
}

// The sample menu: a header, person rows (a new one with a side panel, one with a
// submenu, a long read one), a disabled note, a separator, a submenu and the exit item.
MenuPtr BuildSampleMenu() {
    AddSampleRecords();
    MenuPtr menu = CreateMenuModel();
    MenuItemData t = MakeItemTemplate(230);

    const PictureRef jana = LoadPicture(L"avatar_01_s.png", false);
    const PictureRef petr = LoadPicture(L"avatar_02_s.png", false);
    const PictureRef petrBig = LoadPicture(L"avatar_02.png", true);
    const PictureRef martin = LoadPicture(L"avatar_05_s.png", false);
    const PictureRef photo = LoadPicture(L"photo_200x150.png", true);

    t.text = session.keep(Row(u"Jana Nováková", u"You and 3 like · 5/2 comments · " + Ago(720),
                              u"Just back from the <b>Krkonoše</b> mountains. The weather was <i>perfect</i> all "
                              u"weekend and the view from Sněžka was worth every step of the climb. Photos are in "
                              u"the album, more to come tonight!"));
    PersonTemplate(t, jana, NewRowRecord, true);
    t.altColours = 1;
    t.sideText = session.keep(u"<b>Krkonoše, June</b><br><i>24 photos from the weekend on the ridge</i>");
    t.sidePicture = photo;
    newRow = AddMenuItem(session, menu.get(), nullptr, t, 0, -1, 0);

    t.text = session.keep(Row(u"Petr Svoboda > Martin Dvořák", u"2 comments · " + Ago(5400),
                              u"<br><b>Re: Friday</b> Can we move the meeting to 10:00? I have a dentist "
                              u"appointment at 8 and the traffic through the centre is terrible on Fridays."));
    PersonTemplate(t, petr, RecordRef(), false);
    AddSubmenuItem(session, nullptr, menu.get(), t, PostSubmenu(petrBig, photo), 0);

    t.text = session.keep(Row(u"Martin Dvořák", u"1 like · " + Ago(30000),
                              u"Finished the bike route around the lake: 64 km, two flat tyres and one very "
                              u"friendly dog at the half-way café. <i>Next time with a spare tube.</i>"));
    PersonTemplate(t, martin, RecordRef(), false);
    AddMenuItem(session, menu.get(), nullptr, t, 0, -1, 0)->divider = 0;

    AddMenuItem(session, menu.get(), &Styles::Posts2Header, t, 0, 0, 0);
    AddMenuItem(session, menu.get(), &Styles::NoNewPosts, t, 0, -1, 0);
    AddMenuItem(session, menu.get(), &Styles::Separator, t, 0, -1, 0);
    AddSubmenuItem(session, &Styles::SettingsAndOther, menu.get(), t, SettingsMenu(), 0);
    AddMenuItem(session, menu.get(), &Styles::EndOfOrv, t, 1029, -1, 0);
    return menu;
}

// Rows of the sample menu, by position.
constexpr int NewRowIndex = 1;
constexpr int SubmenuRowIndex = 2;
constexpr int ReadRowIndex = 3;
constexpr int LikeIndex = 6;  // in the post submenu

POINT ItemCentre(int index, HMENU menu = nullptr) {
    RECT r{};
    if (!menu) menu = shownMenu;
    if (!menu || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(index), &r)) return POINT{0, 0};
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int VisibleMenus() {
    int n = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr))
        if (IsWindowVisible(w)) ++n;
    return n;
}

bool Acknowledged(const char* name) {
    if (handshakeFolder.empty()) return GetTickCount() - stepStarted > 1500;
    wchar_t path[MAX_PATH];
    swprintf(path, MAX_PATH, L"%ls\\%hs-%d.done", handshakeFolder.c_str(), name, scheme);
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

RECT ItemRect(int index) {
    RECT r{};
    if (shownMenu) GetMenuItemRect(nullptr, shownMenu, static_cast<UINT>(index), &r);
    return r;
}

// "<step> <scheme> <next x> <next y> <new row: left top right bottom>"
void Announce(const char* name, POINT next) {
    RECT row = ItemRect(NewRowIndex);
    if (steps) {
        std::fprintf(steps, "%s %d %ld %ld %ld %ld %ld %ld\n", name, scheme, next.x, next.y, row.left, row.top,
                     row.right, row.bottom);
        std::fflush(steps);
    }
    if (handshakeFolder.empty() && (next.x || next.y)) SetCursorPos(next.x, next.y);
    waitingForAck = true;
    stepStarted = GetTickCount();
}

void Advance(Step next) {
    step = next;
    waitingForAck = false;
    stepStarted = GetTickCount();
}

const char* StepName(Step s) {
    switch (s) {
    case Step::Open: return "open";
    case Step::Highlight: return "highlight";
    case Step::After: return "after";
    case Step::Submenu: return "submenu";
    case Step::RightClick: return "rightclick";
    default: return "done";
    }
}

void OnStepTimer() {
    if (waitingForAck) {
        if (!Acknowledged(StepName(step))) return;
        switch (step) {
        case Step::Open: Advance(Step::Highlight); break;
        case Step::Highlight: Advance(Step::After); break;
        case Step::After: Advance(Step::Submenu); break;
        case Step::Submenu: Advance(Step::RightClick); break;
        default:
            Advance(Step::Done);
            EndMenu();
            break;
        }
        return;
    }
    bool late = GetTickCount() - stepStarted > 8000;
    HWND panel = SidePanelWindow();
    switch (step) {
    case Step::Open:
        if ((VisibleMenus() >= 1 && drawCount >= 8) || late) {
            Check(VisibleMenus() >= 1, "the menu did not show");
            Check(drawCount >= 8, "the menu items were not drawn");
            Check(measureCount >= 8 && badMeasures == 0, "the menu items were not measured");
            Announce("open", ItemCentre(NewRowIndex));
        }
        break;
    case Step::Highlight:
        if ((panel && IsWindowVisible(panel) && newRowSelectedOnce) || late) {
            Check(newRowSelectedOnce, "the new row was not highlighted");
            Check(panel && IsWindowVisible(panel), "the side panel did not show");
            Check(SampleRead(NewRowRecord), "highlighting did not mark the row read");
            Announce("highlight", ItemCentre(ReadRowIndex));
            newRowDrawnPlainAfter = false;
        }
        break;
    case Step::After:
        if ((newRowDrawnPlainAfter && !(panel && IsWindowVisible(panel))) || late) {
            Check(newRowDrawnPlainAfter, "the row was not drawn again after the highlight");
            Check(!(panel && IsWindowVisible(panel)), "the side panel stayed");
            Check(newRow && newRow->isNew == 0, "the row still counts as new");
            Announce("after", ItemCentre(SubmenuRowIndex));
        }
        break;
    case Step::Submenu:
        if (VisibleMenus() >= 2 || late) {
            Check(VisibleMenus() >= 2, "the submenu did not open");
            likeClicks = 0;
            drawsAtClick = drawCount;
            Announce("submenu", ItemCentre(LikeIndex, postSubmenu));
        }
        break;
    case Step::RightClick:
        if ((likeClicks > 0 && drawCount > drawsAtClick + 1) || late) {
            Check(likeClicks == 1, "the right click did not run the item's command");
            Check(likeItem && likeItem->text == LookupText("NOLIKE"), "the item did not change its text");
            Check(VisibleMenus() >= 2, "the menu closed on a right click");
            Announce("rightclick", POINT{0, 0});
        }
        break;
    case Step::Done:
        break;
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENUPOPUP:
        if (!shownMenu) shownMenu = reinterpret_cast<HMENU>(wParam);
        else if (LOWORD(lParam) == SubmenuRowIndex && !postSubmenu) postSubmenu = reinterpret_cast<HMENU>(wParam);
        break;
    case WM_MEASUREITEM: {
        LRESULT result = 0;
        HandleMenuMessage(window, message, wParam, lParam, &result);
        auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        ++measureCount;
        if (m->itemWidth < 64 || m->itemHeight < 3 || m->itemHeight > 600) ++badMeasures;
        return result;
    }
    case WM_DRAWITEM: {
        auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        ++drawCount;
        if (newRow && d->itemData == reinterpret_cast<ULONG_PTR>(newRow)) {
            if (d->itemState & ODS_SELECTED) newRowSelectedOnce = true;
            else if (newRowSelectedOnce) newRowDrawnPlainAfter = true;
        }
        break;
    }
    case WM_TIMER:
        if (wParam == 7) OnStepTimer();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        PaintGradient(dc, client, GetSysColor(COLOR_BTNFACE), CurrentColourScheme().header1, true);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (HandleMenuMessage(window, message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    picturesFolder = argc > 1 ? argv[1] : L".";
    handshakeFolder = argc > 2 ? argv[2] : L"";
    std::wstring schemes = argc > 3 ? argv[3] : L"0123";
    std::wstring stepsPath = (handshakeFolder.empty() ? std::wstring(L".") : handshakeFolder) + L"\\steps.txt";
    steps = _wfopen(stepsPath.c_str(), L"w");

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput startup;
    Gdiplus::GdiplusStartup(&gdiplusToken, &startup, nullptr);
    InstallImageDecoder();
    AppSettings.language = LangEnglish;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"OrvMenuDemo";
    RegisterClassExW(&wc);
    owner = CreateWindowExW(0, L"OrvMenuDemo", L"Orv menu demo", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024, nullptr,
                            nullptr, instance, nullptr);
    Check(owner != nullptr, "no window");
    InstallMenuDrawing(owner);
    // The commands of the sample items: "Like" turns into its opposite, as in the program.
    SetMenuChoiceHooks({nullptr,
                        [](MenuItemData* item, int32_t action) -> int32_t {
                            if (action == 1031) {
                                liked = !liked;
                                item->text = LookupText(liked ? "NOLIKE" : "ILIKEIT");
                                ++likeClicks;
                            }
                            return 0;
                        },
                        nullptr});
    SetTimer(owner, 7, 50, nullptr);

    for (wchar_t c : schemes) {
        if (c < L'0' || c > L'3') continue;
        scheme = c - L'0';
        AppSettings.ColourScheme = scheme;
        InvalidateRect(owner, nullptr, TRUE);
        UpdateWindow(owner);
        shownMenu = postSubmenu = nullptr;
        likeItem = nullptr;
        liked = false;
        drawCount = measureCount = badMeasures = 0;
        newRowSelectedOnce = newRowDrawnPlainAfter = false;
        Advance(Step::Open);
        SetCursorPos(1200, 1000);
        SetPopupMenuPosition(900, 150);
        MenuPtr sample = BuildSampleMenu();
        ShowPopupMenu(owner, session, std::move(sample), false);
        Check(step == Step::Done, "the menu closed before its steps were done");
        Check(session.empty(), "the menu data was not released");
        demoStore.ReleaseSignedInData();
    }

    if (steps) {
        std::fprintf(steps, "end %d\n", failures);
        std::fclose(steps);
    }
    DestroyWindow(owner);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    LocalFree(argv);
    return failures;
}
