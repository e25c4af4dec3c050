// Notifications and the friends' latest statuses.
#pragma once
#include "net/json_reader.h"

bool ParseNotifications(JsonTree rows);
bool ParseStatuses(JsonTree rows);
