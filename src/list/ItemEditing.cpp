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
ListEdit EditAt(const ListModel& model, EditKind kind, size_t index) {
    ListEdit edit;
    edit.kind = kind;
    edit.index = index;
    edit.old = model.Entries()[index];
    edit.now = edit.old;
    return edit;
}
} // namespace

// The new entry goes after the lowest selected one shown, or last.
void AddItem(HWND dialog, ListFiles& files) {
    ListModel& model = files.Model();
    long selected = LowestSelectedEntry(EntryBox(dialog), model);
    ListEdit edit;
    if (!RunItemDlg(CItemDlg::kAdd, files.Kind() == kLoginList, edit.now))
        return;
    size_t index = selected >= 0 ? size_t(selected) + 1 : model.Size();
    edit.index = index;
    edit.atEnd = selected < 0;
    if (index > 0)
        edit.old = model.Entries()[index - 1];
    ShowItem(EntryBox(dialog), model, model.Insert(index, edit.now), false);
    files.SaveInPlace(edit);
}

void ModifyItem(HWND dialog, ListFiles& files) {
    ListModel& model = files.Model();
    long index = LowestSelectedEntry(EntryBox(dialog), model);
    if (index < 0)
        return;
    ListEdit edit = EditAt(model, EditKind::Modify, size_t(index));
    if (!RunItemDlg(CItemDlg::kModify, files.Kind() == kLoginList, edit.now))
        return;
    ShowItem(EntryBox(dialog), model, model.Modify(size_t(index), edit.now), true);
    files.SaveInPlace(edit);
}

void DeleteItem(HWND dialog, ListFiles& files) {
    ListModel& model = files.Model();
    long index = LowestSelectedEntry(EntryBox(dialog), model);
    if (index < 0)
        return;
    ListEdit edit = EditAt(model, EditKind::Delete, size_t(index));
    if (!RunItemDlg(CItemDlg::kDelete, files.Kind() == kLoginList, edit.now))
        return;
    long view = model.ViewIndex(size_t(index));
    model.Erase(size_t(index));
    SendMessageW(EntryBox(dialog), LB_DELETESTRING, WPARAM(view), 0);
    files.SaveInPlace(edit);
}
