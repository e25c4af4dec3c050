// The menu model: popup menus as plain data, the per-item record of an owner-drawn item
// (MenuItemData), the constant display records of fixed entries (ItemStyle), and the
// operations every menu builder uses. Nothing here touches Windows; the shell realises a
// Menu as owner-drawn HMENUs (ui/win32/menu_window.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/picture.h"
#include "ui/popup_session.h"

class Menu;

// Rectangle in pixels: left, top, right, bottom.
struct MenuRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

// The DrawTextW format bits the menu code passes around (same values as Windows).
constexpr uint32_t TextExpandTabs = 0x40;
constexpr uint32_t TextCalcRect = 0x400;
constexpr uint32_t TextNoPrefix = 0x800;

// ItemStyle flag bits.
constexpr uint32_t StyleSeparator = 0x100;     // a 3-pixel line
constexpr uint32_t StyleAction = 0x200;        // an action entry (no drawing difference)
constexpr uint32_t StyleNoBackground = 0x400;  // no gradient under the item
constexpr uint32_t StyleDivider = 0x800;       // AddMenuItem sets the item's divider
constexpr uint32_t StyleHeader = 0x1000;       // header colours
constexpr uint32_t StyleDisabled = 0x8000;     // inserted disabled, never highlighted
constexpr uint32_t StyleCentred = 0x10000;     // text centred in the item
constexpr uint32_t StyleNewColours = 0x20000;  // drawn in the new-item colours

// MenuItemData::itemFlags bit.
constexpr uint32_t ItemDisabled = 0x8000;

// Command ids of popup items carry this bit; only the low 16 bits select the node.
constexpr uint32_t POPUP_ITEM_BIT = 0x80000;

// Fonts of the owner-drawn menus (indexes of the font table).
enum MenuFont : int32_t {
    FontNormal = 0,   // Tahoma 13
    FontArial15 = 1,  // Arial 15
    FontHeading = 2,  // Arial 18 bold
    FontBold = 3,     // Tahoma 13 bold
    FontItalic = 4,   // Tahoma 13 italic
};
constexpr int32_t MenuFontCount = 5;

// Width the first item of a menu starts with when the template gives none.
constexpr int32_t DefaultMenuWidth = 230;

struct ItemStyle {
    const char* key;            // TextTable key; "" for the separator
    int32_t font;
    uint32_t flags;
    uint32_t textColour;        // COLORREF; black in every style
    uint32_t reserved;
    const char16_t* sideText;   // none in every style
    int32_t iconId;             // MENUICONS resource id, 0 for none
};

// The display records, named after their key; a key with several styles has a suffix
// for the variant.
namespace Styles {
// Font 0, no flags.
extern const ItemStyle ReadFromFacebook, EndOfOrv, StatusUpdate, Login, MainPage, Posts2,
    MarkReadedComms, FavDialogMenu, GoToLinkInText;
// Font 0, 0x200.
extern const ItemStyle OpenLink, ShowPost, ShowPostPosts, Comments, UserWall, RecFriends, Notice2,
    ItLikes, ILikeIt, NoLike, HidePost, HideUser, ShowUser, Posts2Action, Messages2, SendMsg,
    GetToken, MarkNotice, MarkNotice2, AddComm, GoTo, SettingsAndOther, Prefs, Reporting, UsersHid,
    About, UpdateData, Logout;
// Font 0, 0x8200.
extern const ItemStyle Reading;
// Font 0, 0x8500: the separator.
extern const ItemStyle Separator;
// Font 0, 0x10200.
extern const ItemStyle SendMsgCentred, MarkReaded;
// Font 0, 0x18200: disabled notes.
extern const ItemStyle NoNew, LoginToFb, NoNewPosts, CzechLang, EngLang, DeLang, SlovakLang;
// Font 2, 0x8800.
extern const ItemStyle MainTitle;
// Font 2, 0x19A00: section headers.
extern const ItemStyle StatusUpdateHeader, Posts2Header, CommentsHeader, Notice2Header,
    ItLikesHeader, Messages2Header, RecFriendsHeader, PostsNewAndUpdatedHeader, NewAndUpHeader,
    GoToHeader;
// Font 3: bold captions of sections with new items.
extern const ItemStyle Messages2Bold, StatusUpdateBold, Notice2Bold, Posts2Bold;
}  // namespace Styles

// Every style above, ended by a row whose key is nullptr.
extern const ItemStyle ItemStyleTable[];

// The record of one owner-drawn popup item. Texts are views of texts its PopupSession
// keeps (or constant texts); records and pictures are named, never pointed at.
struct MenuItemData {
    PopupSession* session = nullptr;  // keeps the texts of the item (set when it is added)
    Menu* menu = nullptr;
    uint32_t commandId = 0;
    std::u16string_view text;       // rich text
    int32_t iconId = 0;
    std::u16string_view sideText;   // "_" shows the side picture alone
    std::u16string_view link;
    std::u16string_view rightLink;
    RecordRef post;
    RecordRef comment;
    RecordRef user;
    RecordRef message;
    PictureRef picture;
    PictureRef sidePicture;
    const ItemStyle* style = nullptr;  // nullptr: Styles::ReadFromFacebook
    int32_t pictureWidth = 0;
    int32_t indent = 0;
    int32_t minHeight = 0;
    int32_t divider = 0;
    int32_t altColours = 0;
    int32_t action = 0;
    int32_t personStyle = 0;
    int32_t isNew = 0;
    MenuRect measured;
    int32_t menuWidth = 0;
    int32_t* menuWidthRef = nullptr;
    uint32_t itemFlags = 0;
    RecordRef stateRef;             // the record whose read bit highlighting sets
    int32_t minTextHeight = 0;
};

// Keeps a new text for an item of an open popup (a command changing the item's text);
// empty when the item belongs to no session.
std::u16string_view KeepItemText(MenuItemData& item, std::u16string text);

// The style an item is drawn with.
const ItemStyle& EffectiveStyle(const MenuItemData& item);

// ---- Menus as data. ----

enum class MenuEntryKind { OwnerDrawn, String, Separator };

struct MenuEntry {
    MenuEntryKind kind = MenuEntryKind::OwnerDrawn;
    uint32_t id = 0;
    MenuItemData* data = nullptr;   // owner-drawn items
    std::u16string text;            // string items
    bool disabled = false;
    std::unique_ptr<Menu> submenu;  // owned: a menu destroys its submenus with it
};

class Menu {
public:
    std::vector<MenuEntry>& entries() { return entries_; }
    const std::vector<MenuEntry>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Position semantics: -1 (or any position past the end) appends.
    MenuEntry& insert(int32_t position, MenuEntry entry);
    MenuEntry& append(MenuEntry entry) { return insert(-1, std::move(entry)); }

private:
    std::vector<MenuEntry> entries_;
};

using MenuPtr = std::unique_ptr<Menu>;
inline MenuPtr CreateMenuModel() { return std::make_unique<Menu>(); }

// Inserts an owner-drawn item built from `item` (the template), then resets the
// template. Position -1 appends, 0 puts the item at the top. Returns the new record,
// or nullptr when it could not be allocated.
MenuItemData* AddMenuItem(PopupSession& session, Menu* menu, const ItemStyle* style, MenuItemData& item,
                          int32_t action, int32_t position, uint32_t itemFlags);

// Appends an owner-drawn item that opens `submenu` (the menu takes it). Does nothing
// and returns nullptr when there is no submenu.
MenuItemData* AddSubmenuItem(PopupSession& session, const ItemStyle* style, Menu* menu, MenuItemData& item,
                             MenuPtr submenu, uint32_t itemFlags);

// Clears the per-item fields of a template; keeps the ones builders set per menu.
void ResetItemTemplate(MenuItemData& item);

// A fresh template with the usual defaults (pictureWidth 24, minHeight 22).
MenuItemData MakeItemTemplate(int32_t menuWidth);

// ---- Text helpers the builders share. ----

// Appends prefix + text (cut to maxLength with "..." when maxLength > 0 and shorter than
// the text) + suffix to buffer. With dropPrefixWhenEmpty and an empty buffer the prefix
// is left out. Returns 0 when text or buffer is absent, 1 otherwise (an empty text
// changes nothing).
int32_t AppendTextPart(const std::u16string* text, std::u16string* buffer, std::u16string_view prefix,
                       std::u16string_view suffix, int32_t maxLength, bool dropPrefixWhenEmpty);
int32_t AppendTextPart(std::u16string_view text, std::u16string& buffer, std::u16string_view prefix,
                       std::u16string_view suffix, int32_t maxLength, bool dropPrefixWhenEmpty);

constexpr size_t ItemTimeLimit = 32;  // units of a formatted item time, terminator included

struct RelativeTimeRow {
    int32_t limit;    // seconds
    const char* key;
    int32_t divisor;
};
extern const RelativeTimeRow RelativeTimeTable[];  // ended by a row with key nullptr

// Formats the local date and time for the absolute form (" ddd d.M.yy, h:mm"): the
// date with the date picture, then the time with the time picture. The shell installs
// GetDateFormatW/GetTimeFormatW; the default uses the C library's local time.
using DateFormatter = std::u16string (*)(int32_t seconds, std::u16string_view datePicture,
                                          std::u16string_view timePicture);
void SetDateFormatter(DateFormatter formatter);  // nullptr restores the default
std::u16string DefaultDateFormatter(int32_t seconds, std::u16string_view datePicture,
                                    std::u16string_view timePicture);

// Writes the age of `time` into buffer (emptied first). Returns 1 when a text was
// written, 0 for an absent buffer or a time of 0.
int32_t FormatItemTime(int32_t time, std::u16string* buffer);

struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The picture's size, scaled down in proportion when wider than maxWidth (> 0).
PictureSize ScalePicture(const Picture* picture, int32_t maxWidth);
PictureSize ScalePicture(int32_t width, int32_t height, int32_t maxWidth);
