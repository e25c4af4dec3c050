// Entry of Orv.exe. For now it brings the core up and ends; the window, the tray and
// the message loop come with the shell.
#include <windows.h>

#include "app/settings.h"
#include "app/text_table.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SettingsEnvironment env;
    env.fullScreenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    env.fullScreenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    env.userLcid = GetUserDefaultLCID();
    AppSettings = DefaultSettings(env);
    return LookupText("MAINTITLE") ? 0 : 1;
}
