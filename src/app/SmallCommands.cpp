// Help contents and Notepad: both hide the window to the tray first; the tray icon brings it back.
#include "app/SmallCommands.h"

#include "app/ListDlg.h"
#include "app/NotepadCommand.h"
#include "app/Settings.h"
#include "framework/WinApp.h"

namespace {
ProgramStarter g_startProgram = WinExec;
} // namespace

void SetProgramStarter(ProgramStarter starter) { g_startProgram = starter ? starter : WinExec; }

void CListDlg::OnHelpContents() {
    HideToTray();
    AfxGetApp()->WinHelp(0, HELP_CONTENTS);
}

void CListDlg::OnNotepad() {
    if (m_state.listKind != kPlainList)
        return;
    std::string commandLine = NotepadCommandLine(ReadSetting(TextSetting::List, "List.txt"), SettingsPath());
    if (commandLine.empty())
        return;
    HideToTray();
    g_startProgram(commandLine.c_str(), SW_SHOWNORMAL);  // an editor that cannot start is not reported
}
