// The item list lives in three index-aligned list boxes of the main dialog; these helpers read and fill them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "list/ListText.h"

// A list box entry's text in UTF-8, sized by its length; empty for an index that names no entry.
std::string ListBoxText(HWND box, int index);
bool ListBoxHasEntry(HWND box, int index);
int ListBoxCount(HWND box);
void InsertString(HWND box, int index, const std::string& text);
// The lowest selected index, or -1 when nothing is selected.
int LowestSelectedIndex(HWND box);
// Up to maxCount selected indices, ascending.
std::vector<int> SelectedIndices(HWND box, int maxCount);

// Replaces the whole item list, without a redraw per entry.
void FillItemList(HWND dialog, const std::vector<ListEntry>& entries, ListKind kind);
std::vector<ListEntry> ReadItemList(HWND dialog, ListKind kind);
ListEntry ReadEntry(HWND dialog, int index, ListKind kind);
void InsertEntry(HWND dialog, int index, const ListEntry& entry, ListKind kind);
void DeleteEntry(HWND dialog, int index, ListKind kind);
// Selects the entry at index alone and scrolls it into view.
void SelectEntry(HWND dialog, int index);
