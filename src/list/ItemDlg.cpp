// The item dialog (template 132): one text field, plus site, login and password fields for a login list.
#include "list/ItemDlg.h"

#include "common/Wipe.h"
#include "resource.h"

CItemDlg::CItemDlg(Mode mode, bool loginFields, const ListEntry& entry)
    : CDialog(IDD_ITEM), m_mode(mode), m_loginFields(loginFields), m_entry(entry) {}

CItemDlg::~CItemDlg() {
    // The dialog's copy of a password should not outlive it.
    WipeString(m_entry.password);
}

BOOL CItemDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_mode == kModify)
        SetWindowTextA(m_hWnd, "Modify this Listbox item");
    else if (m_mode == kDelete)
        SetWindowTextA(m_hWnd, "Delete this Listbox item?");
    SetWindowTextA(GetDlgItem(IDC_ITEM_TEXT), m_entry.text.c_str());
    SetFocus(GetDlgItem(IDC_ITEM_TEXT));
    if (m_loginFields)
        ShowLoginFields();
    return FALSE; // the focus is set already
}

void CItemDlg::ShowLoginFields() {
    SetWindowTextA(GetDlgItem(IDC_ITEM_LOGIN), m_entry.login.c_str());
    SetWindowTextA(GetDlgItem(IDC_ITEM_PASSWORD), m_entry.password.c_str());
    for (int id : {IDC_ITEM_LOGIN, IDC_ITEM_PASSWORD, IDC_ITEM_SITE_LABEL, IDC_ITEM_LOGIN_LABEL,
                   IDC_ITEM_PASSWORD_LABEL})
        ShowWindow(GetDlgItem(id), SW_SHOWNORMAL);
}

std::string CItemDlg::ReadField(int id) const {
    std::string text = GetDlgItemText(id);
    if (text.size() > kMaxItemText)
        text.resize(kMaxItemText);
    return text;
}

void CItemDlg::OnOK() {
    // Delete only shows the entry: whatever was typed there is not taken.
    if (m_mode != kDelete) {
        m_entry.text = ReadField(IDC_ITEM_TEXT);
        if (m_loginFields) {
            m_entry.login = ReadField(IDC_ITEM_LOGIN);
            m_entry.password = ReadField(IDC_ITEM_PASSWORD);
        }
    }
    EndDialog(IDOK);
}

bool RunItemDlg(CItemDlg::Mode mode, bool loginFields, ListEntry& entry) {
    CItemDlg dlg(mode, loginFields, entry);
    if (dlg.DoModal() != IDOK)
        return false;
    entry = dlg.Entry();
    return true;
}
