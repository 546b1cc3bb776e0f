// About, Help contents and Notepad.
#include "app/SmallCommands.h"

#include "app/NotepadCommand.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "settings/Settings.h"

namespace {
ProgramStarter g_startProgram = WinExec;
} // namespace

void SetProgramStarter(ProgramStarter starter) {
    g_startProgram = starter ? starter : WinExec;
}

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
    g_startProgram(commandLine.c_str(), SW_SHOWNORMAL); // an editor that cannot start is not reported
}
