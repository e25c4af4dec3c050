// Notifications and the friends' latest statuses.
#pragma once
#include "net/json_reader.h"

class DataStore;

// Both fetch unknown profiles without the store's mutex and merge under it: call them
// without holding it.
bool ParseNotifications(DataStore& store, JsonTree rows);
bool ParseStatuses(DataStore& store, JsonTree rows);
