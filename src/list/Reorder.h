// Moving entries up and down through a small popup menu beside the list.
#pragma once
#include <windows.h>

#include "list/ListText.h"

// A double click on the list opens the menu, except on a login list, whose boxes must stay aligned.
void OnListDoubleClick(HWND dialog, ListKind kind);
// Moves the lowest selected entry one place (direction -1 up, +1 down) and opens the menu again.
void MoveSelectedEntry(HWND dialog, int direction);
