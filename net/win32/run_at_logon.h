// Run at logon against the real registry (HKEY_CURRENT_USER) and the running executable.
#pragma once
#include <cstdint>

int32_t RunAtLogon(int32_t enable, int32_t query);
