// Profiles of users, pages, groups and events in UserList, fetched on demand.
#pragma once
#include <cstdint>
#include <string_view>

#include "net/json_reader.h"
#include "store/records.h"

// The profile for `id` from UserList; with fetch, a missing one is queried as a user,
// page, group and event in turn. Failures are not remembered.
UserRecord* FindProfile(std::u16string_view id, bool fetch);

// Merges profile rows of one kind. In update mode a cached user only gets his online
// presence and status text. False for an empty answer.
bool ParseProfiles(JsonTree rows, bool updateMode, int32_t kind);

// Drops the lookup index of UserList (called when the list is released).
void ForgetProfileIndex();

// GET of a picture URL, decoded; nullptr when the URL is empty or nothing decodes.
PicturePtr FetchPicture(std::u16string_view url);
