// The Options dialog: window mode, start mode, separator mode, send mode, typing delay and whether the
// clipboard comes back after a delivery, and the hot key.
#pragma once
#include <windows.h>

#include "app/HotKey.h"

struct OptionsChoice {
    int windowMode;
    int startMode;
    int separatorMode;
    int sendMode;
    int keyDelay; // ms after each typed character
    bool restoreClipboard;
    int hotKey = 0; // the setting's value; read and written by the dialog
    HotKeyState hotKeyState = HotKeyState::Off; // the registration now, shown in the dialog
};

// Runs the dialog over the current choices. After OK the settings are written, a new window mode is
// applied to window at once, and choice holds what was chosen; false after Cancel.
bool ChangeOptions(HWND window, OptionsChoice& choice);
