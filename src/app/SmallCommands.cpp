// About, Help contents and Notepad.
#include "app/SmallCommands.h"

#include "app/NotepadCommand.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "settings/Settings.h"

namespace {
bool StartProgram(const std::string& application, const std::string& commandLine) {
    std::wstring wideCommand = Widen(commandLine); // CreateProcessW may write into its command line
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Widen(application).c_str(), &wideCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The system's own notepad: a Notepad.exe in the current folder (where the file dialogs left it) is not it.
std::string SystemNotepad() {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return Narrow(folder, n < MAX_PATH ? n : 0) + "\\notepad.exe";
}

ProgramStarter g_startProgram = StartProgram;
} // namespace

void SetProgramStarter(ProgramStarter starter) { g_startProgram = starter ? starter : StartProgram; }

void ShowAboutBox() {
    CDialog about(IDD_ABOUTBOX);
    about.DoModal();
}

void OpenHelpContents(HWND window, TrayIcon& tray) {
    tray.Hide(window);
    AfxGetApp()->WinHelp(0, HELP_CONTENTS);
}

void OpenNotepad(HWND window, TrayIcon& tray, ListKind kind) {
    if (kind != kPlainList)
        return;
    std::string commandLine = NotepadCommandLine(ReadSetting(TextSetting::List, "List.txt"), SettingsPath());
    if (commandLine.empty())
        return;
    tray.Hide(window);
    g_startProgram(SystemNotepad(), commandLine); // an editor that cannot start is not reported
}
