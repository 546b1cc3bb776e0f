// The item dialog (template 132): one text field, plus site, login and password fields for a login list.
#include "list/ItemDlg.h"

#include "common/Wipe.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "resource.h"

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
    // The dialog's copy of a password should not outlive it.
    WipeString(m_entry.password);
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
    return FALSE; // the focus is set already
}

void CItemDlg::ShowLoginFields() {
    SetText(GetDlgItem(IDC_ITEM_LOGIN), m_entry.login);
    SetText(GetDlgItem(IDC_ITEM_PASSWORD), m_entry.password);
    for (int id : {IDC_ITEM_LOGIN, IDC_ITEM_PASSWORD, IDC_ITEM_SITE_LABEL, IDC_ITEM_LOGIN_LABEL,
                   IDC_ITEM_PASSWORD_LABEL})
        ShowWindow(GetDlgItem(id), SW_SHOWNORMAL);
}

std::string CItemDlg::ReadField(int id) const {
    HWND box = GetDlgItem(id);
    std::wstring wide(size_t(GetWindowTextLengthW(box)) + 1, L'\0');
    size_t length = size_t(GetWindowTextW(box, &wide[0], int(wide.size())));
    // At most kMaxItemText characters, never half of a surrogate pair.
    if (length > kMaxItemText)
        length = IS_HIGH_SURROGATE(wide[kMaxItemText - 1]) ? kMaxItemText - 1 : kMaxItemText;
    std::string text = Narrow(wide.data(), length);
    WipeWide(wide);
    return text;
}

void CItemDlg::OnOK() {
    // Delete only shows the entry: whatever was typed there is not taken.
    if (m_mode != kDelete) {
        // A lone "*" is stored shifted as one space, which reads back as an empty field: it would be lost.
        if (m_loginFields && (ReadField(IDC_ITEM_LOGIN) == "*" || ReadField(IDC_ITEM_PASSWORD) == "*")) {
            AfxMessageBox(kLoneStarRefused, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
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
