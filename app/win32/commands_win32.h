// Carries out the dispatcher's plans: dialogs, the browser, the refresh, the sign-out,
// the clipboard. UI thread only.
#pragma once
#include <cstdint>

#include "ui/menu_model.h"

// Runs a command code for a popup item (nullptr for menu-bar entries and buttons).
// Returns 1 when the command closed the popup to open a dialog, else 0.
int32_t RunCommand(MenuItemData* item, int32_t code);

// Installs RunCommand as the popup's dispatcher and the popup's address opener, and
// the routines of the add-favourite dialog.
void InstallCommandDispatcher();

// The update offer run by 1049: 1 when the user took a newer build and the update
// started. Until one is installed, there is nothing to offer.
using UpdateOffer = int32_t (*)();
void SetUpdateOffer(UpdateOffer offer);
