// Add, Modify and Delete with the item dialog; every confirmed change is saved at once.
#include "list/ItemEditing.h"

#include "list/ItemDlg.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
HWND EntryBox(HWND dialog) {
    return GetDlgItem(dialog, IDC_LIST);
}
} // namespace

void AddItem(HWND dialog, ListFiles& files) {
    int selected = LowestSelectedIndex(EntryBox(dialog));
    int index = selected >= 0 ? selected + 1 : ListBoxCount(EntryBox(dialog));
    ListEntry entry;
    if (!RunItemDlg(CItemDlg::kAdd, files.Kind() == kLoginList, entry))
        return;
    InsertEntry(dialog, index, entry, files.Kind());
    files.SaveInPlace();
}

void ModifyItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    ListEntry entry = ReadEntry(dialog, index, files.Kind());
    if (!RunItemDlg(CItemDlg::kModify, files.Kind() == kLoginList, entry))
        return;
    // The source goes along: the fields left as they were keep their bytes.
    LRESULT source = ItemSource(EntryBox(dialog), index);
    DeleteEntry(dialog, index, files.Kind());
    InsertEntry(dialog, index, entry, files.Kind());
    SetItemSource(EntryBox(dialog), index, source);
    files.SaveInPlace();
}

void DeleteItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    ListEntry entry = ReadEntry(dialog, index, files.Kind());
    if (!RunItemDlg(CItemDlg::kDelete, files.Kind() == kLoginList, entry))
        return;
    DeleteEntry(dialog, index, files.Kind());
    files.SaveInPlace();
}
