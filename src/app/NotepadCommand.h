// The command line that opens the current plain list's file in Notepad.
#pragma once
#include <string>

// "Notepad.exe " followed by the list file's path, unquoted; the bare "list.txt" (any case) means
// "List.txt" in the settings file's folder. Empty when the file's name does not end in "txt".
std::string NotepadCommandLine(const std::string& listSetting, const std::string& settingsPath);
