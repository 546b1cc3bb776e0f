// Start-up, single instance and shutdown.
#include "app/ListApp.h"


#include "common/Text.h"
#include "resource.h"
#include "settings/Settings.h"

std::string FormatInstanceName(const std::string& appName, HINSTANCE instance, HCURSOR cursor, HICON icon) {
    auto hex = [](const void* p) { return HexText(reinterpret_cast<UINT_PTR>(p)); };
    std::string name = appName + ":" + hex(instance) + ":" + HexText(CS_DBLCLKS);
    if (cursor || icon)
        name += ":" + hex(cursor) + ":0";
    return name;
}

CSingleInstanceApp::~CSingleInstanceApp() {
    if (m_mutex)
        CloseHandle(m_mutex);
}

BOOL CSingleInstanceApp::ClaimInstance(UINT iconId) {
    // The program has no arrow cursor resource of its own, so the cursor is normally null.
    HCURSOR cursor = LoadCursorA(m_hInstance, MAKEINTRESOURCEA(32512));
    HICON icon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(iconId));
    m_instanceName = FormatInstanceName(m_appName, m_hInstance, cursor, icon);

    m_mutex = CreateMutexA(nullptr, FALSE, m_instanceName.c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        m_mutex = nullptr; // the duplicate handle stays open until the process ends
        HWND first = FindWindowExA(nullptr, nullptr, m_instanceName.c_str(), nullptr);
        if (first) {
            // The first instance comes to the front for the user, which only the foreground may allow.
            DWORD firstProcess = 0;
            GetWindowThreadProcessId(first, &firstProcess);
            AllowSetForegroundWindow(firstProcess);
            PostMessageA(first, WM_COMMAND, ID_HAND_OVER, 0);
        }
        return FALSE;
    }

    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CFrameWnd::WindowProc;
    wc.hInstance = m_hInstance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.lpszClassName = m_instanceName.c_str();
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        AfxMessageBox("Failed to register window class!", MB_OK | MB_ICONHAND);
        return FALSE;
    }
    return TRUE;
}

BOOL CListApp::InitInstance() {
    if (!ClaimInstance(IDI_PELMAR))
        return FALSE;
    SetSettingsPath(SettingsPathFor(m_modulePath));
    SetProfileName(SettingsPath().c_str());

    auto* frame = new CAppDlg; // deletes itself when its window is destroyed
    if (!frame->GetSafeHwnd()) {
        delete frame;
        return FALSE;
    }
    m_hMainWnd = frame->GetSafeHwnd();
    ShowWindow(m_hMainWnd, SW_HIDE);
    frame->RunDialog();
    return TRUE;
}

CAppDlg::CAppDlg() {
    auto* app = static_cast<CSingleInstanceApp*>(AfxGetApp());
    m_className = app->GetInstanceClassName();
    RECT rect = {-1, 0, 0, 0};
    Create(nullptr, "Pelmar", WS_POPUP, rect, nullptr, nullptr);
}

BOOL CAppDlg::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.lpszClass = m_className.c_str();
    cs.dwExStyle = WS_EX_TOOLWINDOW;
    cs.hMenu = nullptr;
    return TRUE;
}

void CAppDlg::RunDialog() {
    m_dialog.DoModal();
    OnClose(); // destroys the frame, and with it this object
}

LRESULT CAppDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // A second start brings the window up as the hot key does.
    if (msg == WM_COMMAND && LOWORD(wParam) == ID_HAND_OVER) {
        m_dialog.BringUpForHandOver();
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wParam) == ID_HELP) {
        AfxGetApp()->OnHelp();
        return 0;
    }
    return CFrameWnd::OnMessage(msg, wParam, lParam);
}
