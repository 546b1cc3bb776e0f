// The password dialog on template 148: confirm mode (two boxes) and single-entry mode (one box), for an
// encrypted list (10 characters, letter case ignored) or a protected list (128 characters, exact).
#include "crypt/PasswordDlg.h"

#include <utility>

#include "common/Paths.h"
#include "crypt/PasswordCaseWin.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
constexpr int kMaxPasswordLength = 10;
constexpr int kMaxProtectedLength = 128;

bool AsksTwice(PasswordMode mode) {
    return mode == PasswordMode::NewPassword || mode == PasswordMode::NewProtected;
}

bool IsProtected(PasswordMode mode) {
    return mode == PasswordMode::OpenProtected || mode == PasswordMode::NewProtected;
}

int MaxLength(PasswordMode mode) {
    return IsProtected(mode) ? kMaxProtectedLength : kMaxPasswordLength;
}

// Why the two boxes are not taken, or nullptr. A protected list's key comes from the exact bytes, so
// its boxes must agree exactly, and an empty password would protect nothing.
const char* Refusal(PasswordMode mode, const std::string& first, const std::string& second) {
    if (!AsksTwice(mode))
        return nullptr;
    if (IsProtected(mode) ? first != second : !SystemPasswordCase().Same(first, second))
        return "The passwords do not match!\n\rPlease enter your password again.";
    if (IsProtected(mode) && first.empty())
        return "A protected list needs a password!\n\rPlease enter a password.";
    return nullptr;
}
} // namespace

CPasswordDlg::CPasswordDlg(PasswordMode mode, std::string file)
    : CDialog(IDD_PASSWORD), m_mode(mode), m_file(std::move(file)) {}

CPasswordDlg::~CPasswordDlg() {
    Wipe();
}

void CPasswordDlg::Wipe() {
    WipeString(m_password);
}

BOOL CPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_SECOND, EM_LIMITTEXT, WPARAM(MaxLength(m_mode)), 0);
    if (!AsksTwice(m_mode)) {
        ShowWindow(GetDlgItem(IDC_PASSWORD_SECOND), SW_HIDE);
        SetWindowTextW(m_hWnd, L"Enter your Password");
        ShowWindow(GetDlgItem(IDC_PASSWORD_AGAIN_LABEL), SW_HIDE);
    }
    ShowPrompt();
    SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_FIRST, EM_LIMITTEXT, WPARAM(MaxLength(m_mode)), 0);
    SetFocus(GetDlgItem(IDC_PASSWORD_FIRST));
    return FALSE; // the focus is set already
}

// The caption stays as it always was; the prompt names the file (its name: the whole path may not fit).
void CPasswordDlg::ShowPrompt() {
    std::string prompt;
    if (!m_file.empty())
        prompt =
            (AsksTwice(m_mode) ? "Enter a password for " : "Enter the password of ") + NamePart(m_file) + ":";
    else if (!AsksTwice(m_mode))
        prompt = "Enter your Password:";
    else if (IsProtected(m_mode))
        prompt = "Enter a password for this protected list:";
    if (!prompt.empty())
        SetDlgItemTextW(m_hWnd, IDC_PASSWORD_PROMPT, Widen(prompt).c_str());
}

void CPasswordDlg::OnOK() {
    std::string first = GetDlgItemText(IDC_PASSWORD_FIRST, size_t(MaxLength(m_mode)));
    std::string second = GetDlgItemText(IDC_PASSWORD_SECOND, size_t(MaxLength(m_mode)));
    const char* refusal = Refusal(m_mode, first, second);
    if (!refusal) {
        Wipe();
        m_password = first;
    }
    WipeString(first);
    WipeString(second);
    if (!refusal) {
        EndDialog(IDOK);
        return;
    }
    AfxMessageBox(refusal, MB_OK | MB_ICONEXCLAMATION, m_hWnd);
    SetDlgItemTextW(m_hWnd, IDC_PASSWORD_FIRST, L"");
    SetDlgItemTextW(m_hWnd, IDC_PASSWORD_SECOND, L"");
    SetFocus(GetDlgItem(IDC_PASSWORD_FIRST));
}

bool AskPassword(PasswordMode mode, std::string& password) {
    return AskPassword(mode, std::string(), password);
}

bool AskPassword(PasswordMode mode, const std::string& file, std::string& password) {
    CPasswordDlg dlg(mode, file);
    if (dlg.DoModal() != IDOK)
        return false;
    WipeString(password);
    password = dlg.Password();
    return true;
}
