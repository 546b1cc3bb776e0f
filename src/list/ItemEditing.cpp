// Add, Modify and Delete with the item dialog; every confirmed change is saved at once.
#include "list/ItemEditing.h"

#include "list/ItemDlg.h"
#include "list/ItemList.h"
#include "resource.h"

#include <utility>

namespace {
HWND EntryBox(HWND dialog) {
    return GetDlgItem(dialog, IDC_LIST);
}

// An edit of the entry at index, kept so that it can be made again where another program changed the file.
ListEdit EditAt(HWND dialog, EditKind kind, int index, ListKind listKind) {
    ListEdit edit;
    edit.kind = kind;
    edit.index = size_t(index);
    edit.old = ReadEntry(dialog, index, listKind);
    edit.now = edit.old;
    return edit;
}
} // namespace

void AddItem(HWND dialog, ListFiles& files) {
    int selected = LowestSelectedIndex(EntryBox(dialog));
    int index = selected >= 0 ? selected + 1 : ListBoxCount(EntryBox(dialog));
    ListEdit edit;
    if (!RunItemDlg(CItemDlg::kAdd, files.Kind() == kLoginList, edit.now))
        return;
    InsertEntry(dialog, index, edit.now, files.Kind());
    edit.index = size_t(index);
    edit.atEnd = selected < 0;
    if (index > 0)
        edit.old = ReadEntry(dialog, index - 1, files.Kind());
    files.SaveInPlace(edit);
}

void ModifyItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    ListEdit edit = EditAt(dialog, EditKind::Modify, index, files.Kind());
    if (!RunItemDlg(CItemDlg::kModify, files.Kind() == kLoginList, edit.now))
        return;
    // The source goes along: the fields left as they were keep their bytes.
    LRESULT source = ItemSource(EntryBox(dialog), index);
    DeleteEntry(dialog, index, files.Kind());
    InsertEntry(dialog, index, edit.now, files.Kind());
    SetItemSource(EntryBox(dialog), index, source);
    files.SaveInPlace(edit);
}

void DeleteItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    ListEdit edit = EditAt(dialog, EditKind::Delete, index, files.Kind());
    if (!RunItemDlg(CItemDlg::kDelete, files.Kind() == kLoginList, edit.now))
        return;
    DeleteEntry(dialog, index, files.Kind());
    files.SaveInPlace(edit);
}
