// The password dialog: asks once for the password of a file being opened, or twice for a new one.
#pragma once
#include <string>

#include "framework/Wipe.h"
#include "framework/Wnd.h"

class CPasswordDlg : public CDialog {
  public:
    CPasswordDlg();
    ~CPasswordDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    int m_singleEntry = 0;  // 1: one box, for opening; 0: two boxes that must agree
    std::string m_password; // the first box's text once the dialog ended with OK

  private:
    void Wipe();
};

// Shows the dialog modally; true on OK, with the text typed in the first box exactly as typed.
bool AskPassword(bool confirmMode, std::string& password);
