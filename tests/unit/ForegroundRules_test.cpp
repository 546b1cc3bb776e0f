// Which window in front Send to previous window may type into, and what the user is told when it can't.
#include <gtest/gtest.h>

#include "deliver/ForegroundRules.h"

namespace {
TEST(ForegroundRules, OnlyTheUsersOwnWindowsCount) {
    const struct {
        ForegroundFacts facts;
        bool counts;
    } cases[] = {
        {{"Notepad", false, false}, true},
        {{"PelmarE2ETarget", false, false}, true},
        {{"#32770", false, false}, true}, // another program's dialog
        // Pelmar's own: the main window, its boxes and dialogs.
        {{"#32770", true, false}, false},
        // The taskbar comes to the front for a moment when the tray icon is clicked.
        {{"Shell_TrayWnd", false, false}, false},
        {{"shell_traywnd", false, false}, false},
        {{"Shell_SecondaryTrayWnd", false, false}, false},
        {{"NotifyIconOverflowWindow", false, false}, false},
        {{"__winex11_standalone_tray", false, false}, false},
        {{"Progman", false, false}, false},
        {{"WorkerW", false, false}, false},
        {{"MultitaskingViewFrame", false, false}, false},
        // The desktop and shell windows by handle, whatever their class; a window gone has no class.
        {{"SomeDesktop", false, true}, false},
        {{"", false, false}, false},
        // Near misses are ordinary windows.
        {{"Shell_TrayWnd2", false, false}, true},
        {{"Progma", false, false}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsUserWindow(c.facts), c.counts) << c.facts.className << " " << c.facts.ownProcess;
}

TEST(ForegroundRules, MessageNamesTheWindowExpected) {
    EXPECT_EQ(TargetLostMessage(true, "Bank - Sign in"),
              "The window \"Bank - Sign in\" is gone or could not be brought to the front. Nothing was sent.");
    EXPECT_EQ(TargetLostMessage(true, ""),
              "The window used before Pelmar is gone or could not be brought to the front. Nothing was sent.");
    EXPECT_NE(TargetLostMessage(false, "").find("Nothing was sent."), std::string::npos);
}
} // namespace
