// Tray hiding and restore: the window never minimises, it hides behind an icon in the notification area.
#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

constexpr UINT kTrayCallbackMessage = WM_USER + 100;
// Broadcast by the shell when the taskbar is (re)created; every tray icon must then be added again.
UINT TaskbarCreatedMessage();

class TrayIcon {
  public:
    ~TrayIcon();
    // Loads the small icon and gives the window both icons.
    void SetUpIcons(HWND window, HICON bigIcon);
    // The place the window comes back to; a hidden window, or one at or beyond the screen's left edge,
    // keeps the previous one.
    void RememberPlace(HWND window);
    void SetRestoreRect(const RECT& rect) { m_restoreRect = rect; }
    const RECT& RestoreRect() const { return m_restoreRect; }

    void Hide(HWND window);
    // Shows the window at the restore rectangle and removes the icon.
    void Restore(HWND window, bool activate);
    // The icon's callback message; clicks bring the window back, with the keyboard when activate is set.
    LRESULT OnNotify(HWND window, LPARAM mouseMessage, bool activate);
    void OnTaskbarCreated(HWND window);
    const NOTIFYICONDATAA& Icon() const { return m_icon; }

  private:
    RECT m_restoreRect = {0, 0, 0, 0};
    NOTIFYICONDATAA m_icon = {};
    HICON m_smallIcon = nullptr;
};
