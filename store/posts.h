// Stream posts: merges the rows of the stream query into the store's posts.
#pragma once
#include "net/json_reader.h"

class DataStore;

constexpr int32_t AttachmentMinWidth = 40;     // narrower pictures are dropped
constexpr int32_t AttachmentMaxSide = 128;     // kept ones are fitted into 128 x 128

// Fetches what a row needs (profiles, attachment, likes, comments) without the store's
// mutex and merges under it; call it without holding the mutex.
bool ParsePosts(DataStore& store, JsonTree rows);
