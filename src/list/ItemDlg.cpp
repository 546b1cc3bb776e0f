// The item dialog (template 132): one text field, plus site, login and password fields for a login list.
#include "list/ItemDlg.h"

#include "common/Wipe.h"
#include "deliver/KeySequence.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "resource.h"

#include <utility>

namespace {
const char kLoneStarRefused[] =
    "A login or password that is a single * can't be kept in a login list.\nPlease enter another.";

void SetText(HWND control, const std::string& text) {
    std::wstring wide = Widen(text);
    SetWindowTextW(control, wide.c_str());
    WipeWide(wide);
}
} // namespace

CItemDlg::CItemDlg(Mode mode, bool loginFields, const ListEntry& entry)
    : CDialog(IDD_ITEM), m_mode(mode), m_loginFields(loginFields), m_entry(entry) {}

CItemDlg::~CItemDlg() {
    // The dialog's copy of a password, or of a protected list's entry, should not outlive it.
    WipeEntry(m_entry);
}

BOOL CItemDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_mode == kModify)
        SetWindowTextW(m_hWnd, L"Modify this Listbox item");
    else if (m_mode == kDelete)
        SetWindowTextW(m_hWnd, L"Delete this Listbox item?");
    SetText(GetDlgItem(IDC_ITEM_TEXT), m_entry.text);
    SetFocus(GetDlgItem(IDC_ITEM_TEXT));
    if (m_loginFields)
        ShowLoginFields();
    else
        ShowPreview();
    return FALSE; // the focus is set already
}

void CItemDlg::ShowLoginFields() {
    SetText(GetDlgItem(IDC_ITEM_LOGIN), m_entry.login);
    SetText(GetDlgItem(IDC_ITEM_PASSWORD), m_entry.password);
    for (int id : {IDC_ITEM_LOGIN, IDC_ITEM_PASSWORD, IDC_ITEM_SITE_LABEL, IDC_ITEM_LOGIN_LABEL,
                   IDC_ITEM_PASSWORD_LABEL})
        ShowWindow(GetDlgItem(id), SW_SHOWNORMAL);
    ShowWindow(GetDlgItem(IDC_ITEM_PREVIEW), SW_HIDE);
}

// A login list's site is never sent, and its login and password go as written: no preview there.
void CItemDlg::ShowPreview() {
    std::string text = ReadField(IDC_ITEM_TEXT);
    SetText(GetDlgItem(IDC_ITEM_PREVIEW), DescribeEntry(text));
    WipeString(text);
}

bool CItemDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_ITEM_TEXT && code == EN_CHANGE && !m_loginFields) {
        ShowPreview();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

std::string CItemDlg::ReadField(int id) const { return GetDlgItemText(id, kMaxItemText); }

void CItemDlg::OnOK() {
    // Delete only shows the entry: whatever was typed there is not taken.
    if (m_mode != kDelete) {
        ListEntry typed;
        typed.text = ReadField(IDC_ITEM_TEXT);
        if (m_loginFields) {
            typed.login = ReadField(IDC_ITEM_LOGIN);
            typed.password = ReadField(IDC_ITEM_PASSWORD);
        }
        // A lone "*" is stored shifted as one space, which reads back as an empty field: it would be lost.
        if (typed.login == "*" || typed.password == "*") {
            WipeEntry(typed);
            AfxMessageBox(kLoneStarRefused, MB_OK | MB_ICONEXCLAMATION, m_hWnd);
            return;
        }
        // The old texts are wiped, not just let go; the typed ones move in without a copy.
        WipeEntry(m_entry);
        std::swap(m_entry, typed);
    }
    EndDialog(IDOK);
}

bool RunItemDlg(CItemDlg::Mode mode, bool loginFields, ListEntry& entry) {
    CItemDlg dlg(mode, loginFields, entry);
    if (dlg.DoModal() != IDOK)
        return false;
    WipeEntry(entry); // its old texts are let go below
    entry = dlg.Entry();
    return true;
}
