// Add, Modify and Delete with the item dialog; every confirmed change is saved at once.
#include "app/ListDlg.h"
#include "list/ItemDlg.h"
#include "list/ItemList.h"
#include "resource.h"

void CListDlg::OnAddItem() {
    HWND entries = ListBox(IDC_LIST);
    int selected = LowestSelectedIndex(entries);
    int index = selected >= 0 ? selected + 1 : ListBoxCount(entries);
    ListEntry entry;
    if (!RunItemDlg(CItemDlg::kAdd, m_state.listKind == kLoginList, entry))
        return;
    InsertEntry(m_hWnd, index, entry, m_state.listKind);
    SaveList(kSaveInPlace);
}

void CListDlg::OnModifyItem() {
    int index = LowestSelectedIndex(ListBox(IDC_LIST));
    if (index < 0)
        return;
    ListEntry entry = ReadEntry(m_hWnd, index, m_state.listKind);
    if (!RunItemDlg(CItemDlg::kModify, m_state.listKind == kLoginList, entry))
        return;
    DeleteEntry(m_hWnd, index, m_state.listKind);
    InsertEntry(m_hWnd, index, entry, m_state.listKind);
    SaveList(kSaveInPlace);
}

void CListDlg::OnDeleteItem() {
    int index = LowestSelectedIndex(ListBox(IDC_LIST));
    if (index < 0)
        return;
    ListEntry entry = ReadEntry(m_hWnd, index, m_state.listKind);
    if (!RunItemDlg(CItemDlg::kDelete, m_state.listKind == kLoginList, entry))
        return;
    DeleteEntry(m_hWnd, index, m_state.listKind);
    SaveList(kSaveInPlace);
}
