// Tray hiding and restore: the window never minimises, it hides behind an icon in the notification area.
#include "app/Tray.h"

#include <commctrl.h>

#include "framework/SystemDll.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
// shell32 comes with the first icon: a start that shows the window never needs it.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA& icon) {
    static const auto notify = SystemFunction<decltype(&Shell_NotifyIconA)>(L"shell32.dll", "Shell_NotifyIconA");
    return notify ? notify(message, &icon) : FALSE;
}
} // namespace

TrayIcon::~TrayIcon() {
    if (m_smallIcon)
        DestroyIcon(m_smallIcon);
}

void TrayIcon::SetUpIcons(HWND window, HICON bigIcon) {
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    if (m_smallIcon)
        DestroyIcon(m_smallIcon);
    // The small-icon size of the system's DPI, drawn for it rather than stretched: the tray shows it too.
    m_smallIcon = nullptr;
    LoadIconMetric(AfxGetApp()->m_hInstance, MAKEINTRESOURCEW(IDI_PELMAR), LIM_SMALL, &m_smallIcon);
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
}

void TrayIcon::RememberPlace(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (rect.left > 0)
        m_restoreRect = rect;
}

void TrayIcon::Hide(HWND window) {
    RememberPlace(window);
    SetWindowPos(window, HWND_TOPMOST, -1, 0, 0, 0, SWP_HIDEWINDOW);
    m_icon = NOTIFYICONDATAA();
    m_icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_icon.hWnd = window;
    m_icon.uID = 1;
    m_icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_icon.uCallbackMessage = kTrayCallbackMessage;
    m_icon.hIcon = m_smallIcon;
    lstrcpynA(m_icon.szTip, "Pelmar", sizeof m_icon.szTip);
    NotifyIcon(NIM_ADD, m_icon);
}

void TrayIcon::Restore(HWND window, bool activate) {
    const RECT& r = m_restoreRect;
    // Without SWP_NOACTIVATE showing activates the window, and the program a delivery typed into would lose
    // the keyboard (an Enter meant for it would then end Pelmar).
    SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE));
    // The user asked for the window: give it the keyboard too, so Esc and the shortcuts work at once.
    if (activate)
        SetForegroundWindow(window);
    NotifyIcon(NIM_DELETE, m_icon);
}

LRESULT TrayIcon::OnNotify(HWND window, LPARAM mouseMessage, bool activate) {
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == WM_RBUTTONUP)
        Restore(window, activate);
    return 1;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The shell restarted and forgot its icons: put ours back while the window is hidden behind it.
void TrayIcon::OnTaskbarCreated(HWND window) {
    if (!IsWindowVisible(window) && m_icon.hWnd == window)
        NotifyIcon(NIM_ADD, m_icon);
}
