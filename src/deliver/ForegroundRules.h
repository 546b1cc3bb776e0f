// Which window in front counts as the one the user works in. The shell's own windows come to the front on
// the way to something else (a click on the tray icon makes the taskbar the foreground window for a
// moment) and are never a place to type into; neither are Pelmar's own windows.
#pragma once
#include <string>

struct ForegroundFacts {
    std::string className;
    bool ownProcess = false; // any window of Pelmar's process: the main window, its dialogs and boxes
    bool desktop = false;    // the desktop window or the shell's window
};

bool IsUserWindow(const ForegroundFacts& facts);

// What the user is told when the window a delivery was meant for is gone or would not come to the front
// (title as last seen, maybe empty), or when no window of the user's has been in front since Pelmar
// started (seen false).
std::string TargetLostMessage(bool seen, const std::string& title);
