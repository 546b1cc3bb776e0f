// The Options dialog: window mode, start mode, separator mode and send mode, chosen with radio buttons,
// the typing delay and the clipboard switch; its Programs button opens the rules per program.
#include "app/OptionsDlg.h"

#include <commctrl.h>

#include "app/MainLayout.h"
#include "app/OptionsRules.h"
#include "app/ProgramsDlg.h"
#include "app/WindowDpi.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "settings/HotKeyRules.h"
#include "settings/Settings.h"

namespace {
const RadioGroup kWindowModeGroup = {IDC_WINMODE_VERTICAL, IDC_WINMODE_CURRENT, 1008};
const RadioGroup kStartModeGroup = {IDC_START_REGULAR, IDC_START_TRAY, 1012};
const RadioGroup kSeparatorGroup = {IDC_SEPARATOR_CRLF, IDC_SEPARATOR_TAB, 1013};
const RadioGroup kSendModeGroup = {IDC_SEND_CLIPBOARD, IDC_SEND_CHARACTERS, 1016};

class COptionsDlg : public CDialog {
  public:
    explicit COptionsDlg(const OptionsChoice& current) : CDialog(IDD_OPTIONS), m_choice(current) {}
    const OptionsChoice& Choice() const { return m_choice; }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        Show(kWindowModeGroup, m_choice.windowMode);
        Show(kStartModeGroup, m_choice.startMode);
        Show(kSeparatorGroup, m_choice.separatorMode);
        Show(kSendModeGroup, m_choice.sendMode);
        SendDlgItemMessageA(m_hWnd, IDC_KEY_DELAY, EM_LIMITTEXT, 4, 0);
        SetDlgItemInt(m_hWnd, IDC_KEY_DELAY, UINT(m_choice.keyDelay), FALSE);
        CheckDlgButton(m_hWnd, IDC_RESTORE_CLIPBOARD,
                       m_choice.restoreClipboard ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageW(m_hWnd, IDC_HOTKEY, HKM_SETHOTKEY, ControlFromHotKey(m_choice.hotKey), 0);
        SetDlgItemTextA(m_hWnd, IDC_HOTKEY_STATE, HotKeyStateText(m_choice.hotKeyState).c_str());
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
        return TRUE;
    }

    void OnOK() override {
        if (!ReadHotKey())
            return;
        m_choice.windowMode = Read(kWindowModeGroup, m_choice.windowMode);
        m_choice.startMode = Read(kStartModeGroup, m_choice.startMode);
        m_choice.separatorMode = Read(kSeparatorGroup, m_choice.separatorMode);
        m_choice.sendMode = Read(kSendModeGroup, m_choice.sendMode);
        m_choice.keyDelay = ReadClamped(IntSetting::KeyDelay, GetDlgItemText(IDC_KEY_DELAY));
        m_choice.restoreClipboard = IsDlgButtonChecked(m_hWnd, IDC_RESTORE_CLIPBOARD) == BST_CHECKED;
        CDialog::OnOK();
    }

    // Help asked for inside the dialog opens the contents; the main window stays where it is.
    virtual void WinHelp(DWORD_PTR, UINT) { AfxGetApp()->WinHelp(0, HELP_CONTENTS); }

  protected:
    // The rules per program are saved by their own dialog's OK, whatever becomes of this one.
    bool OnCommand(UINT id, UINT code, HWND control) override {
        switch (id) {
        case IDC_PROGRAMS: EditProgramRules(m_hWnd); return true;
        case IDC_HOTKEY_OFF: SendDlgItemMessageW(m_hWnd, IDC_HOTKEY, HKM_SETHOTKEY, 0, 0); return true;
        default: return CDialog::OnCommand(id, code, control);
        }
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != WM_HELP)
            return CDialog::OnMessage(msg, wParam, lParam, result);
        WinHelp(0, HELP_CONTENTS);
        result = TRUE;
        return true;
    }

  private:
    // The control cannot show the Windows key: an unchanged control keeps the setting as it was.
    // A refused combination is explained and the dialog stays open.
    bool ReadHotKey() {
        unsigned shown = unsigned(SendDlgItemMessageW(m_hWnd, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
        int hotKey = shown == ControlFromHotKey(m_choice.hotKey) ? m_choice.hotKey : HotKeyFromControl(shown);
        std::string refusal = HotKeyRefusal(CheckHotKey(hotKey));
        if (!refusal.empty()) {
            AfxMessageBox(refusal.c_str(), MB_OK | MB_ICONEXCLAMATION);
            ::SetFocus(::GetDlgItem(m_hWnd, IDC_HOTKEY));
            return false;
        }
        m_choice.hotKey = hotKey;
        return true;
    }

    void Show(const RadioGroup& group, int value) {
        CheckRadioButton(m_hWnd, group.firstId, group.lastId, ButtonForValue(group, value));
    }

    int Read(const RadioGroup& group, int previous) const {
        int checked = 0;
        for (int id = group.firstId; id <= group.lastId && !checked; ++id)
            checked = IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? id : 0;
        return ValueForButton(group, checked, previous);
    }

    OptionsChoice m_choice;
};

// Runs the dialog over the current choices; true with the chosen ones after OK.
bool RunOptionsDialog(OptionsChoice& choice) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    COptionsDlg dlg(choice);
    if (dlg.DoModal() != IDOK)
        return false;
    choice = dlg.Choice();
    return true;
}

// A new window mode applies at once: the current place is kept for mode 3, the fixed ones taken otherwise.
void ApplyWindowMode(HWND window, int windowMode) {
    WriteSetting(IntSetting::WinMode, windowMode);
    RECT rect;
    switch (windowMode) {
    case 3:
        GetWindowRect(window, &rect);
        WriteSetting(IntSetting::Left, rect.left);
        WriteSetting(IntSetting::Width, rect.right - rect.left);
        WriteSetting(IntSetting::Top, rect.top);
        WriteSetting(IntSetting::Height, rect.bottom - rect.top);
        break;
    case 1:
    case 2: {
        Placement p = FixedModePlacement(windowMode, WindowDpi(window));
        MoveWindow(window, p.x, p.y, p.width, p.height, TRUE);
        break;
    }
    default: break;
    }
}
} // namespace

bool ChangeOptions(HWND window, OptionsChoice& choice) {
    int previousWindowMode = choice.windowMode;
    choice.hotKey = ReadSetting(IntSetting::HotKey);
    if (!RunOptionsDialog(choice))
        return false;
    WriteSetting(IntSetting::Tray, choice.startMode);
    WriteSetting(IntSetting::Cr, choice.separatorMode);
    WriteSetting(IntSetting::Clip, choice.sendMode);
    WriteSetting(IntSetting::KeyDelay, choice.keyDelay);
    WriteSetting(IntSetting::RestoreClip, choice.restoreClipboard ? 1 : 0);
    WriteSetting(IntSetting::HotKey, choice.hotKey);
    if (choice.windowMode != previousWindowMode)
        ApplyWindowMode(window, choice.windowMode);
    return true;
}
