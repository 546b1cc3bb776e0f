// The Programs dialog (the rules per program) and the dialog that edits one rule.
#include "app/ProgramsDlg.h"

#include <string>
#include <utility>
#include <vector>

#include "common/Text.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "settings/Settings.h"

namespace {
const char kNoProgram[] =
    "Type the program's file name, such as putty.exe, or class: and a window class, such as class:PuTTY.";
const char kTaken[] = "There is a rule for this program already: edit that one.";
// The drop-down lists: the first item of each leaves the setting to Options.
const wchar_t* const kSendItems[] = {L"As in Options", L"Use clipboard", L"Send keystrokes",
                                     L"Send characters"};
const wchar_t* const kPasteItems[] = {L"As in Options (Ctrl+V)", L"Ctrl+V", L"Shift+Insert", L"Ctrl+Shift+V"};
const wchar_t* const kSeparatorItems[] = {L"As in Options", L"Enter", L"Tab"};

template <size_t N> void FillCombo(HWND combo, const wchar_t* const (&items)[N], int selected) {
    for (const wchar_t* item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, WPARAM(selected), 0);
}

int ComboChoice(HWND combo) {
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : int(index);
}

// Index 0 of a list stands for "not set"; the others for value first, first + 1, ...
int IndexOf(const std::optional<int>& value, int first) {
    return value ? *value - first + 1 : 0;
}
std::optional<int> ValueAt(int index, int first) {
    return index > 0 ? std::optional<int>(index - 1 + first) : std::nullopt;
}

void AddListLine(HWND box, const std::string& text) {
    SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

std::string RuleLine(const ProgramRule& rule) {
    return rule.program + "\t" + DescribeOverrides(rule.set);
}

bool Taken(const std::vector<std::string>& taken, const std::string& program) {
    for (const std::string& other : taken)
        if (EqualsIgnoreCase(RuleKeyFor(other), program))
            return true;
    return false;
}

// One rule: the program, and what it sets instead of Options. Items it does not know stay in the rule.
class CRuleDlg : public CDialog {
  public:
    CRuleDlg(HWND owner, const ProgramRule& rule, std::vector<std::string> taken)
        : CDialog(IDD_PROGRAM_RULE, owner), m_rule(rule), m_taken(std::move(taken)) {}
    const ProgramRule& Rule() const { return m_rule; }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SendDlgItemMessageW(m_hWnd, IDC_RULE_PROGRAM, EM_LIMITTEXT, kMaxProgramName, 0);
        SetWindowTextW(GetDlgItem(IDC_RULE_PROGRAM), Widen(m_rule.program).c_str());
        FillCombo(GetDlgItem(IDC_RULE_SEND), kSendItems, IndexOf(m_rule.set.sendMode, 0));
        FillCombo(GetDlgItem(IDC_RULE_PASTE), kPasteItems, m_rule.set.paste ? int(*m_rule.set.paste) + 1 : 0);
        FillCombo(GetDlgItem(IDC_RULE_SEPARATOR), kSeparatorItems, IndexOf(m_rule.set.separator, 1));
        SendDlgItemMessageW(m_hWnd, IDC_RULE_DELAY, EM_LIMITTEXT, 4, 0);
        if (m_rule.set.keyDelay)
            SetDlgItemInt(m_hWnd, IDC_RULE_DELAY, UINT(*m_rule.set.keyDelay), FALSE);
        return TRUE;
    }

    void OnOK() override {
        std::string program = RuleKeyFor(GetDlgItemText(IDC_RULE_PROGRAM));
        if (program.empty() || Taken(m_taken, program)) {
            AfxMessageBox(program.empty() ? kNoProgram : kTaken, MB_OK | MB_ICONEXCLAMATION);
            SetFocus(GetDlgItem(IDC_RULE_PROGRAM));
            return;
        }
        m_rule.program = program;
        m_rule.set = ReadChoices();
        CDialog::OnOK();
    }

  private:
    static constexpr int kMaxProgramName = 260;

    RuleOverrides ReadChoices() const {
        RuleOverrides set;
        set.sendMode = ValueAt(ComboChoice(GetDlgItem(IDC_RULE_SEND)), 0);
        if (int paste = ComboChoice(GetDlgItem(IDC_RULE_PASTE)))
            set.paste = PasteKeys(paste - 1);
        set.separator = ValueAt(ComboChoice(GetDlgItem(IDC_RULE_SEPARATOR)), 1);
        std::string delay = GetDlgItemText(IDC_RULE_DELAY);
        if (!delay.empty())
            set.keyDelay = ReadClamped(IntSetting::KeyDelay, delay);
        return set;
    }

    ProgramRule m_rule;
    std::vector<std::string> m_taken; // the other rules' programs
};

// A rule as the dialog holds it: the key its line had in the file (none for a new rule) and whether the
// line must be written.
struct RuleRow {
    ProgramRule rule;
    std::string fileKey;
    bool changed = false;
};

class CProgramsDlg : public CDialog {
  public:
    explicit CProgramsDlg(HWND owner) : CDialog(IDD_PROGRAMS, owner) {
        for (ProgramRule& rule : ReadProgramRules()) {
            m_rows.emplace_back();
            m_rows.back().fileKey = rule.program;
            m_rows.back().rule = std::move(rule);
        }
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // A long program name pushes its description on to the next stop rather than into it.
        const int tabs[] = {100, 150, 200};
        for (int id : {IDC_RULE_LIST, IDC_RULE_SUGGESTIONS})
            SendDlgItemMessageW(m_hWnd, id, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(tabs));
        for (const ProgramRule& rule : SuggestedRules())
            AddListLine(GetDlgItem(IDC_RULE_SUGGESTIONS), RuleLine(rule));
        ShowRules(0);
        return TRUE;
    }

    // Only now does the file change, and only in the lines that did.
    void OnOK() override {
        // Every line that goes, or is renamed, goes first: two rules may have swapped their names.
        for (const std::string& key : m_deleted)
            DeleteProgramRule(key);
        for (const RuleRow& row : m_rows)
            if (row.changed && !row.fileKey.empty() && row.fileKey != row.rule.program)
                DeleteProgramRule(row.fileKey);
        for (const RuleRow& row : m_rows)
            if (row.changed)
                WriteProgramRule(row.rule);
        CDialog::OnOK();
    }

  protected:
    bool OnCommand(UINT id, UINT code, HWND control) override {
        switch (id) {
        case IDC_RULE_ADD: OnAdd(); return true;
        case IDC_RULE_EDIT: OnEdit(); return true;
        case IDC_RULE_DELETE: OnDelete(); return true;
        case IDC_RULE_SUGGEST: OnSuggest(); return true;
        case IDC_RULE_LIST: OnListNotify(code, &CProgramsDlg::OnEdit); return true;
        case IDC_RULE_SUGGESTIONS: OnListNotify(code, &CProgramsDlg::OnSuggest); return true;
        default: return CDialog::OnCommand(id, code, control);
        }
    }

  private:
    void OnListNotify(UINT code, void (CProgramsDlg::*onDoubleClick)()) {
        if (code == LBN_DBLCLK)
            (this->*onDoubleClick)();
    }

    void OnAdd() { Edit(ProgramRule(), -1); }

    void OnEdit() {
        int index = Selected(IDC_RULE_LIST);
        if (index >= 0)
            Edit(m_rows[size_t(index)].rule, index);
    }

    void OnDelete() {
        int index = Selected(IDC_RULE_LIST);
        if (index < 0)
            return;
        if (!m_rows[size_t(index)].fileKey.empty())
            m_deleted.push_back(m_rows[size_t(index)].fileKey);
        m_rows.erase(m_rows.begin() + index);
        ShowRules(index);
    }

    void OnSuggest() {
        int index = Selected(IDC_RULE_SUGGESTIONS);
        if (index < 0)
            return;
        const ProgramRule& suggested = SuggestedRules()[size_t(index)];
        if (Taken(Programs(-1), suggested.program)) {
            AfxMessageBox(kTaken, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        Put(suggested, -1);
    }

    // Runs the rule dialog over rule; index -1 adds the result as a new rule.
    void Edit(const ProgramRule& rule, int index) {
        CRuleDlg dlg(m_hWnd, rule, Programs(index));
        if (dlg.DoModal() == IDOK)
            Put(dlg.Rule(), index);
    }

    // rule in place of the one at index, or added at the end for -1; its line is written at OK.
    void Put(const ProgramRule& rule, int index) {
        if (index < 0) {
            index = int(m_rows.size());
            m_rows.emplace_back();
        }
        m_rows[size_t(index)].rule = rule;
        m_rows[size_t(index)].changed = true;
        ShowRules(index);
    }

    // The programs of all rules but the one at except.
    std::vector<std::string> Programs(int except) const {
        std::vector<std::string> programs;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (int(i) != except)
                programs.push_back(m_rows[i].rule.program);
        return programs;
    }

    int Selected(int listId) const {
        LRESULT index = SendDlgItemMessageW(m_hWnd, listId, LB_GETCURSEL, 0, 0);
        return index == LB_ERR ? -1 : int(index);
    }

    void ShowRules(int selected) {
        HWND box = GetDlgItem(IDC_RULE_LIST);
        SendMessageW(box, LB_RESETCONTENT, 0, 0);
        for (const RuleRow& row : m_rows)
            AddListLine(box, RuleLine(row.rule));
        if (!m_rows.empty())
            SendMessageW(box, LB_SETCURSEL, WPARAM(selected < int(m_rows.size()) ? selected : selected - 1),
                         0);
    }

    std::vector<RuleRow> m_rows;
    std::vector<std::string> m_deleted; // keys whose lines go
};
} // namespace

void EditProgramRules(HWND owner) {
    CProgramsDlg dlg(owner);
    dlg.DoModal();
}
