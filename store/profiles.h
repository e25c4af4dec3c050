// Profiles of users, pages, groups and events in the store's users, fetched on demand.
#pragma once
#include <cstdint>
#include <string_view>

#include "net/json_reader.h"
#include "store/records.h"

class DataStore;

// The profile for `id` from the store; with fetch, a missing one is queried as a user,
// page, group and event in turn. Failures are not remembered. Call it without holding
// the store's mutex: it takes it itself, and never across a request.
UserRecord* FindProfile(DataStore& store, std::u16string_view id, bool fetch);

// Merges profile rows of one kind; new profiles bring their pictures. In update mode a
// cached user only gets his online presence and status text. False for an empty
// answer. Without the store's mutex held, as above.
bool ParseProfiles(DataStore& store, JsonTree rows, bool updateMode, int32_t kind);

// The picture of a URL: the one the store holds for it, or else downloaded, decoded and
// held; nullptr when the URL is empty or nothing decodes. Without the store's mutex.
SharedPicture FetchPicture(DataStore& store, std::u16string_view url);
