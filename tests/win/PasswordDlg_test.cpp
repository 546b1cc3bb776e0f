// The password dialog on its own: limits, the two layouts, the mismatch round and Cancel.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "crypt/PasswordDlg.h"
#include "resource.h"

namespace {
bool Visible(HWND dlg, int id) {
    return IsWindowVisible(GetDlgItem(dlg, id)) != FALSE;
}

void TypeChars(HWND edit, const std::string& text) {
    for (char c : text)
        SendMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
}

void Fill(HWND dlg, const char* first, const char* second) {
    SetDlgItemTextA(dlg, IDC_PASSWORD_FIRST, first);
    SetDlgItemTextA(dlg, IDC_PASSWORD_SECOND, second);
}

TEST(PasswordDlg, TheTwoModesLayOutTheirBoxesAndLabels) {
    const struct {
        bool confirm;
        const char* caption;
        const char* prompt;
        bool secondShown;
    } cases[] = {
        {true, "Set your password", "Enter a password for this encrypted file:", true},
        {false, "Enter your Password", "Enter your Password:", false},
    };
    for (const auto& c : cases) {
        std::string caption, prompt;
        bool firstShown = false, secondShown = true, againShown = true, focusInFirst = false;
        WhenDialogAppears(c.caption, [&](HWND dlg) {
            caption = WindowText(dlg);
            prompt = WindowText(GetDlgItem(dlg, IDC_PASSWORD_PROMPT));
            firstShown = Visible(dlg, IDC_PASSWORD_FIRST);
            secondShown = Visible(dlg, IDC_PASSWORD_SECOND);
            againShown = Visible(dlg, IDC_PASSWORD_AGAIN_LABEL);
            focusInFirst = GetFocus() == GetDlgItem(dlg, IDC_PASSWORD_FIRST);
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        std::string password = "untouched";
        EXPECT_FALSE(AskPassword(c.confirm ? PasswordMode::NewPassword : PasswordMode::Open, password));
        EXPECT_TRUE(AllDialogActionsRan());
        CancelDialogActions();
        EXPECT_EQ(password, "untouched") << "Cancel keeps the caller's password";
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(prompt, c.prompt);
        EXPECT_TRUE(firstShown);
        EXPECT_EQ(secondShown, c.secondShown);
        EXPECT_EQ(againShown, c.secondShown);
        EXPECT_TRUE(focusInFirst);
    }
}

TEST(PasswordDlg, AnEleventhCharacterIsRefusedInBothBoxes) {
    std::string first, second;
    WhenDialogAppears("Set your password", [&](HWND dlg) {
        TypeChars(GetDlgItem(dlg, IDC_PASSWORD_FIRST), "abcdefghijK");
        TypeChars(GetDlgItem(dlg, IDC_PASSWORD_SECOND), "ABCDEFGHIJk");
        first = WindowText(GetDlgItem(dlg, IDC_PASSWORD_FIRST));
        second = WindowText(GetDlgItem(dlg, IDC_PASSWORD_SECOND));
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    std::string password;
    EXPECT_TRUE(AskPassword(PasswordMode::NewPassword, password));
    CancelDialogActions();
    EXPECT_EQ(first, "abcdefghij");
    EXPECT_EQ(second, "ABCDEFGHIJ");
    EXPECT_EQ(password, "abcdefghij") << "the first box, as typed; the boxes differ only in case";
}

TEST(PasswordDlg, MismatchAsksAgainWithEmptiedBoxes) {
    std::string message, firstAfter = "?", secondAfter = "?";
    bool focusInFirst = false;
    HWND passwordDlg = nullptr, boxOwner = nullptr;
    WhenDialogAppears("Set your password", [&](HWND dlg) {
        passwordDlg = dlg;
        Fill(dlg, "apple", "apples");
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    WhenDialogAppears("Pelmar", [&](HWND box) {
        message = MessageBoxText(box);
        boxOwner = GetWindow(box, GW_OWNER);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    WhenDialogAppears("Set your password", [&](HWND dlg) {
        firstAfter = WindowText(GetDlgItem(dlg, IDC_PASSWORD_FIRST));
        secondAfter = WindowText(GetDlgItem(dlg, IDC_PASSWORD_SECOND));
        focusInFirst = GetFocus() == GetDlgItem(dlg, IDC_PASSWORD_FIRST);
        Fill(dlg, "Pear", "pEAR");
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    std::string password;
    EXPECT_TRUE(AskPassword(PasswordMode::NewPassword, password));
    EXPECT_TRUE(AllDialogActionsRan());
    CancelDialogActions();
    EXPECT_EQ(message, "The passwords do not match!\n\rPlease enter your password again.");
    EXPECT_EQ(boxOwner, passwordDlg) << "the box belongs to the dialog it speaks for";
    EXPECT_TRUE(passwordDlg);
    EXPECT_EQ(firstAfter, "");
    EXPECT_EQ(secondAfter, "");
    EXPECT_TRUE(focusInFirst);
    EXPECT_EQ(password, "Pear");
}

TEST(PasswordDlg, OkReturnsTheFirstBoxExactlyAsTyped) {
    const struct {
        bool confirm;
        const char* first;
        const char* second;
        const char* expected;
    } cases[] = {
        {true, "", "", ""},                // an empty password is allowed
        {false, "MiXeD 9", "", "MiXeD 9"}, // the hidden box plays no part
        {false, "one", "other", "one"},
    };
    for (const auto& c : cases) {
        WhenDialogAppears("", [&](HWND dlg) {
            Fill(dlg, c.first, c.second);
            PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        });
        std::string password = "old";
        EXPECT_TRUE(AskPassword(c.confirm ? PasswordMode::NewPassword : PasswordMode::Open, password));
        CancelDialogActions();
        EXPECT_EQ(password, c.expected);
    }
}

TEST(PasswordDlg, AProtectedPasswordTakes128CharactersMatchesExactlyAndIsNeverEmpty) {
    const std::string longest = std::string(64, 'A') + std::string(64, 'z');
    std::string prompt, first, second;
    std::vector<std::string> messages;
    auto answerBox = [&](HWND box) {
        messages.push_back(MessageBoxText(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    auto submit = [&](const std::string& a, const std::string& b) {
        WhenDialogAppears("Set your password", [=](HWND dlg) {
            Fill(dlg, a.c_str(), b.c_str());
            PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        });
    };
    WhenDialogAppears("Set your password", [&](HWND dlg) {
        prompt = WindowText(GetDlgItem(dlg, IDC_PASSWORD_PROMPT));
        TypeChars(GetDlgItem(dlg, IDC_PASSWORD_FIRST), longest + "!");
        TypeChars(GetDlgItem(dlg, IDC_PASSWORD_SECOND), longest + "?");
        first = WindowText(GetDlgItem(dlg, IDC_PASSWORD_FIRST));
        second = WindowText(GetDlgItem(dlg, IDC_PASSWORD_SECOND));
        Fill(dlg, "Secret", "secret");
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    WhenDialogAppears("Pelmar", answerBox);
    submit("", "");
    WhenDialogAppears("Pelmar", answerBox);
    submit(longest, longest);
    std::string password;
    EXPECT_TRUE(AskPassword(PasswordMode::NewProtected, password));
    EXPECT_TRUE(AllDialogActionsRan());
    CancelDialogActions();
    EXPECT_EQ(prompt, "Enter a password for this protected list:");
    EXPECT_EQ(first, longest);
    EXPECT_EQ(second, longest);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"The passwords do not match!\n\rPlease enter your password again.",
                                        "A protected list needs a password!\n\rPlease enter a password."}));
    EXPECT_EQ(password, longest);
}
} // namespace
