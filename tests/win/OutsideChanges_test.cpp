// Another program changes the list file between its load and an edit: its change is never written over.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "crypt/Container.h"
#include "crypt/PasswordLine.h"
#include "crypt/ProtectedList.h"

namespace {
using namespace drivers;
using Items = std::vector<std::string>;

const char kStart[] = "a\r\nb\r\nc\r\n";
const char kMade[] = " was changed by another program; your change was made on its new content.";
const char kNotMade[] = " was changed by another program and no longer holds the entry you edited: your "
                        "change was not made. The list shows the file's new content.";

const char* TitleOf(UINT command) {
    return command == ID_ADD_ITEM      ? "Add Listbox Item"
           : command == ID_MODIFY_ITEM ? "Modify this Listbox item"
                                       : "Delete this Listbox item?";
}

// Runs one edit on the list on screen after the file was rewritten behind the program's back; message
// gets the text of the box that follows, if any.
void EditAfterOutsideWrite(CListDlg& dlg, const std::string& file, const std::string& outside, UINT command,
                           int selected, const char* typed, std::string& message) {
    WriteFileBytes(file, outside);
    SelectItems(dlg.GetDlgItem(IDC_LIST), {selected});
    AnswerItemDialog(TitleOf(command), ItemAnswer(true, typed));
    AnswerMessageBox(&message);
    Command(dlg, command);
    PumpUntil([] { return AllDialogActionsRan(); }, 3000);
    CancelDialogActions();
}

// What a move up of c does, without its menu.
void MoveCUp(CListDlg& dlg) {
    SetEntries(dlg, {"a", "c", "b"});
    ListEdit move;
    move.kind = EditKind::Move;
    move.index = 2;
    move.step = -1;
    move.old.text = "c";
    move.now.text = "b";
    dlg.Files().NoteMove(move);
}

TEST(OutsideChanges, TheEditIsMadeOnTheFilesNewContentOrLeftOut) {
    const struct {
        const char* what;
        std::string outside; // what the other program wrote
        UINT command;
        int selected;
        const char* typed;
        std::string after; // the file afterwards, which the list shows
        const char* message;
        bool moved = false; // c was moved up before the edit
    } cases[] = {
        {"modify, another entry added", "a\r\nb\r\nc\r\nd\r\n", ID_MODIFY_ITEM, 1, "B",
         "a\r\nB\r\nc\r\nd\r\n", kMade},
        {"delete, another entry added first", "x\r\na\r\nb\r\nc\r\n", ID_DELETE_ITEM, 2, "",
         "x\r\na\r\nb\r\n", kMade},
        {"add, its neighbour gone", "b\r\nc\r\nz\r\n", ID_ADD_ITEM, 0, "n", "b\r\nc\r\nz\r\nn\r\n", kMade},
        {"modify an entry the other removed", "a\nc\nd", ID_MODIFY_ITEM, 1, "B", "a\nc\nd", kNotMade},
        {"the same bytes written again", kStart, ID_MODIFY_ITEM, 1, "B", "a\r\nB\r\nc\r\n", ""},
        {"a move goes with the edit", "a\r\nb\r\nc\r\nd\r\n", ID_MODIFY_ITEM, 0, "A", "A\r\nc\r\nb\r\nd\r\n",
         kMade, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "list.txt", kStart), file = dir.File("list.txt"), message;
        Items shown;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            if (c.moved)
                MoveCUp(dlg);
            EditAfterOutsideWrite(dlg, file, c.outside, c.command, c.selected, c.typed, message);
            shown = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
        });
        EXPECT_EQ(ReadFileBytes(file), c.after) << c.what;
        std::vector<ListEntry> expected = ParseListText(c.after.data(), c.after.size(), kPlainList);
        Items texts;
        for (const ListEntry& e : expected)
            texts.push_back(e.text);
        EXPECT_EQ(shown, texts) << c.what;
        EXPECT_EQ(message, *c.message ? file + c.message : "") << c.what;
    }
}

// A protected or encrypted list file of text under password.
std::string Sealed(ListKind kind, const std::string& text, const std::string& password) {
    std::vector<uint8_t> bytes = EncryptedListBytes(ComposePasswordLine(password, text), "list.ple");
    ProtectionKey key;
    if (kind == kProtectedList) {
        EXPECT_EQ(key.Create(password, kMinIterations), ProtectResult::Ok);
        EXPECT_EQ(SealProtectedList(key, kPlainList, text, bytes), ProtectResult::Ok);
    }
    return std::string(bytes.begin(), bytes.end());
}

TEST(OutsideChanges, AListSavedUnderAnotherPasswordIsNeverOverwritten) {
    for (ListKind kind : {kProtectedList, kEncryptedList}) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "start\r\n"), message;
        std::string file = dir.File(kind == kProtectedList ? "list.plk" : "list.ple");
        WriteFileBytes(file, Sealed(kind, kStart, "first"));
        const std::string other = Sealed(kind, "a\r\nb\r\nc\r\nmore\r\n", "second");
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetPassword(dlg, "first"); // an encrypted list's
            AnswerPassword("Enter your Password", "first");
            ASSERT_TRUE(dlg.Files().Load(file, kind));
            CancelDialogActions();
            EditAfterOutsideWrite(dlg, file, other, ID_MODIFY_ITEM, 1, "B", message);
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"a", "B", "c"}))
                << "to be saved elsewhere";
        });
        EXPECT_EQ(ReadFileBytes(file), other) << kind;
        EXPECT_EQ(message, file + " was saved by another program under another password, or is damaged. It "
                                  "was not changed and your change is not saved: open it again with its "
                                  "password, or keep the list shown with Save as.")
            << kind;
    }
}
} // namespace
