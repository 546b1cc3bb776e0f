// Moving entries up and down through a small popup menu beside the list.
#pragma once
#include <windows.h>

#include "list/ListFiles.h"

// A double click on the list opens the menu, except on a login list, whose boxes must stay aligned.
void OnListDoubleClick(HWND dialog, ListKind kind);
// Moves the lowest selected entry one place (direction -1 up, +1 down) and opens the menu again; the
// move is saved with the next edit.
void MoveSelectedEntry(HWND dialog, int direction, ListFiles& files);
