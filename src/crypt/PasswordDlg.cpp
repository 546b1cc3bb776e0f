// The password dialog on template 148: confirm mode (two boxes) and single-entry mode (one box).
#include "crypt/PasswordDlg.h"

#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
constexpr int kMaxPasswordLength = 10;

// The box's text, at most 10 characters.
std::string ReadBox(HWND dialog, int id) {
    wchar_t text[kMaxPasswordLength + 1] = {};
    int n = GetDlgItemTextW(dialog, id, text, kMaxPasswordLength + 1);
    std::string utf8 = Narrow(text, n > 0 ? size_t(n) : 0);
    WipeMemory(text, sizeof text);
    return utf8;
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
        SetDlgItemTextW(m_hWnd, IDC_PASSWORD_PROMPT, L"Enter your Password:");
        SetWindowTextW(m_hWnd, L"Enter your Password");
        ShowWindow(GetDlgItem(IDC_PASSWORD_AGAIN_LABEL), SW_HIDE);
    }
    SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_FIRST, EM_LIMITTEXT, kMaxPasswordLength, 0);
    SetFocus(GetDlgItem(IDC_PASSWORD_FIRST));
    return FALSE; // the focus is set already
}

void CPasswordDlg::OnOK() {
    std::string first = ReadBox(m_hWnd, IDC_PASSWORD_FIRST), second = ReadBox(m_hWnd, IDC_PASSWORD_SECOND);
    bool mismatch = m_mode == PasswordMode::NewPassword && !PasswordsMatch(first, second);
    if (!mismatch) {
        Wipe();
        m_password = first;
    }
    WipeString(first);
    WipeString(second);
    if (!mismatch) {
        EndDialog(IDOK);
        return;
    }
    AfxMessageBox("The passwords do not match!\n\rPlease enter your password again.",
                  MB_OK | MB_ICONEXCLAMATION);
    SetDlgItemTextW(m_hWnd, IDC_PASSWORD_FIRST, L"");
    SetDlgItemTextW(m_hWnd, IDC_PASSWORD_SECOND, L"");
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
