// One running copy per program folder: two copies would both refresh and both write
// the same orv.cfg and per-user file.
#pragma once
#include <windows.h>

// Claims the folder of this executable. False when another copy holds it: that copy
// was asked to bring its main window up, and this one must end. A start made by the
// self-update (show command SW_HIDE) waits up to `updateWait` ms for the old copy to end.
bool ClaimProgramFolder(const wchar_t* windowClass, int showCommand, DWORD updateWait = 15000);

// The message another copy sends to ask for the main window; 0 before the claim.
UINT ShowMainRequestMessage();
