// Private messages of the main window: the worker's requests marshalled to the UI
// thread, and the control message of the test tool.
#pragma once
#include <windows.h>

enum : UINT {
    ShellSetTrayIcon = WM_APP + 1,    // wParam: icon id
    ShellSetTrayTooltip = WM_APP + 2, // the text waits in the port
    ShellRebuildMenuBar = WM_APP + 3,
    ShellRedrawBanner = WM_APP + 4,
    ShellBeginSignIn = WM_APP + 5,
};

// WM_COPYDATA tag of a pop-up notice request from the control tool: this build's
// control key, then the UTF-16 summary.
constexpr ULONG_PTR ControlShowNotice = 0x4F525650;  // 'ORVP'

// Handles the messages above; false for any other message.
bool HandleShellMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The shell port of the running program.
void InstallShellPort();
