// File > Import logins: a CSV export through the real file dialog and message boxes into the login list,
// made unprotected or opened protected, while a refused file changes nothing.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "crypt/ProtectedList.h"

using namespace drivers;

namespace {
using Items = std::vector<std::string>;

const char kExport[] = "\xEF\xBB\xBFname,url,username,password,note\r\n"
                       "\"Mail, home\",https://m.example.com,ann,\"p\"\"w\",\"two\r\nlines\"\r\n"
                       ",https://shop.example.com/cart,bob,secret,\r\n";
// LastPass's columns: one login already imported, one new with a one-time-code secret.
const char kMore[] = "url,username,password,totp,extra,name,grouping,fav\n"
                     "https://shop.example.com/cart,bob,secret,,,,,0\n"
                     "https://new.example.com,carl,pw3,JBSWY3DP,,New,,0\n";

void AnswerYesNo(bool yes, std::string* text) {
    WhenDialogAppears("Pelmar", [=](HWND box) {
        *text = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
    });
}

void RunCommand(CListDlg& dlg, UINT id) {
    Command(dlg, id);
    EXPECT_TRUE(AllDialogActionsRan()) << "a dialog the test expected did not come";
    CancelDialogActions();
}

std::string MenuText(HWND window, UINT id) {
    char text[64] = {};
    GetMenuStringA(GetMenu(window), id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

void ExpectLogins(CListDlg& dlg, const Items& labels, const Items& logins, const Items& passwords) {
    EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), labels);
    EXPECT_EQ(Logins(dlg), logins);
    EXPECT_EQ(Passwords(dlg), passwords);
}

TEST(ImportLogins, MakesTheLoginListAppendsToItAndSelectsWhatCame) {
    TempDir dir;
    std::string ini = StartWith(dir, "other.txt", "other\r\n");
    std::string plr = dir.File("Pelmar.plr"), plk = dir.File("Pelmar.plk");
    std::string csv = dir.File("export.csv"), more = dir.File("more.csv"), notes = dir.File("notes.csv");
    WriteFileBytes(csv, kExport);
    WriteFileBytes(more, kMore);
    WriteFileBytes(notes, "name,url\r\nA,https://a.example.com\r\n");
    FileDialogSeen seen;
    std::string refusal, protectQuestion, plainQuestion, summary, secondSummary;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        EXPECT_EQ(MenuText(dlg.m_hWnd, ID_IMPORT_LOGINS), "Import lo&gins...");

        // A file without logins: refused before the login list is touched.
        AnswerFileDialog("Import logins", notes, &seen);
        AnswerMessageBox(&refusal);
        RunCommand(dlg, ID_IMPORT_LOGINS);
        EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"other"});
        EXPECT_EQ(ReadIni(ini, "list"), dir.File("other.txt"));

        // No login list yet: declined protected, accepted unprotected after the warning.
        AnswerFileDialog("Import logins", csv);
        AnswerYesNo(false, &protectQuestion);
        AnswerYesNo(true, &plainQuestion);
        AnswerMessageBox(&summary);
        RunCommand(dlg, ID_IMPORT_LOGINS);
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
        ExpectLogins(dlg, {"Mail, home", "shop.example.com"}, {"ann", "bob"}, {"p\"w", "secret"});
        EXPECT_EQ(ListBoxSelection(dlg.GetDlgItem(IDC_LIST)), std::vector<int>{0});
        EXPECT_EQ(ReadIni(ini, "list"), plr);

        // Into the login list on screen: appended, the login already there skipped, the new one selected.
        AnswerFileDialog("Import logins", more);
        AnswerMessageBox(&secondSummary);
        RunCommand(dlg, ID_IMPORT_LOGINS);
        ExpectLogins(dlg, {"Mail, home", "shop.example.com", "New"}, {"ann", "bob", "carl"},
                     {"p\"w", "secret", "pw3"});
        EXPECT_EQ(ListBoxSelection(dlg.GetDlgItem(IDC_LIST)), std::vector<int>{2});
    });
    EXPECT_EQ(seen.filters, (Items{"CSV Files (*.csv)", "All Files (*.*)"}));
    EXPECT_NE(refusal.find("no login column"), std::string::npos) << refusal;
    EXPECT_EQ(ReadFileBytes(dir.File("other.txt")), "other\r\n");
    EXPECT_NE(protectQuestion.find(plk), std::string::npos) << protectQuestion;
    EXPECT_NE(plainQuestion.find("Anyone who can read"), std::string::npos) << plainQuestion;
    EXPECT_NE(summary.find("imported 2, skipped 0."), std::string::npos) << summary;
    EXPECT_NE(summary.find("delete it"), std::string::npos) << summary;
    EXPECT_NE(secondSummary.find("imported 1, skipped 1 (already in the list: 1); 1 one-time-code (TOTP) "
                                 "secrets not imported."),
              std::string::npos)
        << secondSummary;
    EXPECT_EQ(ReadFileBytes(plr), BuildListText({{"Mail, home", "ann", "p\"w"},
                                                 {"shop.example.com", "bob", "secret"},
                                                 {"New", "carl", "pw3"}},
                                                kLoginList));
    EXPECT_FALSE(FileExists(plk));
}

TEST(ImportLogins, OpensTheProtectedLoginListWithItsPasswordAndSavesItSealed) {
    TempDir dir;
    std::string ini = StartWith(dir, "other.txt", "other\r\n");
    std::string plk = dir.File("Pelmar.plk"), csv = dir.File("more.csv");
    ProtectionKey key;
    std::vector<uint8_t> sealed;
    ASSERT_EQ(key.Create("login pw", kMinIterations), ProtectResult::Ok);
    ASSERT_EQ(SealProtectedList(key, kLoginList, "bank\r\nme\r\nsecret\r\n", sealed), ProtectResult::Ok);
    WriteFileBytes(plk, std::string(sealed.begin(), sealed.end()));
    WriteFileBytes(csv, kMore);
    std::string summary;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerFileDialog("Import logins", csv);
        AnswerPassword("Enter your Password", "login pw");
        AnswerMessageBox(&summary);
        RunCommand(dlg, ID_IMPORT_LOGINS);
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
        ExpectLogins(dlg, {"bank", "shop.example.com", "New"}, {"me", "bob", "carl"},
                     {"secret", "secret", "pw3"});
        EXPECT_EQ(ReadIni(ini, "list"), plk);
    });
    EXPECT_NE(summary.find("imported 2, skipped 0"), std::string::npos) << summary;
    std::string bytes = ReadFileBytes(plk), text;
    ListKind kind = kPlainList;
    ASSERT_EQ(
        OpenProtectedList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, kind, text),
        ProtectResult::Ok)
        << "sealed again under the key the file opened with";
    EXPECT_EQ(kind, kLoginList);
    EXPECT_EQ(text, "bank\r\nme\r\nsecret\r\nshop.example.com\r\nbob\r\nsecret\r\nNew\r\ncarl\r\npw3\r\n");
    EXPECT_FALSE(FileExists(dir.File("Pelmar.plr")));
}
} // namespace
