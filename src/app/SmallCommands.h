// About, Help contents and Notepad. Help and Notepad hide the window to the tray first; the tray icon
// brings it back.
#pragma once
#include <windows.h>

#include "app/Tray.h"
#include "list/ListText.h"

using ProgramStarter = UINT(WINAPI*)(LPCSTR commandLine, UINT show);
// nullptr puts back WinExec.
void SetProgramStarter(ProgramStarter starter);

void ShowAboutBox();
void OpenHelpContents(HWND window, TrayIcon& tray);
// Opens a plain list's file in Notepad; nothing happens for other lists.
void OpenNotepad(HWND window, TrayIcon& tray, ListKind kind);
