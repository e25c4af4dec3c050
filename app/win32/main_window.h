// The main window of class "ORV": banner strip with the tool bar, the browser's tab
// area, the address field and the progress bar along the bottom. Closing it only
// hides it. It listens to the browser host and carries out the tray icon's clicks.
// Pop-up notices share its class and window procedure. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class DataStore;

// Registers the class and creates the hidden main window; nullptr on failure. The
// window works on `store` (which outlives it) from then on.
HWND CreateMainWindow(HINSTANCE instance, const std::wstring& className, const std::wstring& title,
                      DataStore& store);
HWND MainWindowHandle();
// The store the main window was created with.
DataStore& ProgramStore();
// Moves and sizes the (hidden) window to the rectangle of the settings; from then on
// its restored rectangle is tracked into the settings.
void PlaceMainWindow();

// Creates the browser host in the (hidden) window and starts the sign-in; false when
// the browser control is unavailable (the window still opens, without pages).
bool CreateBrowserArea();

// Shows the main window (forced: also while the sign-in runs).
void ShowMainWindow();
// The show/hide operation of the main window. Ignored while the sign-in runs unless
// forced.
void ShowHideMainWindow(bool hide, bool force);
bool MainWindowShown();

// The bottom strip: address field and progress bar (created while the settings load).
void CreateBottomStrip();
HWND AddressField();
bool AddressFieldEditing();  // the user is typing an address
void SetAddressText(const std::u16string& text);
// Enter in the address field: open what was typed, then give the field up.
void SubmitAddressField();
void ShowProgressBar(bool show);
void SetProgress(int32_t position, int32_t maximum = 100);

// Lays the child windows out for the current client size.
void RelayoutMainWindow();

// The tool bar: its buttons for the current language and sign-in state.
void LayoutToolbarButtons();
// The next forced banner redraw lays the tool bar out again (sign-in state changed).
void MarkToolbarStale();
// Banner: with force the stale tool bar is laid out again and the banner repainted.
void RedrawBanner(bool force);
// Shows or hides the tool-bar button whose command is `commandId` (1051 close page,
// 1052 new posts).
void SetToolbarButtonVisible(int32_t commandId, bool visible);

// Runs a command code of the program through the dispatcher; returns its result.
int32_t RunProgramCommand(int32_t action);
