// The Programs dialog of Options, driven through the main dialog, checked in the settings file's [rules].
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "resource.h"

namespace {
// Wine's profile functions drop blanks around a key's "=" whenever they write the file; the rest of a
// line stays as written.
const char kRules[] = "[rules]\r\n"
                      "PuTTY.EXE=paste=shift+insert, font=big\r\n"
                      "class:Notepad=clip=1,colour=red\r\n"
                      "mstsc.exe=clip=2\r\n";

int ComboIndex(HWND dialog, int id) {
    return int(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

struct Seen {
    std::vector<std::string> rules, suggestions;
    std::string program, delay;
    std::vector<int> combos; // send, paste, separator
};

// Options > Programs: edits the rule of class:Notepad, deletes mstsc.exe's, adds the suggestion for
// mintty.exe and ends the Programs dialog with endWith; Options itself is cancelled.
Seen EditRules(CListDlg& dlg, int endWith) {
    Seen seen;
    WhenDialogAppears("Pelmar Options", [&](HWND options) {
        WhenDialogAppears("Programs", [&, options](HWND programs) {
            seen.rules = ListBoxItems(GetDlgItem(programs, IDC_RULE_LIST));
            seen.suggestions = ListBoxItems(GetDlgItem(programs, IDC_RULE_SUGGESTIONS));
            WhenDialogAppears("Program Rule", [&, options, programs](HWND rule) {
                seen.program = WindowText(GetDlgItem(rule, IDC_RULE_PROGRAM));
                seen.delay = WindowText(GetDlgItem(rule, IDC_RULE_DELAY));
                for (int id : {IDC_RULE_SEND, IDC_RULE_PASTE, IDC_RULE_SEPARATOR})
                    seen.combos.push_back(ComboIndex(rule, id));
                SendDlgItemMessageA(rule, IDC_RULE_PASTE, CB_SETCURSEL, 3, 0);     // Ctrl+Shift+V
                SendDlgItemMessageA(rule, IDC_RULE_SEPARATOR, CB_SETCURSEL, 2, 0); // Tab
                SetDlgItemTextA(rule, IDC_RULE_DELAY, "5000");
                // Each of these waits in the queue until the one before has been handled.
                PostMessageA(rule, WM_COMMAND, IDOK, 0);
                PostMessageA(GetDlgItem(programs, IDC_RULE_LIST), LB_SETCURSEL, 2, 0);
                PostMessageA(programs, WM_COMMAND, IDC_RULE_DELETE, 0);
                PostMessageA(GetDlgItem(programs, IDC_RULE_SUGGESTIONS), LB_SETCURSEL, 1, 0);
                PostMessageA(programs, WM_COMMAND, IDC_RULE_SUGGEST, 0);
                PostMessageA(programs, WM_COMMAND, WPARAM(endWith), 0);
                PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
            });
            SendDlgItemMessageA(programs, IDC_RULE_LIST, LB_SETCURSEL, 1, 0);
            PostMessageA(programs, WM_COMMAND, IDC_RULE_EDIT, 0);
        });
        PostMessageA(options, WM_COMMAND, IDC_PROGRAMS, 0);
    });
    SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
    return seen;
}

TEST(Programs, ShowsTheLinesAndWritesOnlyThoseItChanged) {
    const struct {
        int endWith;
        std::string rules; // the section afterwards
    } cases[] = {
        // The hand-written line nobody edited stays as it was; the edited one keeps its unknown item.
        {IDOK, "[rules]\r\n"
               "PuTTY.EXE=paste=shift+insert, font=big\r\n"
               "class:Notepad=clip=1,paste=ctrl+shift+v,keydelay=1000,cr=2,colour=red\r\n"
               "mintty.exe=paste=shift+insert\r\n"},
        {IDCANCEL, kRules},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = WriteSettingsWithList(dir, "a\r\n", "clip=0\r\n");
        WriteFileBytes(ini, ReadFileBytes(ini) + kRules);
        std::string before;
        Seen seen;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            before = ReadFileBytes(ini);
            seen = EditRules(dlg, c.endWith);
        });
        ASSERT_NE(before.find(kRules), std::string::npos) << before;
        std::string expected = before;
        expected.replace(expected.find(kRules), sizeof kRules - 1, c.rules);
        EXPECT_TRUE(AllDialogActionsRan());
        EXPECT_EQ(seen.rules,
                  (std::vector<std::string>{"PuTTY.EXE\tShift+Insert", "class:Notepad\tKeystrokes",
                                            "mstsc.exe\tCharacters"}));
        ASSERT_EQ(seen.suggestions.size(), 4u);
        EXPECT_EQ(seen.suggestions[1], "mintty.exe\tShift+Insert");
        EXPECT_EQ(seen.program, "class:Notepad");
        EXPECT_EQ(seen.delay, "");
        EXPECT_EQ(seen.combos, (std::vector<int>{2, 0, 0})); // keystrokes; paste and separator as in Options
        EXPECT_EQ(ReadFileBytes(ini), expected) << c.endWith;
        EXPECT_EQ(ReadIni(ini, "clip"), "0");
    }
}
} // namespace
