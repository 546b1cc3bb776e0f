// Which window the user worked in before Pelmar: the last window of the user's that was really in the
// foreground, seen by a foreground WinEvent hook where the system reports such changes and by a short
// poll of GetForegroundWindow (Wine reports none). Z order cannot tell: a window that came up on top
// without the focus (a chat pop-up) was never used.
#pragma once
#include <windows.h>

#include <string>

class ForegroundTracker {
  public:
    ForegroundTracker() = default;
    ForegroundTracker(const ForegroundTracker&) = delete;
    ForegroundTracker& operator=(const ForegroundTracker&) = delete;
    ~ForegroundTracker() { Stop(); }

    // Notes the window in front now and follows the foreground from then on. One tracker per process:
    // the system's callbacks carry no place for an object.
    void Start();
    void Stop();

    // The window, or nullptr when there is none or it has gone since.
    HWND Target() const;
    // Whether any window of the user's has been in front since Start.
    bool Seen() const { return m_target != nullptr; }
    // Its title as last seen (UTF-8), kept after the window has gone.
    const std::string& TargetTitle() const { return m_title; }
    // The control with the keyboard focus in the target (FocusedControlOf).
    HWND FocusedControl() const { return FocusedControlOf(Target()); }

    // The control of window (or window itself) that keys reach while window is active: nullptr when its
    // thread has another window active or the focus lies outside it.
    static HWND FocusedControlOf(HWND window);
    // A window's title (UTF-8), read without a message to it.
    static std::string WindowTitle(HWND window);

    // A window came to the front; the shell's and Pelmar's own are passed over.
    void Note(HWND foreground);

  private:
    HWND m_target = nullptr;
    DWORD m_targetThread = 0; // a handle can be reused once its window is gone; its thread tells them apart
    std::string m_title;
    HWINEVENTHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
};

// Activates window; false when the system refused. Only the foreground program may hand the foreground
// on, so this comes before Pelmar hides. The window's thread takes the activation a moment later: check
// GetForegroundWindow before typing.
bool BringToFront(HWND window);
