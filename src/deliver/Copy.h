// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#pragma once
#include <windows.h>

#include "list/ListView.h"

// dialog: the window that holds the entry list box. A copy from any list but a plain one is kept out of
// clipboard history and cloud sync.
void CopySelectedEntries(HWND dialog, int separatorMode, const ListModel& model, ListKind kind);
