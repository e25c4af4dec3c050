// The WinInet implementation of the transport seam.
#pragma once

// Installs the process's transport (SetHttpTransport); start-up calls it before the
// first request (the daily hit counter while the settings load).
void InstallWinInetTransport();
