// Owner-drawn popup menus and the menu bar on screen: realising menu models as HMENUs,
// measuring and drawing their items, the side panel beside the highlighted item.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ui/menu_model.h"
#include "ui/win32/drawing.h"

class DataStore;

// Builds the menu bar from CommandTable for the current language and sign-in state
// (favourites from `store`) and sets it on the main window (replacing and destroying the previous one).
void InstallMenuBar(HWND mainWindow, DataStore& store);

// The main window procedure forwards every message here first. Handles
// WM_MEASUREITEM and WM_DRAWITEM of owner-drawn menu items, WM_MENURBUTTONUP of an
// open popup, WM_UNINITMENUPOPUP / WM_EXITMENULOOP (hides the side panel) and the side
// panel's WM_PAINT. Returns true with *result set when it handled the message.
bool HandleMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Shows a built popup menu whose items live in `session`, runs the chosen item
// (RunChosenMenuItem, which releases the session) and destroys the menu. With atCursor
// the menu opens at the cursor, otherwise where it opened last. Returns the chosen
// command id, 0 for none.
int ShowPopupMenu(HWND owner, PopupSession& session, MenuPtr menu, bool atCursor);
// Whether a popup with a session is on screen.
bool PopupSessionOpen();

// Where the next popup opens when it is not opened at the cursor (screen coordinates:
// the menu's right edge at x, its top at y - 16).
void SetPopupMenuPosition(int32_t x, int32_t y);

// Creates a real HMENU (popup or bar) for a model; the model must outlive it.
HMENU RealiseMenu(const Menu& menu, bool menuBar);

void MeasureMenuItem(MEASUREITEMSTRUCT* measure);
void DrawMenuItem(const DRAWITEMSTRUCT* draw);

// The side panel: with a text, shows it (and the picture) with its right edge at x and
// its bottom at y; without, repaints what it shows. The picture is looked up in `store`.
void ShowSidePanel(DataStore* store, const std::u16string_view* text, const PictureRef* picture, int32_t x,
                   int32_t y);
void HideSidePanel();
HWND SidePanelWindow();  // nullptr until first shown

// Installs the GDI measuring canvas and the date formatter of the shell.
void InstallMenuDrawing(HWND mainWindow);
