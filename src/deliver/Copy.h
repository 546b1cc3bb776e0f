// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#pragma once
#include <windows.h>

// dialog: the window that holds the entry list box.
void CopySelectedEntries(HWND dialog, int separatorMode);
