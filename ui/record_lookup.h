// Popup items name their records (RecordRef, PictureRef); these look them up again in
// the data store. The lookups expect the caller to hold the store's lock; the item
// helpers at the end take it themselves (UI thread, never while holding it).
#pragma once
#include <cstdint>
#include <functional>

#include "store/records.h"
#include "ui/menu_model.h"

UserRecord* LookUpUser(const RecordRef& ref);
PostRecord* LookUpPost(const RecordRef& ref);
CommentRecord* LookUpComment(const RecordRef& ref);
MessageRecord* LookUpMessage(const RecordRef& ref);
const Picture* LookUpPicture(const PictureRef& ref);

// The record's flags word (its node's), or nullptr when the record is gone.
uint32_t* LookUpFlagsWord(const RecordRef& ref);

RecordRef RefOf(const UserRecord& user);
RecordRef RefOf(const PostRecord& post);
RecordRef RefOf(const CommentRecord& comment);
RecordRef RefOf(const MessageRecord& message);
PictureRef UserPictureRef(const UserRecord& user);       // none without a picture
PictureRef LargePictureRef(const UserRecord& user);
PictureRef AttachmentPictureRef(const PostRecord& post);

// Whether the record an item marks read is read now (a record that is gone counts as
// read: nothing new is left to show).
bool ItemRecordRead(const MenuItemData& item);
// Highlighting an item: its record's read bit is set, and the item stops being new.
// False when the record is gone.
bool MarkItemRecordRead(MenuItemData& item);

// Runs `use` with the picture (nullptr when it is gone) while the store's lock keeps it
// alive: drawing never holds a picture past the lookup.
void WithPicture(const PictureRef& ref, const std::function<void(const Picture*)>& use);
