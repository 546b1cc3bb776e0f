// The item dialog: shows one entry's texts for Add, Modify or Delete and gives back what the user confirmed.
#pragma once
#include "framework/Wnd.h"
#include "list/ListText.h"

// A typed text keeps at most this many characters.
constexpr size_t kMaxItemText = 1023;

class CItemDlg : public CDialog {
public:
    enum Mode { kAdd = 1, kModify = 2, kDelete = 3 };
    CItemDlg(Mode mode, bool loginFields, const ListEntry& entry);
    ~CItemDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    const ListEntry& Entry() const { return m_entry; }

private:
    void ShowLoginFields();
    void ShowPreview();
    std::string ReadField(int id) const;

    Mode m_mode;
    bool m_loginFields;
    ListEntry m_entry;
};

// Runs the item dialog modally. True on OK, with the edited texts in entry; in Delete mode the texts
// are only shown, and entry comes back as it went in.
bool RunItemDlg(CItemDlg::Mode mode, bool loginFields, ListEntry& entry);
