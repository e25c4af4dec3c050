#include "app/main_commands.h"

#include "app/toolbar_layout.h"
#include "ui/command_table.h"

MainCommand ResolveMainCommand(int32_t id, int32_t code, bool fromControl, bool signedIn) {
    MainCommand c;
    if (const ToolbarRow* button = ToolbarRowForId(id)) {
        c.kind = MainCommand::Run;
        c.action = button->command;
        if (button->menuItem) c.row = FindTopLevelRow(button->menuItem);
        c.titleKey = button->labelKey;
        return c;
    }
    if (code == 0 && !fromControl) {
        if (const CommandRow* row = FindCommandRow(id, signedIn)) {
            c.kind = MainCommand::Run;
            c.row = row;
            c.titleKey = row->key;
            return c;
        }
    }
    if (fromControl) return c;
    if (id >= CmdFirstFavorite) {
        c.kind = MainCommand::Favorite;
        c.favorite = id - CmdFirstFavorite;
    } else if (id == CmdExitProgram || id == ActionExit) {
        c.kind = MainCommand::Exit;
    } else if (id == CmdManageFavorites) {
        c.kind = MainCommand::FavoritesDialog;
    } else if (code == 0 && id >= ActionHome && id <= ActionMute) {
        // A command code sent on its own (no menu row carries 1045, for one) goes to
        // the dispatcher as it is.
        c.kind = MainCommand::Run;
        c.action = id;
    }
    return c;
}
