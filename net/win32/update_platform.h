// The Windows side of the self-update: CNG verification against the built-in key, the
// program's files, the hidden start of the new program.
#pragma once
#include <windows.h>

// Installs the platform for the update (SetUpdatePlatform); `mainWindow` receives the
// exit command once the new program runs.
void InstallUpdatePlatform(HWND mainWindow);
