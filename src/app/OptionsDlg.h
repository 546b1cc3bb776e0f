// The Options dialog: window mode, start mode, separator mode and send mode.
#pragma once
#include <windows.h>

struct OptionsChoice {
    int windowMode;
    int startMode;
    int separatorMode;
    int sendMode;
};

// Runs the dialog over the current choices. After OK the settings are written, a new window mode is
// applied to window at once, and choice holds what was chosen; false after Cancel.
bool ChangeOptions(HWND window, OptionsChoice& choice);
