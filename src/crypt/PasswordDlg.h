// The password dialog: asks once for the password of a file being opened, or twice for a new one, of an
// encrypted or a protected list.
#pragma once
#include <string>

#include "common/Wipe.h"
#include "crypt/PasswordLine.h"
#include "framework/Wnd.h"

class CPasswordDlg : public CDialog {
  public:
    // file: the file the password is for, named in the prompt (none when empty).
    explicit CPasswordDlg(PasswordMode mode, std::string file = std::string());
    ~CPasswordDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    const std::string& Password() const { return m_password; }

  private:
    void Wipe();
    void ShowPrompt();

    PasswordMode m_mode;    // Open*: one box; New*: two boxes that must agree
    std::string m_file;     // named in the prompt when not empty
    std::string m_password; // the first box's text once the dialog ended with OK
};

// Shows the dialog modally; true on OK, with the text typed in the first box exactly as typed.
bool AskPassword(PasswordMode mode, std::string& password);
// The same, naming the file's name in the prompt.
bool AskPassword(PasswordMode mode, const std::string& file, std::string& password);
