// The Options dialog: window mode, start mode, separator mode, send mode, typing delay and whether the
// clipboard comes back after a delivery.
#pragma once
#include <windows.h>

struct OptionsChoice {
    int windowMode;
    int startMode;
    int separatorMode;
    int sendMode;
    int keyDelay; // ms after each typed character
    bool restoreClipboard;
};

// Runs the dialog over the current choices. After OK the settings are written, a new window mode is
// applied to window at once, and choice holds what was chosen; false after Cancel.
bool ChangeOptions(HWND window, OptionsChoice& choice);
