#include "ui/record_lookup.h"

#include <mutex>

#include "store/data_store.h"

namespace {

// The node with both keys (and the stamp, where it tells records apart), found among
// the nodes of its first key.
template <class T>
ItemNode<T>* NodeByKeys(const ItemList<T>& list, const RecordRef& ref, bool withStamp) {
    if (ref.key1.empty()) return nullptr;
    for (ItemNode<T>* n : list.withKey1(ref.key1)) {
        if (n->key2 != ref.key2) continue;
        if (withStamp && n->stamp != ref.stamp) continue;
        return n;
    }
    return nullptr;
}

}  // namespace

UserRecord* LookUpUser(DataStore& store, const RecordRef& ref) {
    if (ref.kind != RecordKind::User) return nullptr;
    return store.FindUser(ref.key1);
}

PostRecord* LookUpPost(DataStore& store, const RecordRef& ref) {
    if (ref.kind != RecordKind::Post) return nullptr;
    auto* n = store.FindPost(ref.key1);
    return n ? &n->payload : nullptr;
}

CommentRecord* LookUpComment(DataStore& store, const RecordRef& ref) {
    if (ref.kind != RecordKind::Comment) return nullptr;
    auto* n = NodeByKeys(store.comments, ref, true);
    return n ? &n->payload : nullptr;
}

MessageRecord* LookUpMessage(DataStore& store, const RecordRef& ref) {
    if (ref.kind != RecordKind::Message) return nullptr;
    auto* n = store.FindMessage(ref.key2);
    return n && n->key1 == ref.key1 ? &n->payload : nullptr;
}

const Picture* LookUpPicture(DataStore& store, const PictureRef& ref) {
    switch (ref.slot) {
    case PictureSlot::UserPicture:
    case PictureSlot::UserLargePicture: {
        UserRecord* user = store.FindUser(ref.key);
        if (!user) return nullptr;
        return ref.slot == PictureSlot::UserPicture ? user->picture.get() : user->largePicture.get();
    }
    case PictureSlot::PostAttachment: {
        auto* n = store.FindPost(ref.key);
        return n ? n->payload.attachmentPicture.get() : nullptr;
    }
    case PictureSlot::None: break;
    }
    return nullptr;
}

uint32_t* LookUpFlagsWord(DataStore& store, const RecordRef& ref) {
    switch (ref.kind) {
    case RecordKind::User: {
        auto* n = FindItem(store.users, ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Post: {
        auto* n = store.FindPost(ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Comment: {
        auto* n = NodeByKeys(store.comments, ref, true);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Like: {
        auto* n = NodeByKeys(store.likes, ref, false);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Notification: {
        auto* n = store.FindNotification(ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Thread: {
        auto* n = store.FindThread(ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Message: {
        auto* n = store.FindMessage(ref.key2);
        return n && n->key1 == ref.key1 ? n->flagsRef : nullptr;
    }
    case RecordKind::None: break;
    }
    return nullptr;
}

RecordRef RefOf(const UserRecord& user) { return RecordRef::User(user.id); }
RecordRef RefOf(const PostRecord& post) { return RecordRef::Post(post.postId); }
RecordRef RefOf(const CommentRecord& comment) {
    return RecordRef::Comment(comment.postId, std::u16string(comment.authorId.view()), comment.time);
}
RecordRef RefOf(const MessageRecord& message) { return RecordRef::Message(message.threadId, message.messageId); }

PictureRef UserPictureRef(const UserRecord& user) {
    if (!user.picture) return {};
    return {PictureSlot::UserPicture, user.id};
}
PictureRef LargePictureRef(const UserRecord& user) {
    if (!user.largePicture) return {};
    return {PictureSlot::UserLargePicture, user.id};
}
PictureRef AttachmentPictureRef(const PostRecord& post) {
    if (!post.attachmentPicture) return {};
    return {PictureSlot::PostAttachment, post.postId};
}

bool ItemRecordRead(DataStore& store, const MenuItemData& item) {
    if (!item.stateRef) return false;
    std::lock_guard<std::mutex> hold(store.mutex());
    uint32_t* flags = LookUpFlagsWord(store, item.stateRef);
    return !flags || (*flags & ItemRead) != 0;
}

bool MarkItemRecordRead(DataStore& store, MenuItemData& item) {
    item.isNew = 0;
    if (!item.stateRef) return false;
    std::lock_guard<std::mutex> hold(store.mutex());
    uint32_t* flags = LookUpFlagsWord(store, item.stateRef);
    // The default word of a node not yet redirected must stay 0.
    if (!flags || flags == &DefaultFlagsWord) return false;
    *flags |= ItemRead;
    return true;
}

void WithPicture(DataStore& store, const PictureRef& ref, const std::function<void(const Picture*)>& use) {
    if (!ref) {
        use(nullptr);
        return;
    }
    std::lock_guard<std::mutex> hold(store.mutex());
    use(LookUpPicture(store, ref));
}
