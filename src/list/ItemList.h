// The list box of the main dialog shows the entries (a login list's site labels), or those Find leaves;
// these helpers fill it and read its selection as entries.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "list/ListView.h"

// A list box entry's text in UTF-8, sized by its length; empty for an index that names no entry.
std::string ListBoxText(HWND box, int index);
bool ListBoxHasEntry(HWND box, int index);
int ListBoxCount(HWND box);
void InsertString(HWND box, int index, const std::string& text);
// The lowest selected index, or -1 when nothing is selected.
int LowestSelectedIndex(HWND box);
// Up to maxCount selected indices, ascending.
std::vector<int> SelectedIndices(HWND box, int maxCount);

// Fills the list box with the view of the entries in one pass, without a redraw per entry.
void FillListBox(HWND box, const ListModel& model);
// The entries (model indices) of up to maxCount selected list box items, ascending.
std::vector<size_t> SelectedEntries(HWND box, const ListModel& model, int maxCount);
// The entry the lowest selected item shows, or -1 when nothing is selected.
long LowestSelectedEntry(HWND box, const ListModel& model);
// Puts the text of the entry shown at view into the list box at view, in place of the item there when
// replace is set.
void ShowItem(HWND box, const ListModel& model, size_t view, bool replace);
// Selects the item at view alone and scrolls it into view.
void SelectEntry(HWND dialog, int view);
