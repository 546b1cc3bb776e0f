// The application object and the application-titled message box.
#include "framework/WinApp.h"

#include <shellapi.h>

#include "common/Paths.h"

namespace {
CWinApp* g_app = nullptr;

std::string ModulePath(HINSTANCE instance) {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : MAX_PATH);
}

bool OpenHelpFile(HelpViewer viewer, HWND owner, const std::string& path, UINT command, DWORD_PTR data) {
    if (viewer == HelpViewer::Engine)
        return ::WinHelpA(owner, path.c_str(), command, data) != FALSE;
    return INT_PTR(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

HelpFileOpener g_openHelpFile = OpenHelpFile;
} // namespace

void SetHelpFileOpener(HelpFileOpener opener) {
    g_openHelpFile = opener ? opener : OpenHelpFile;
}

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Main(HINSTANCE instance) {
    m_hInstance = instance;
    m_modulePath = ModulePath(instance);
    m_appName = NameWithoutExtension(m_modulePath);
    if (!InitInstance())
        return 0;
    return Run();
}

int CWinApp::Run() {
    MSG msg = {}; // a failing GetMessage leaves it unfilled
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return msg.message == WM_QUIT ? int(msg.wParam) : 0;
}

std::string CWinApp::GetProfileString(const char* section, const char* key, const char* defaultValue) const {
    std::string buffer(1024, '\0');
    for (;;) {
        DWORD n = GetPrivateProfileStringA(section, key, defaultValue, &buffer[0], DWORD(buffer.size()),
                                           m_profileName.c_str());
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 4);
    }
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* key, int value) const {
    return WriteProfileString(section, key, std::to_string(value).c_str());
}

BOOL CWinApp::WriteProfileString(const char* section, const char* key, const char* value) const {
    return WritePrivateProfileStringA(section, key, value, m_profileName.c_str());
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    // The old help engine is gone from current Windows; fall back to the HTML page beside the program.
    std::string hlp = WithExtension(m_modulePath, "HLP");
    if (GetFileAttributesA(hlp.c_str()) != INVALID_FILE_ATTRIBUTES &&
        g_openHelpFile(HelpViewer::Engine, m_hMainWnd, hlp, command, data))
        return;
    std::string html = WithExtension(m_modulePath, "html");
    if (GetFileAttributesA(html.c_str()) != INVALID_FILE_ATTRIBUTES &&
        g_openHelpFile(HelpViewer::Browser, m_hMainWnd, html, command, data))
        return;
    AfxMessageBox("Unable to open the help file.", MB_OK | MB_ICONHAND);
}

CWinApp* AfxGetApp() {
    return g_app;
}

HWND AfxGetMainWnd() {
    return g_app ? g_app->m_hMainWnd : nullptr;
}

HWND AfxGetSafeOwner() {
    HWND main = AfxGetMainWnd();
    if (!main || !IsWindow(main))
        return nullptr;
    return GetLastActivePopup(main);
}

int AfxMessageBox(const char* text, UINT type) {
    const char* title = g_app ? g_app->m_appName.c_str() : "Pelmar";
    return MessageBoxA(AfxGetSafeOwner(), text, title, type);
}
