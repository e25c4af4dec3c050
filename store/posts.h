// Stream posts: merges the rows of the stream query into PostList.
#pragma once
#include "net/json_reader.h"

constexpr int32_t AttachmentMinWidth = 40;     // narrower pictures are dropped
constexpr int32_t AttachmentMaxSide = 128;     // kept ones are fitted into 128 x 128

bool ParsePosts(JsonTree rows);
