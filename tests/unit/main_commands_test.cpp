#include "app/main_commands.h"

#include <gtest/gtest.h>

#include "store/data_store.h"
#include "ui/command_table.h"
#include "ui/commands.h"

namespace {

TEST(MainCommands, ToolbarButtonsRunTheirCommandOrOpenTheirMenuRow) {
    MainCommand home = ResolveMainCommand(1, 0, false, false);  // FACEBOOK button
    EXPECT_EQ(home.kind, MainCommand::Run);
    EXPECT_EQ(home.action, 1028);
    EXPECT_EQ(home.row, nullptr);

    MainCommand video = ResolveMainCommand(5, 0, false, false);  // YOUTUBE button
    EXPECT_EQ(video.kind, MainCommand::Run);
    EXPECT_EQ(video.action, 0);
    ASSERT_NE(video.row, nullptr);
    EXPECT_EQ(video.row->id, 0x801B);
    EXPECT_STREQ(video.titleKey, "YOUTUBE");  // the row has no text of its own; the button names the tab

    MainCommand close = ResolveMainCommand(14, 0, false, true);
    EXPECT_EQ(close.action, 1051);
}

TEST(MainCommands, MenuItemsFindTheirRowBySignInState) {
    MainCommand settings = ResolveMainCommand(CmdSettings, 0, false, false);
    ASSERT_EQ(settings.kind, MainCommand::Run);
    EXPECT_EQ(settings.row->action, ActionPreferences);

    // 1009 is LOGIN while signed out and LOGOUT while signed in.
    EXPECT_EQ(ResolveMainCommand(CmdLogInOut, 0, false, false).row->action, ActionLogin);
    EXPECT_EQ(ResolveMainCommand(CmdLogInOut, 0, false, true).row->action, ActionLogout);
    DataStore store;
    EXPECT_EQ(DispatchCommand(store, nullptr, ActionLogout).steps.front().step, CommandStep::StopRefresh);
}

TEST(MainCommands, ExitFavouritesAndTheManageItem) {
    EXPECT_EQ(ResolveMainCommand(1029, 0, false, true).kind, MainCommand::Exit);
    EXPECT_EQ(ResolveMainCommand(105, 0, false, true).kind, MainCommand::Exit);
    MainCommand fav = ResolveMainCommand(2048 + 3, 0, false, true);
    EXPECT_EQ(fav.kind, MainCommand::Favorite);
    EXPECT_EQ(fav.favorite, 3);
    EXPECT_EQ(ResolveMainCommand(1053, 0, false, true).kind, MainCommand::FavoritesDialog);
    // The menu bar's exit row runs its action rather than ending at once.
    MainCommand menuExit = ResolveMainCommand(CmdExit, 0, false, true);
    EXPECT_EQ(menuExit.kind, MainCommand::Run);
    EXPECT_EQ(menuExit.row->action, ActionExit);
}

TEST(MainCommands, BareCommandCodesRunThroughTheDispatcher) {
    for (int32_t code : {1028, 1045, 1052, 1056}) {
        MainCommand c = ResolveMainCommand(code, 0, false, true);
        EXPECT_EQ(c.kind, MainCommand::Run) << code;
        EXPECT_EQ(c.action, code);
        EXPECT_EQ(c.row, nullptr);
    }
    DataStore store;
    EXPECT_EQ(DispatchCommand(store, nullptr, ResolveMainCommand(1045, 0, false, true).action).steps.front().step,
              CommandStep::RefreshNow);
    // Codes the window handles itself, and the edges of the range.
    EXPECT_EQ(ResolveMainCommand(1029, 0, false, true).kind, MainCommand::Exit);
    EXPECT_EQ(ResolveMainCommand(1053, 0, false, true).kind, MainCommand::FavoritesDialog);
    EXPECT_EQ(ResolveMainCommand(1027, 0, false, true).kind, MainCommand::Default);
    EXPECT_EQ(ResolveMainCommand(1057, 0, false, true).kind, MainCommand::Default);
    EXPECT_EQ(ResolveMainCommand(1045, 0x300, true, true).kind, MainCommand::Default);  // a control's notice
    EXPECT_EQ(ResolveMainCommand(1045, 1, false, true).kind, MainCommand::Default);     // an accelerator
}

TEST(MainCommands, AcceleratorsAndControlNotificationsGetTheDefault) {
    EXPECT_EQ(ResolveMainCommand(104, 1, false, false).kind, MainCommand::Default);  // Alt+/ and Alt+?
    EXPECT_EQ(ResolveMainCommand(200, 0x100, true, false).kind, MainCommand::Default);  // address field
    EXPECT_EQ(ResolveMainCommand(CmdSettings, 0, true, false).kind, MainCommand::Default);
}

}  // namespace
