// The password dialog on template 148: confirm mode (two boxes) and single-entry mode (one box).
#include "crypt/PasswordDlg.h"

#include "framework/WinApp.h"
#include "resource.h"

namespace {
constexpr int kMaxPasswordLength = 10;

// The box's text, at most 10 characters, in a buffer the caller wipes.
void ReadBox(HWND dialog, int id, char (&text)[kMaxPasswordLength + 1]) {
    text[0] = '\0';
    GetDlgItemTextA(dialog, id, text, sizeof text);
}
} // namespace

CPasswordDlg::CPasswordDlg(PasswordMode mode) : CDialog(IDD_PASSWORD), m_mode(mode) {}

CPasswordDlg::~CPasswordDlg() {
    Wipe();
}

void CPasswordDlg::Wipe() {
    WipeString(m_password);
}

BOOL CPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_SECOND, EM_LIMITTEXT, kMaxPasswordLength, 0);
    if (m_mode == PasswordMode::Open) {
        ShowWindow(GetDlgItem(IDC_PASSWORD_SECOND), SW_HIDE);
        SetDlgItemTextA(m_hWnd, IDC_PASSWORD_PROMPT, "Enter your Password:");
        SetWindowTextA(m_hWnd, "Enter your Password");
        ShowWindow(GetDlgItem(IDC_PASSWORD_AGAIN_LABEL), SW_HIDE);
    }
    SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_FIRST, EM_LIMITTEXT, kMaxPasswordLength, 0);
    SetFocus(GetDlgItem(IDC_PASSWORD_FIRST));
    return FALSE; // the focus is set already
}

void CPasswordDlg::OnOK() {
    char first[kMaxPasswordLength + 1], second[kMaxPasswordLength + 1];
    ReadBox(m_hWnd, IDC_PASSWORD_FIRST, first);
    ReadBox(m_hWnd, IDC_PASSWORD_SECOND, second);
    bool mismatch = m_mode == PasswordMode::NewPassword && !PasswordsMatch(first, second);
    if (!mismatch) {
        Wipe();
        m_password = first;
    }
    WipeMemory(first, sizeof first);
    WipeMemory(second, sizeof second);
    if (!mismatch) {
        EndDialog(IDOK);
        return;
    }
    AfxMessageBox("The passwords do not match!\n\rPlease enter your password again.",
                  MB_OK | MB_ICONEXCLAMATION);
    SetDlgItemTextA(m_hWnd, IDC_PASSWORD_FIRST, "");
    SetDlgItemTextA(m_hWnd, IDC_PASSWORD_SECOND, "");
    SetFocus(GetDlgItem(IDC_PASSWORD_FIRST));
}

bool AskPassword(PasswordMode mode, std::string& password) {
    CPasswordDlg dlg(mode);
    if (dlg.DoModal() != IDOK)
        return false;
    WipeString(password);
    password = dlg.Password();
    return true;
}
