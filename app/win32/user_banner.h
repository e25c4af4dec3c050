// The signed-in user's banner at the right of the tool bar, painted from a cached bitmap.
#pragma once
#include <windows.h>

// Paints the banner into `bannerRect` (48 pixels high), building the bitmap first when
// there is none, and with it the text when that was dropped too. Building the text
// shows or hides the tool bar's new-posts button.
void PaintUserBanner(HDC dc, const RECT& bannerRect);
// The next paint builds the bitmap again; with the text, also the name and counts.
void DropUserBanner(bool withText);
