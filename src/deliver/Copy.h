// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#pragma once
#include <windows.h>

#include "list/ListView.h"

// dialog: the window that owns the clipboard and the message box; list: its entry list box. A copy from
// any list but a plain one is kept out of clipboard history and cloud sync.
void CopySelectedEntries(HWND dialog, HWND list, int separatorMode, const ListModel& model, ListKind kind);
