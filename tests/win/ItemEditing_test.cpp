// Add, Modify and Delete through the real item dialog; every confirmed change is on disk at once.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "TestAllocator.h"

namespace {
using namespace drivers;
using Items = std::vector<std::string>;

// The list file is written without the CR LF a save would give, so any rewrite shows.
const char kStartBytes[] = "e0\ne1\ne2\ne3\ne4\ne5";
const Items kStartEntries = {"e0", "e1", "e2", "e3", "e4", "e5"};

std::string PlainBytes(const Items& entries) {
    std::string bytes;
    for (const std::string& e : entries)
        bytes += (e.empty() ? " " : e) + "\r\n";
    return bytes;
}

struct Edited {
    Items entries;
    std::string file;
    ItemDialogSeen seen;
};

// Starts on the plain start list, selects, runs one command and answers its item dialog.
const char* TitleOf(UINT command) {
    return command == ID_ADD_ITEM      ? "Add Listbox Item"
           : command == ID_MODIFY_ITEM ? "Modify this Listbox item"
                                       : "Delete this Listbox item?";
}

Edited EditPlainList(UINT command, const std::vector<int>& selection, const ItemAnswer& answer) {
    TempDir dir;
    std::string ini = StartWith(dir, "list.txt", kStartBytes);
    Edited out;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SelectItems(dlg.GetDlgItem(IDC_LIST), selection);
        AnswerItemDialog(TitleOf(command), answer, &out.seen, 1000);
        Command(dlg, command);
        CancelDialogActions();
        out.entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
    });
    out.file = ReadFileBytes(dir.File("list.txt"));
    return out;
}

TEST(ItemEditing, ConfirmedChangesLandInTheListAndTheFile) {
    const std::string longText(1500, 'x');
    const struct {
        const char* what;
        UINT command;
        std::vector<int> selection;
        ItemAnswer answer;
        std::string shownText;
        Items after;
    } cases[] = {
        {"add, nothing selected",
         ID_ADD_ITEM,
         {},
         {true, "new"},
         "",
         {"e0", "e1", "e2", "e3", "e4", "e5", "new"}},
        {"add after the lowest selected",
         ID_ADD_ITEM,
         {2, 5},
         {true, "new"},
         "",
         {"e0", "e1", "e2", "new", "e3", "e4", "e5"}},
        {"add a key sequence",
         ID_ADD_ITEM,
         {},
         {true, "u{TAB}p{ENTER}"},
         "",
         {"e0", "e1", "e2", "e3", "e4", "e5", "u{TAB}p{ENTER}"}},
        {"add an empty text", ID_ADD_ITEM, {0}, {true, ""}, "", {"e0", "", "e1", "e2", "e3", "e4", "e5"}},
        {"add a long text",
         ID_ADD_ITEM,
         {},
         {true, longText},
         "",
         {"e0", "e1", "e2", "e3", "e4", "e5", longText.substr(0, 1023)}},
        {"modify the lowest selected",
         ID_MODIFY_ITEM,
         {4, 1, 3},
         {true, "changed"},
         "e1",
         {"e0", "changed", "e2", "e3", "e4", "e5"}},
        {"modify to a long text",
         ID_MODIFY_ITEM,
         {0},
         {true, longText},
         "e0",
         {longText.substr(0, 1023), "e1", "e2", "e3", "e4", "e5"}},
        {"delete the lowest selected, ignoring edits",
         ID_DELETE_ITEM,
         {3, 5},
         {true, "typed over"},
         "e3",
         {"e0", "e1", "e2", "e4", "e5"}},
    };
    for (const auto& c : cases) {
        Edited out = EditPlainList(c.command, c.selection, c.answer);
        EXPECT_TRUE(out.seen.appeared) << c.what;
        EXPECT_EQ(out.seen.text, c.shownText) << c.what;
        EXPECT_FALSE(out.seen.loginShown || out.seen.labelsShown) << c.what;
        // Under the field, updated as the text changes: how the entry will be sent.
        EXPECT_TRUE(out.seen.previewShown) << c.what;
        EXPECT_EQ(out.seen.preview,
                  c.answer.text == "u{TAB}p{ENTER}" ? "Text, Tab, text, Enter" : "Typed as written")
            << c.what;
        EXPECT_EQ(out.entries, c.after) << c.what;
        EXPECT_EQ(out.file, PlainBytes(c.after)) << c.what;
    }
}

TEST(ItemEditing, CancelAndAMissingSelectionChangeNothing) {
    const struct {
        UINT command;
        std::vector<int> selection;
        bool dialogExpected;
    } cases[] = {
        {ID_ADD_ITEM, {1}, true},    {ID_MODIFY_ITEM, {1}, true}, {ID_DELETE_ITEM, {1}, true},
        {ID_MODIFY_ITEM, {}, false}, {ID_DELETE_ITEM, {}, false},
    };
    for (const auto& c : cases) {
        ItemAnswer cancel;
        cancel.ok = false;
        cancel.text = "typed";
        Edited out = EditPlainList(c.command, c.selection, cancel);
        EXPECT_EQ(out.seen.appeared, c.dialogExpected) << c.command;
        EXPECT_EQ(out.entries, kStartEntries) << c.command;
        EXPECT_EQ(out.file, kStartBytes) << c.command;
    }
}

TEST(ItemEditing, LoginListKeepsItsThreeBoxesAlignedAndSavesEachChange) {
    TempDir dir;
    std::string ini = StartWith(dir, "list.txt", "x\r\n");
    std::string loginFile = dir.File("Pelmar.plr");
    WriteFileBytes(loginFile, BuildListText({{"bank", "me", "pw"}, {"mail", "you", "secret"}}, kLoginList));
    auto expectSaved = [&](CListDlg& dlg, const std::vector<ListEntry>& entries, const char* step) {
        Items texts, logins, passwords;
        for (const ListEntry& e : entries) {
            texts.push_back(e.text);
            logins.push_back(e.login);
            passwords.push_back(e.password);
        }
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), texts) << step;
        EXPECT_EQ(Logins(dlg), logins) << step;
        EXPECT_EQ(Passwords(dlg), passwords) << step;
        EXPECT_EQ(ReadFileBytes(loginFile), BuildListText(entries, kLoginList)) << step;
    };
    ItemDialogSeen added, modified, deleted;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        Command(dlg, ID_LOAD_LOGIN_FILE);
        ASSERT_EQ(dlg.Files().Kind(), kLoginList);

        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        AnswerItemDialog("Add Listbox Item", {true, "shop", "buyer", "c4rd"}, &added);
        Command(dlg, ID_ADD_ITEM);
        expectSaved(dlg, {{"bank", "me", "pw"}, {"shop", "buyer", "c4rd"}, {"mail", "you", "secret"}}, "add");

        SelectItems(dlg.GetDlgItem(IDC_LIST), {2});
        AnswerItemDialog("Modify this Listbox item", {true, "post", "", "new"}, &modified);
        Command(dlg, ID_MODIFY_ITEM);
        expectSaved(dlg, {{"bank", "me", "pw"}, {"shop", "buyer", "c4rd"}, {"post", "", "new"}}, "modify");

        SelectItems(dlg.GetDlgItem(IDC_LIST), {0, 2});
        ItemAnswer keep;
        keep.type = false;
        AnswerItemDialog("Delete this Listbox item?", keep, &deleted);
        Command(dlg, ID_DELETE_ITEM);
        expectSaved(dlg, {{"shop", "buyer", "c4rd"}, {"post", "", "new"}}, "delete");
    });
    EXPECT_TRUE(added.loginShown && added.labelsShown && added.passwordMasked);
    EXPECT_FALSE(added.previewShown); // login fields are sent as written
    EXPECT_EQ(added.login, "");
    EXPECT_EQ(modified.text, "mail");
    EXPECT_EQ(modified.login, "you");
    EXPECT_EQ(modified.password, "secret");
    EXPECT_TRUE(modified.loginShown && modified.labelsShown);
    EXPECT_EQ(deleted.text, "bank");
    EXPECT_EQ(deleted.password, "pw");
}

TEST(ItemEditing, ModifyLeavesTheOldPasswordInNoFreedMemory) {
    // Long enough to live in a block of its own, not inside a string object.
    const std::string oldPassword = "0ld-passphrase-of-the-bank-42";
    // All but the first byte, which is all a string moved out of clears.
    const std::string watched = oldPassword.substr(1);
    TempDir dir;
    std::string ini = StartWith(dir, "list.txt", "x\r\n");
    WriteFileBytes(dir.File("Pelmar.plr"), BuildListText({{"bank", "me", oldPassword}}, kLoginList));
    size_t holding = 1;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        Command(dlg, ID_LOAD_LOGIN_FILE);
        ASSERT_EQ(dlg.Files().Kind(), kLoginList);
        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        AnswerItemDialog("Modify this Listbox item", {true, "bank", "me", "n3w-passphrase-of-the-bank-7"});
        test_allocator::WatchForSecret(watched);
        Command(dlg, ID_MODIFY_ITEM);
        holding = test_allocator::FreedBlocksHoldingSecret();
        test_allocator::WatchForSecret("");
        EXPECT_EQ(Passwords(dlg), Items{"n3w-passphrase-of-the-bank-7"});
    });
    EXPECT_EQ(holding, 0u);
}

TEST(ItemEditing, AListThatFailedToLoadAtStartIsNotOverwrittenUnasked) {
    // The start-up load fails while another program holds the file; the first edit then asks where to
    // save instead of replacing that file with the one entry on screen.
    TempDir dir;
    std::string ini = StartWith(dir, "list.txt", "precious\r\nentries\r\n");
    std::string other = dir.File("other.txt");
    HANDLE held =
        CreateFileA(dir.File("list.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string startMessage;
    AnswerMessageBox(&startMessage);
    FileDialogSeen cancelled, chosen;
    bool secondDialog = false;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        CloseHandle(held);
        AnswerItemDialog("Add Listbox Item", {true, "first"});
        AnswerFileDialog("Save As", "", &cancelled);
        Command(dlg, ID_ADD_ITEM);
        CancelDialogActions();
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"first"}));

        AnswerItemDialog("Add Listbox Item", {true, "second"});
        AnswerFileDialog("Save As", other, &chosen);
        Command(dlg, ID_ADD_ITEM);
        CancelDialogActions();

        // From now on the list has its own file and saves go there in place.
        AnswerItemDialog("Add Listbox Item", {true, "third"});
        WhenDialogAppears("Save As", [&](HWND d) {
            secondDialog = true;
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        Command(dlg, ID_ADD_ITEM);
        PumpFor(100);
        CancelDialogActions();
        EXPECT_TRUE(dlg.Files().State().unloadedFile.empty());
    });
    EXPECT_EQ(startMessage, "Can't open List Box file!");
    EXPECT_TRUE(cancelled.appeared);
    EXPECT_EQ(cancelled.initialName, "");
    EXPECT_TRUE(chosen.appeared);
    EXPECT_FALSE(secondDialog);
    EXPECT_EQ(ReadFileBytes(dir.File("list.txt")), "precious\r\nentries\r\n");
    EXPECT_EQ(ReadFileBytes(other), "first\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(ReadIni(ini, "list"), other);
}
} // namespace
