// The application object: instance, application name, profile (INI) access, help and the message loop.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CWnd;

class CWinApp {
  public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int Run();
    // WinMain's body: fills the instance data, runs InitInstance and then the message loop.
    int Main(HINSTANCE instance);

    // Profile access over the private-profile API of the file named by SetProfileName.
    void SetProfileName(const char* path) { m_profileName = path; }
    const std::string& GetProfileName() const { return m_profileName; }
    std::string GetProfileString(const char* section, const char* key, const char* defaultValue) const;
    // Every "key=value" line of a section, as the system hands them over.
    std::vector<std::string> GetProfileSection(const char* section) const;
    BOOL WriteProfileInt(const char* section, const char* key, int value) const;
    BOOL WriteProfileString(const char* section, const char* key, const char* value) const;

    // Opens the help file's contents: <program>.HLP through the help engine, else <program>.html.
    virtual void WinHelp(DWORD_PTR data, UINT command);
    void OnHelp() { WinHelp(0, HELP_CONTENTS); }

    HINSTANCE m_hInstance = nullptr;
    std::string m_appName;    // program file name without extension
    std::string m_modulePath; // full path of the program file
    HWND m_hMainWnd = nullptr;

  private:
    std::string m_profileName;
};

// How WinHelp shows a help file: the help engine for the .HLP file, the default browser for the page.
enum class HelpViewer { Engine, Browser };
using HelpFileOpener = bool (*)(HelpViewer viewer, HWND owner, const std::string& path, UINT command,
                                DWORD_PTR data);
// Tests put a recorder here instead of starting a viewer; nullptr puts back the system's.
void SetHelpFileOpener(HelpFileOpener opener);

CWinApp* AfxGetApp();
HWND AfxGetMainWnd();
// The owner for boxes and dialogs without an explicit parent: the main window's last active popup.
HWND AfxGetSafeOwner();
// Every message box of the program goes through here: owned by owner, or without one by the window in
// front of the main one (an owner-less box can open underneath an always-on-top window).
int ShowMessageBox(const char* text, UINT type, HWND owner, const char* caption);
// A box titled with the application name (the program file's name without extension).
int AfxMessageBox(const char* text, UINT type = MB_OK, HWND owner = nullptr);
