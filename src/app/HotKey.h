// The system-wide hot key: its registration on the main window, its name and state as the user reads them,
// and where Pelmar shows when the hot key brings it over another program's window.
#pragma once
#include <windows.h>

#include <string>

enum class HotKeyState { Off, Registered, Taken };

class SystemHotKey {
  public:
    // Registers hotKey (a setting value) for window in place of the previous one; 0 only unregisters.
    HotKeyState Register(HWND window, int hotKey);
    void Unregister(HWND window);
    HotKeyState State() const { return m_state; }

  private:
    bool m_registered = false;
    HotKeyState m_state = HotKeyState::Off;
};

// "Ctrl+Shift+Space": the key's name from the keyboard layout where it depends on it.
std::string HotKeyName(int hotKey);
// The Options dialog's line about the hot key.
std::string HotKeyStateText(HotKeyState state);
// What the user is told when another program holds the key.
std::string HotKeyTakenMessage(int hotKey);

// The place for a window of rect's size on target's monitor: rect itself when it is on that monitor
// already, else moved into that monitor's work area with its size kept where it fits.
RECT PlaceOnMonitorOf(HWND target, const RECT& rect);
