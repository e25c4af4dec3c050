// The content menus: posts with their comments and likes, message threads and
// notifications, the main, new-and-updated, go-to, settings and people menus. The
// builders read the data store and must be called with its lock held; they never touch
// the network (the refresh fetches the profiles they look up). BuildContentMenu is the
// entry for the tray: it builds under the lock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/menu_model.h"

struct UserRecord;
struct PostRecord;
struct ThreadRecord;

class DataStore;

struct MenuContext {
    PopupSession& session;
    DataStore& store;               // the session's store
    int32_t now = 0;                // CurrentTime() when the build started
    bool signedIn = false;          // AccessToken is not empty
    int32_t hideReadPostsAfter = 0; // hours
    std::u16string webBase;         // "http://host" of the service's web pages
};

// A context for the running program: the clock, the token, the settings, the service.
MenuContext CurrentMenuContext(PopupSession& session);

// ---- Posts, comments, likes. ----

// Rows of the recent posts. With `menu` given the rows go into it (the result is then
// empty) and no row's divider is cleared; otherwise a new menu, or nothing without rows.
MenuPtr BuildPostsMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, bool onlyNew,
                       const ItemStyle* headerStyle);
MenuPtr BuildPostSubmenu(MenuContext& cx, UserRecord& author, PostRecord& post, bool onlyNew);
// A post's row in the posts menu: its person, likes, comments, age and body (shorter
// once read). The post has a source.
std::u16string PostRowText(DataStore& store, PostRecord& post, bool read);
// Like, comment, and the comments and likes submenus of a post; false without a post.
bool AddPostActions(MenuContext& cx, Menu& menu, PostRecord* post, MenuItemData& item, bool onlyNew);
MenuPtr BuildCommentsMenu(MenuContext& cx, int32_t* totalOut, PostRecord* post, std::u16string_view postId,
                          int32_t* unreadOut, bool onlyNew);
MenuPtr BuildLikesMenu(MenuContext& cx, std::u16string_view postId, bool onlyNew, int32_t* totalOut,
                       int32_t* newOut);
int32_t CountUnreadComments(DataStore& store, std::u16string_view postId);
// The caption of a post's likes submenu: all its likes, and how many of them are new.
std::u16string LikesCaption(DataStore& store, std::u16string_view postId);

// ---- Messages and notifications. ----

MenuPtr BuildMessagesMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, const ItemStyle* headerStyle,
                          bool onlyNew);
MenuPtr BuildThreadMenu(MenuContext& cx, int32_t* unreadOut, const ThreadRecord& thread);
MenuPtr BuildNotificationsMenu(MenuContext& cx, MenuItemData** lastItemOut, Menu* menu, bool onlyNew,
                               const ItemStyle* headerStyle);

// ---- Main, people and navigation. ----

MenuPtr BuildMainMenu(MenuContext& cx);
MenuPtr BuildNewAndUpdatedMenu(MenuContext& cx);
MenuPtr BuildGoToMenu(MenuContext& cx, bool noHeader);
MenuPtr BuildSettingsMenu(MenuContext& cx);
MenuPtr BuildPeopleMenu(MenuContext& cx, bool hiddenOnly, const ItemStyle* headerStyle, bool withPosters);
MenuPtr BuildUserSubmenu(MenuContext& cx, UserRecord& user);
void AddProfileItem(MenuContext& cx, const UserRecord& user, MenuItemData& item, Menu& menu);

// Appends "P: 2, N: 1" (short) or "Posts: 2, Notifications: 1" (long): the counts that
// are not 0, in the order posts, messages, notifications.
void FormatCounts(std::u16string& buffer, int32_t posts, int32_t messages, int32_t notifications, bool shortForm);

// ---- The main window's user banner. ----

struct UserBanner {
    bool known = false;         // a signed-in user whose profile is in the store
    bool showNewPosts = false;  // the tool bar's new-posts button: something is unread
    std::u16string text;        // name and long counts in the heading font, then the city
    PictureRef picture;
};
// Caller holds the store's lock.
UserBanner BuildUserBanner(DataStore& store);

// ---- The tray's menus. ----

enum class ContentMenu { NewAndUpdated, Main, GoTo };

// Builds the menu under the lock of the store the session names; a tray click never
// waits for the service.
MenuPtr BuildContentMenu(ContentMenu which, PopupSession& session);

// The ids of the profiles the content menus look up (comment authors, snippet authors
// of top-level threads, notification senders) that the store does not hold: the
// refresh fetches them at its end. Caller holds the store's lock.
std::vector<std::u16string> MissingMenuProfiles(DataStore& store);
