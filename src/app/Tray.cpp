// Tray hiding and restore: the window never minimises, it hides behind an icon in the notification area.
#include <windows.h>

#include "app/ListDlg.h"
#include "resource.h"

void CListDlg::HideToTray() {
    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    // A hidden window, or one at or beyond the screen's left edge, keeps the previous restore place.
    if (rect.left > 0)
        m_state.restoreRect = rect;
    SetWindowPos(m_hWnd, HWND_TOPMOST, -1, 0, 0, 0, SWP_HIDEWINDOW);

    NOTIFYICONDATAA& icon = m_state.trayIcon;
    icon = NOTIFYICONDATAA();
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = m_hWnd;
    icon.uID = 1;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayCallbackMessage;
    icon.hIcon = m_state.smallIcon;
    lstrcpynA(icon.szTip, "Pelmar", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);
}

void CListDlg::RestoreFromTray(bool activate) {
    const RECT& r = m_state.restoreRect;
    // Without SWP_NOACTIVATE showing activates the window, and the program a delivery typed into would lose
    // the keyboard (an Enter meant for it would then end Pelmar).
    SetWindowPos(m_hWnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE));
    // The user asked for the window: give it the keyboard too, so Esc and the shortcuts work at once.
    if (activate)
        SetForegroundWindow(m_hWnd);
    Shell_NotifyIconA(NIM_DELETE, &m_state.trayIcon);
}

LRESULT CListDlg::OnTrayNotify(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == WM_RBUTTONUP)
        RestoreFromTray(true);
    return 1;
}

bool CListDlg::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
    case IDM_ABOUTBOX: OnAbout(); return true;
    case SC_MINIMIZE: HideToTray(); return true;
    default: return false;
    }
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The shell restarted and forgot its icons: put ours back while the window is hidden behind it.
void CListDlg::OnTaskbarCreated() {
    if (!IsWindowVisible(m_hWnd) && m_state.trayIcon.hWnd == m_hWnd)
        Shell_NotifyIconA(NIM_ADD, &m_state.trayIcon);
}
