// About, Help contents and Notepad. Help and Notepad hide the window to the tray first; the tray icon
// brings it back.
#pragma once
#include <windows.h>

#include "app/Tray.h"
#include "list/ListText.h"

#include <string>

// Starts application (a full path) with the whole command line; false when it could not start.
using ProgramStarter = bool (*)(const std::string& application, const std::string& commandLine);
// nullptr puts back the system's.
void SetProgramStarter(ProgramStarter starter);

void ShowAboutBox();
void OpenHelpContents(HWND window, TrayIcon& tray);
// Opens a plain list's file in Notepad; nothing happens for other lists.
void OpenNotepad(HWND window, TrayIcon& tray, ListKind kind);
