// One open popup: every item record and every text its items need, owned together and
// released whole when the popup closes. Items never point into the data store: they
// name their records by kind and keys (RecordRef), and whoever acts on an item looks
// the record up again under the store's lock, so a record the worker dropped while the
// popup was open is simply not found.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

struct MenuItemData;
class DataStore;

enum class RecordKind : uint8_t { None, User, Post, Comment, Like, Notification, Thread, Message };

// A record named by its list and keys: users, posts, notifications and threads by their
// id (key1); comments by post id, author id and time (stamp); likes by post id and
// liker; messages by thread id and message id.
struct RecordRef {
    RecordKind kind = RecordKind::None;
    std::u16string key1;
    std::u16string key2;
    int32_t stamp = 0;

    explicit operator bool() const { return kind != RecordKind::None; }
    bool operator==(const RecordRef& o) const {
        return kind == o.kind && key1 == o.key1 && key2 == o.key2 && stamp == o.stamp;
    }
    bool operator!=(const RecordRef& o) const { return !(*this == o); }

    static RecordRef User(std::u16string id) { return {RecordKind::User, std::move(id), {}, 0}; }
    static RecordRef Post(std::u16string id) { return {RecordKind::Post, std::move(id), {}, 0}; }
    static RecordRef Comment(std::u16string postId, std::u16string authorId, int32_t time) {
        return {RecordKind::Comment, std::move(postId), std::move(authorId), time};
    }
    static RecordRef Like(std::u16string postId, std::u16string userId) {
        return {RecordKind::Like, std::move(postId), std::move(userId), 0};
    }
    static RecordRef Notification(std::u16string id) { return {RecordKind::Notification, std::move(id), {}, 0}; }
    static RecordRef Thread(std::u16string id) { return {RecordKind::Thread, std::move(id), {}, 0}; }
    static RecordRef Message(std::u16string threadId, std::u16string messageId) {
        return {RecordKind::Message, std::move(threadId), std::move(messageId), 0};
    }
};

// Which picture of a record an item shows.
enum class PictureSlot : uint8_t { None, UserPicture, UserLargePicture, PostAttachment };

struct PictureRef {
    PictureSlot slot = PictureSlot::None;
    std::u16string key;  // the user's or the post's id

    explicit operator bool() const { return slot != PictureSlot::None; }
    bool operator==(const PictureRef& o) const { return slot == o.slot && key == o.key; }
};

class PopupSession {
public:
    // The store whose records the items name.
    explicit PopupSession(DataStore& store) : store_(&store) {}
    PopupSession(const PopupSession&) = delete;
    PopupSession& operator=(const PopupSession&) = delete;

    // Keeps a text for the life of the session; an empty text gives an empty view and
    // takes no entry.
    std::u16string_view keep(std::u16string text);

    // A new zeroed item record. Its command id is the number of entries (items and
    // texts) before it, or-ed with POPUP_ITEM_BIT. nullptr when it cannot be allocated.
    MenuItemData* newItem(uint32_t& commandId);

    // The record of a command id: the entry at (id & 0xFFFF) when it is an item.
    MenuItemData* resolve(uint32_t commandId) const;

    // The record of an owner-drawn menu item, checked against the item data the menu
    // carries (a menu that outlived its session finds nothing).
    MenuItemData* find(uint32_t commandId, const void* itemData) const;

    // Calls f(MenuItemData&) for every item of the session, in the order they were made.
    // f must not add to the session.
    template <class F>
    void forEachItem(F f) {
        for (Entry& e : entries_)
            if (e.item) f(*e.item);
    }

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void clear() { entries_.clear(); }
    DataStore& store() const { return *store_; }

private:
    struct Entry {
        std::unique_ptr<MenuItemData> item;
        std::u16string text;
    };
    DataStore* store_;
    std::deque<Entry> entries_;  // a deque: kept texts never move
};
