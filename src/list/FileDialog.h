// The common file dialog that chooses list files.
#pragma once
#include <windows.h>

#include <string>

#include "list/ListWindow.h"

// Opens the dialog in the "lastdir" folder with name as the proposed name; true with the chosen path.
bool ChooseListFile(HWND owner, const char* title, FileChoice choice, std::string& name);
