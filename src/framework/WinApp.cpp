// The application object and the program's message box.
#include "framework/WinApp.h"

#include <shellapi.h>

#include "common/Paths.h"
#include "common/Text.h"
#include "framework/File.h"
#include "framework/SystemDll.h"
#include "framework/WideText.h"

namespace {
CWinApp* g_app = nullptr;

std::string ModulePath(HINSTANCE instance) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(instance, &path[0], DWORD(path.size()));
        if (n < path.size() || path.size() >= 32768)
            return Narrow(path.data(), n < path.size() ? n : path.size());
        path.resize(path.size() * 2);
    }
}

bool OpenHelpFile(HelpViewer viewer, HWND owner, const std::string& path, UINT command, DWORD_PTR data) {
    if (viewer == HelpViewer::Engine)
        return ::WinHelpW(owner, Widen(path).c_str(), command, data) != FALSE;
    static const auto shellExecute = SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    return shellExecute &&
           INT_PTR(shellExecute(nullptr, L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

// Whether the system's ANSI code page holds the text exactly (no look-alikes, no '?').
bool FitsAnsiCodePage(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), nullptr, 0, nullptr,
                                &usedDefault);
    return text.empty() || (n > 0 && !usedDefault);
}

// The profile functions write a file that starts with the UTF-16 mark in UTF-16 and any other in the ANSI
// code page. A file stays ANSI, as every earlier version read it, until a value needs more.
bool MakeProfileUnicode(const std::wstring& path) {
    std::string bytes;
    CFile file;
    if (file.Open(Narrow(path).c_str(), CFile::modeRead)) {
        uint64_t length = file.GetLength();
        if (length > (1u << 24))
            return false;
        bytes.resize(size_t(length));
        if (length && file.Read(&bytes[0], UINT(length)) != length)
            return false;
        file.Close();
    }
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return true;
    int n = bytes.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(size_t(n) + 1, L'\xFEFF');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), &wide[1], n);
    return WriteWholeFileSafely(Narrow(path).c_str(), wide.data(), wide.size() * sizeof(wchar_t));
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
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return msg.message == WM_QUIT ? int(msg.wParam) : 0;
}

std::string CWinApp::GetProfileString(const char* section, const char* key, const char* defaultValue) const {
    std::wstring wideSection = Widen(section), wideKey = Widen(key), wideDefault = Widen(defaultValue ? defaultValue : "");
    std::wstring file = Widen(m_profileName), buffer(1024, L'\0');
    for (;;) {
        DWORD n = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideDefault.c_str(), &buffer[0],
                                           DWORD(buffer.size()), file.c_str());
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20))
            return Narrow(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

std::vector<std::string> CWinApp::GetProfileSection(const char* section) const {
    std::wstring wideSection = Widen(section), file = Widen(m_profileName), buffer(4096, L'\0');
    DWORD n = 0;
    // A section that does not fit comes back cut, with two characters less than the buffer holds.
    for (;;) {
        n = GetPrivateProfileSectionW(wideSection.c_str(), &buffer[0], DWORD(buffer.size()), file.c_str());
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 20))
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::string> lines;
    for (size_t start = 0; start < n;) {
        size_t end = buffer.find(L'\0', start);
        if (end == std::wstring::npos || end > n)
            end = n;
        if (end > start)
            lines.push_back(Narrow(buffer.data() + start, end - start));
        start = end + 1;
    }
    return lines;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* key, int value) const {
    return WriteProfileString(section, key, DecimalText(value).c_str());
}

BOOL CWinApp::WriteProfileString(const char* section, const char* key, const char* value) const {
    std::wstring file = Widen(m_profileName), wideValue = value ? Widen(value) : std::wstring();
    if (value && !FitsAnsiCodePage(wideValue) && !MakeProfileUnicode(file))
        return FALSE;
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), value ? wideValue.c_str() : nullptr,
                                      file.c_str());
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    // The old help engine is gone from current Windows; fall back to the HTML page beside the program.
    std::string hlp = WithExtension(m_modulePath, "HLP");
    if (GetFileAttributesW(Widen(hlp).c_str()) != INVALID_FILE_ATTRIBUTES &&
        g_openHelpFile(HelpViewer::Engine, m_hMainWnd, hlp, command, data))
        return;
    std::string html = WithExtension(m_modulePath, "html");
    if (GetFileAttributesW(Widen(html).c_str()) != INVALID_FILE_ATTRIBUTES &&
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

int ShowMessageBox(const char* text, UINT type, HWND owner, const char* caption) {
    if (!owner)
        owner = AfxGetSafeOwner();
    if (!owner)
        owner = GetActiveWindow(); // no main window yet, or a test's dialog
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

int AfxMessageBox(const char* text, UINT type, HWND owner) {
    // Titled with the program file's name, so a renamed copy says which one speaks.
    std::string title = g_app ? g_app->m_appName : "Pelmar";
    return ShowMessageBox(text, type, owner, title.c_str());
}
