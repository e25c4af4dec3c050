#include "ui/record_lookup.h"

#include <mutex>

#include "store/data_store.h"
#include "store/profiles.h"

namespace {

template <class T>
ItemNode<T>* NodeByKeys(const ItemList<T>& list, const RecordRef& ref, bool withStamp) {
    if (ref.key1.empty()) return nullptr;
    for (auto& n : list) {
        if (n.key1 != ref.key1 || n.key2 != ref.key2) continue;
        if (withStamp && n.stamp != ref.stamp) continue;
        return &n;
    }
    return nullptr;
}

ItemNode<UserRecord>* UserNode(std::u16string_view id) { return FindItem(UserList, id); }

}  // namespace

UserRecord* LookUpUser(const RecordRef& ref) {
    if (ref.kind != RecordKind::User) return nullptr;
    return FindProfile(ref.key1, false);
}

PostRecord* LookUpPost(const RecordRef& ref) {
    if (ref.kind != RecordKind::Post) return nullptr;
    auto* n = FindItem(PostList, ref.key1);
    return n ? &n->payload : nullptr;
}

CommentRecord* LookUpComment(const RecordRef& ref) {
    if (ref.kind != RecordKind::Comment) return nullptr;
    auto* n = NodeByKeys(CommentList, ref, true);
    return n ? &n->payload : nullptr;
}

MessageRecord* LookUpMessage(const RecordRef& ref) {
    if (ref.kind != RecordKind::Message) return nullptr;
    auto* n = NodeByKeys(MessageList, ref, false);
    return n ? &n->payload : nullptr;
}

const Picture* LookUpPicture(const PictureRef& ref) {
    switch (ref.slot) {
    case PictureSlot::UserPicture:
    case PictureSlot::UserLargePicture: {
        UserRecord* user = FindProfile(ref.key, false);
        if (!user) return nullptr;
        return ref.slot == PictureSlot::UserPicture ? user->picture.get() : user->largePicture.get();
    }
    case PictureSlot::PostAttachment: {
        auto* n = FindItem(PostList, ref.key);
        return n ? n->payload.attachmentPicture.get() : nullptr;
    }
    case PictureSlot::None: break;
    }
    return nullptr;
}

uint32_t* LookUpFlagsWord(const RecordRef& ref) {
    switch (ref.kind) {
    case RecordKind::User: {
        auto* n = UserNode(ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Post: {
        auto* n = FindItem(PostList, ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Comment: {
        auto* n = NodeByKeys(CommentList, ref, true);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Like: {
        auto* n = NodeByKeys(LikeList, ref, false);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Notification: {
        auto* n = FindItem(NotificationList, ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Thread: {
        auto* n = FindItem(ThreadList, ref.key1);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::Message: {
        auto* n = NodeByKeys(MessageList, ref, false);
        return n ? n->flagsRef : nullptr;
    }
    case RecordKind::None: break;
    }
    return nullptr;
}

RecordRef RefOf(const UserRecord& user) { return RecordRef::User(user.id); }
RecordRef RefOf(const PostRecord& post) { return RecordRef::Post(post.postId); }
RecordRef RefOf(const CommentRecord& comment) {
    return RecordRef::Comment(comment.postId, comment.authorId, comment.time);
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

bool ItemRecordRead(const MenuItemData& item) {
    if (!item.stateRef) return false;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    uint32_t* flags = LookUpFlagsWord(item.stateRef);
    return !flags || (*flags & ItemRead) != 0;
}

bool MarkItemRecordRead(MenuItemData& item) {
    item.isNew = 0;
    if (!item.stateRef) return false;
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    uint32_t* flags = LookUpFlagsWord(item.stateRef);
    // The default word of a node not yet redirected must stay 0.
    if (!flags || flags == &DefaultFlagsWord) return false;
    *flags |= ItemRead;
    return true;
}

void WithPicture(const PictureRef& ref, const std::function<void(const Picture*)>& use) {
    if (!ref) {
        use(nullptr);
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(StoreLock());
    use(LookUpPicture(ref));
}
