// Popup items name their records (RecordRef, PictureRef); these look them up again in
// the data store through its key indexes. The lookups expect the caller to hold the
// store's mutex; the item helpers at the end take it themselves (UI thread, never while
// holding it).
#pragma once
#include <cstdint>
#include <functional>

#include "store/records.h"
#include "ui/menu_model.h"

class DataStore;

UserRecord* LookUpUser(DataStore& store, const RecordRef& ref);
PostRecord* LookUpPost(DataStore& store, const RecordRef& ref);
CommentRecord* LookUpComment(DataStore& store, const RecordRef& ref);
MessageRecord* LookUpMessage(DataStore& store, const RecordRef& ref);
const Picture* LookUpPicture(DataStore& store, const PictureRef& ref);

// The record's flags word (its node's), or nullptr when the record is gone.
uint32_t* LookUpFlagsWord(DataStore& store, const RecordRef& ref);

RecordRef RefOf(const UserRecord& user);
RecordRef RefOf(const PostRecord& post);
RecordRef RefOf(const CommentRecord& comment);
RecordRef RefOf(const MessageRecord& message);
PictureRef UserPictureRef(const UserRecord& user);       // none without a picture
PictureRef LargePictureRef(const UserRecord& user);
PictureRef AttachmentPictureRef(const PostRecord& post);

// Whether the record an item marks read is read now (a record that is gone counts as
// read: nothing new is left to show).
bool ItemRecordRead(DataStore& store, const MenuItemData& item);
// Highlighting an item: its record's read bit is set, and the item stops being new.
// False when the record is gone.
bool MarkItemRecordRead(DataStore& store, MenuItemData& item);

// Runs `use` with the picture (nullptr when it is gone) while the store's lock keeps it
// alive: drawing never holds a picture past the lookup.
void WithPicture(DataStore& store, const PictureRef& ref, const std::function<void(const Picture*)>& use);
