// Encrypted New, Encrypted Open and the encrypted saves, through the real file and password dialogs.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "crypt/Container.h"
#include "resource.h"

namespace {
using Items = std::vector<std::string>;

constexpr int kFileNameCombo = 0x47c;

// Types path into the common dialog's file name box and presses OK; proposed gets what the box held.
void ChooseFile(const std::string& title, const std::string& path, std::string* proposed = nullptr) {
    WhenDialogAppears(title, [=](HWND dlg) {
        HWND name = GetDlgItem(dlg, kFileNameCombo);
        if (proposed)
            *proposed = WindowText(name);
        SetWindowTextA(name, path.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
}

// Answers the password dialog; nullptr presses Cancel.
void AnswerPassword(const std::string& title, const char* first, const char* second = "") {
    WhenDialogAppears(title, [=](HWND dlg) {
        if (first) {
            SetDlgItemTextA(dlg, IDC_PASSWORD_FIRST, first);
            SetDlgItemTextA(dlg, IDC_PASSWORD_SECOND, second);
        }
        PostMessageA(dlg, WM_COMMAND, first ? IDOK : IDCANCEL, 0);
    });
}

void Command(CListDlg& dlg, UINT id) {
    SendMessageA(dlg.m_hWnd, WM_COMMAND, id, 0);
    EXPECT_TRUE(AllDialogActionsRan()) << "a dialog the test expected did not come";
    CancelDialogActions();
}

// Cancels a dialog that must not come, and notes that it came.
void Trap(const std::string& title, bool& came) {
    WhenDialogAppears(title, [&came](HWND w) {
        came = true;
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
}

std::string Decoded(const std::string& file) {
    std::string bytes = ReadFileBytes(file), text;
    if (!ReadEncryptedFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text))
        return "<not an encrypted list>";
    return text;
}

uint32_t U32At(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

std::string StartOn(TempDir& dir, const std::string& name, const std::string& bytes) {
    std::string ini = dir.File("Pelmar.ini"), file = dir.File(name);
    WriteFileBytes(file, bytes);
    WritePrivateProfileStringA("pelmar", "list", file.c_str(), ini.c_str());
    return ini;
}

TEST(EncryptedNew, WritesAContainerThatOpensWithoutAPromptAndAfterARename) {
    TempDir dir;
    std::string ini = StartOn(dir, "start.txt", "old\r\n");
    std::string file = dir.File("new.ple"), renamed = dir.File("moved.ple");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Open a new Listbox File", file);
        AnswerPassword("Set your password", "Key", "kEY");
        WhenDialogAppears("Enter your Password", [](HWND w) { PostMessageA(w, WM_COMMAND, IDCANCEL, 0); });
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_ENCRYPTED_NEW, 0);
        EXPECT_FALSE(AllDialogActionsRan()) << "the new file must open without asking for its password";
        CancelDialogActions();
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"Modify this first item"});
        EXPECT_EQ(dlg.Files().Kind(), kEncryptedList);
        EXPECT_EQ(dlg.Files().State().password, "Key");
        EXPECT_EQ(ReadIni(ini, "list"), file);

        ASSERT_TRUE(MoveFileA(file.c_str(), renamed.c_str()));
        ChooseFile("Open an encrypted Listbox File", renamed);
        std::string notice;
        WhenDialogAppears("Pelmar", [&](HWND box) {
            notice = MessageBoxText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        AnswerPassword("Enter your Password", "KEY");
        Command(dlg, ID_ENCRYPTED_OPEN);
        EXPECT_EQ(notice.substr(0, renamed.size() + 2), renamed + "\r\n")
            << "Encrypted Open forgets the password";
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"Modify this first item"});
        EXPECT_EQ(ReadIni(ini, "list"), renamed);
    });
    std::string bytes = ReadFileBytes(renamed);
    const std::string text = "Key\r\nModify this first item\r\n";
    ASSERT_GT(bytes.size(), 45u);
    EXPECT_TRUE(HasContainerHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_EQ(U32At(bytes, 24), bytes.size());
    EXPECT_EQ(U32At(bytes, 28), text.size());
    EXPECT_EQ(bytes[32], 7);
    EXPECT_EQ(bytes[33], 7);
    EXPECT_EQ(bytes.substr(34, 7), "new.ple") << "the name it was written under";
    EXPECT_EQ(U32At(bytes, 41), text.size());
    EXPECT_EQ(Decoded(renamed), text);
}

TEST(EncryptedNew, CancellingThePasswordLeavesNoFileAndNoChange) {
    TempDir dir;
    std::string ini = StartOn(dir, "Pelmar.plr", "site\r\nW\r\nW\r\n");
    std::string file = dir.File("new.ple");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Open a new Listbox File", file);
        AnswerPassword("Set your password", nullptr);
        Command(dlg, ID_ENCRYPTED_NEW);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"site"});
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
    });
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ReadIni(ini, "list"), dir.File("Pelmar.plr"));
}

TEST(EncryptedSave, SaveAsToAPleNameAsksForANewPassword) {
    TempDir dir;
    std::string ini = StartOn(dir, "work.txt", "a\r\nb\r\n");
    std::string target = dir.File("OUT.PLE");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Save As", target);
        AnswerPassword("Set your password", "New1", "NEW1");
        Command(dlg, ID_FILE_SAVE_AS);
        EXPECT_EQ(dlg.Files().Kind(), kEncryptedList);
    });
    EXPECT_EQ(Decoded(target), "New1\r\na\r\nb\r\n");
    EXPECT_EQ(ReadIni(ini, "list"), target);
}

TEST(EncryptedSave, EncryptedSaveAsProposesThePleNameAndInPlaceSavesKeepThePassword) {
    TempDir dir;
    std::string ini = StartOn(dir, "work.txt", "a\r\n");
    std::string target = dir.File("work.ple");
    std::string proposed;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Save As", target, &proposed);
        AnswerPassword("Set your password", "pw", "pw");
        Command(dlg, ID_ENCRYPTED_SAVE_AS);
        EXPECT_EQ(Decoded(target), "pw\r\na\r\n");

        // What Add does after inserting: an in-place save, asking nothing.
        InsertEntry(dlg, dlg.Files().Model().Size(), "added");
        bool asked = false;
        Trap("Set your password", asked);
        dlg.Files().Save(SaveMode::InPlace);
        CancelDialogActions();
        EXPECT_FALSE(asked);
        EXPECT_EQ(Decoded(target), "pw\r\na\r\nadded\r\n");
    });
    EXPECT_NE(proposed.find("work.ple"), std::string::npos) << proposed;
    EXPECT_EQ(ReadFileBytes(dir.File("work.txt")), "a\r\n");
}

TEST(EncryptedSave, EncryptedSaveAsOnALoginListWritesTheLoginFileInPlace) {
    TempDir dir;
    std::string ini = StartOn(dir, "Pelmar.plr", "site\r\nW\r\nX\r\n");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        InsertEntry(dlg, dlg.Files().Model().Size(), "mail", "b", "c");
        bool asked = false;
        Trap("Save As", asked);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_ENCRYPTED_SAVE_AS, 0);
        CancelDialogActions();
        EXPECT_FALSE(asked);
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
    });
    EXPECT_EQ(ReadFileBytes(dir.File("Pelmar.plr")), "site\r\nW\r\nX\r\nmail\r\nX\r\nY\r\n");
}

TEST(EncryptedSave, AListEditedAndReopenedKeepsItsEntries) {
    TempDir dir;
    std::string ini = StartOn(dir, "start.txt", "old\r\n");
    std::string file = dir.File("kept.ple");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Open a new Listbox File", file);
        AnswerPassword("Set your password", "Door", "door");
        Command(dlg, ID_ENCRYPTED_NEW);
        InsertEntry(dlg, dlg.Files().Model().Size(), "second");
        InsertEntry(dlg, dlg.Files().Model().Size(), "");
        dlg.Files().Save(SaveMode::InPlace);
    });
    // Reopened in a fresh window through Open, which forgets the password, so it asks.
    std::string other = dir.File("other.txt");
    WriteFileBytes(other, "other\r\n");
    WritePrivateProfileStringA("pelmar", "list", other.c_str(), ini.c_str());
    Items messages;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ChooseFile("Open a Listbox File", file);
        WhenDialogAppears("Pelmar", [&](HWND box) {
            messages.push_back(MessageBoxText(box));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        AnswerPassword("Enter your Password", "DOOR");
        Command(dlg, ID_FILE_OPEN);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"Modify this first item", "second", " "}));
        EXPECT_EQ(dlg.Files().Kind(), kEncryptedList);
    });
    EXPECT_EQ(
        messages,
        Items{file + "\r\nis a Pelmar encrypted file.\r\nYou will need to enter its password to open it."});
    EXPECT_EQ(Decoded(file), "Door\r\nModify this first item\r\nsecond\r\n \r\n");
}
} // namespace
