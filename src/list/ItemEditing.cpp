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

// The entry a command edits: a password, or a protected list's entry. Wiped however the command ends.
struct EditedEntry {
    ListEntry entry;
    EditedEntry() = default;
    explicit EditedEntry(ListEntry read) : entry(std::move(read)) {}
    EditedEntry(const EditedEntry&) = delete;
    EditedEntry& operator=(const EditedEntry&) = delete;
    ~EditedEntry() { WipeEntry(entry); }
};
} // namespace

void AddItem(HWND dialog, ListFiles& files) {
    int selected = LowestSelectedIndex(EntryBox(dialog));
    int index = selected >= 0 ? selected + 1 : ListBoxCount(EntryBox(dialog));
    EditedEntry edited;
    if (!RunItemDlg(CItemDlg::kAdd, files.Kind() == kLoginList, edited.entry))
        return;
    InsertEntry(dialog, index, edited.entry, files.Kind());
    files.SaveInPlace();
}

void ModifyItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    EditedEntry edited(ReadEntry(dialog, index, files.Kind()));
    if (!RunItemDlg(CItemDlg::kModify, files.Kind() == kLoginList, edited.entry))
        return;
    DeleteEntry(dialog, index, files.Kind());
    InsertEntry(dialog, index, edited.entry, files.Kind());
    files.SaveInPlace();
}

void DeleteItem(HWND dialog, ListFiles& files) {
    int index = LowestSelectedIndex(EntryBox(dialog));
    if (index < 0)
        return;
    EditedEntry edited(ReadEntry(dialog, index, files.Kind()));
    if (!RunItemDlg(CItemDlg::kDelete, files.Kind() == kLoginList, edited.entry))
        return;
    DeleteEntry(dialog, index, files.Kind());
    files.SaveInPlace();
}
