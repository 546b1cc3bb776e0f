// The paths where a user could lose a list, a login file, an encrypted list or a password: each one keeps
// what is there and says why.
#include <gtest/gtest.h>

#include "BoxWatch.h"
#include "ListFileDrivers.h"
#include "TestAllocator.h"
#include "crypt/Container.h"

using namespace drivers;

namespace {
using Items = std::vector<std::string>;

std::string EncryptedFile(const std::string& text, const std::string& name) {
    std::vector<uint8_t> bytes = EncryptedListBytes(text, name);
    return std::string(bytes.begin(), bytes.end());
}

// The notice and the password prompt of an encrypted start-up list; a first start under Wine can be slow.
void AnswerStartupPassword(const char* password) {
    WhenDialogAppears(
        "Pelmar", [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }, 60000);
    AnswerPassword("Enter your Password", password, "", 60000);
}

TEST(NothingLost, OnlyTheProgramsLoginFileIsALoginList) {
    // A plain list saved as notes.plr (or a backup of the login file) is the start-up list: it opens as a
    // plain list, and an edit saves it in place instead of overwriting the real login file.
    TempDir dir;
    std::string login = dir.File("Pelmar.plr"), notes = dir.File("notes.plr");
    WriteFileBytes(login, "bank\r\nW\r\nW\r\n");
    std::string ini = StartWith(dir, "notes.plr", "one\r\ntwo\r\n");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        SelectItems(dlg.GetDlgItem(IDC_LIST), {1});
        AnswerItemDialog("Add Listbox Item", {true, "three"});
        Command(dlg, ID_ADD_ITEM);
        EXPECT_TRUE(AllDialogActionsRan());
        CancelDialogActions();
    });
    EXPECT_EQ(ReadFileBytes(login), "bank\r\nW\r\nW\r\n");
    EXPECT_EQ(ReadFileBytes(notes), "one\r\ntwo\r\nthree\r\n");
}

TEST(NothingLost, NewUnderAnEncryptedListsNameMakesAnEncryptedList) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "old\r\n");
    std::string secret = dir.File("secret.ple"), disguised = dir.File("secret.txt");
    std::string before = EncryptedFile("Key\r\nentry\r\n", "secret.ple");
    WriteFileBytes(secret, before);
    WriteFileBytes(disguised, before);
    std::string refusal;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        // Cancelling the password it asks for leaves the encrypted list as it was.
        AnswerFileDialog("Open a new Listbox File", secret);
        AnswerNextBox(true, nullptr);
        AnswerPassword("Set your password", nullptr);
        Command(dlg, ID_FILE_NEW);
        EXPECT_TRUE(AllDialogActionsRan());
        CancelDialogActions();
        EXPECT_EQ(ReadFileBytes(secret), before);
        // An encrypted list under another name is not replaced by New either.
        AnswerFileDialog("Open a new Listbox File", disguised);
        AnswerMessageBox(&refusal);
        Command(dlg, ID_FILE_NEW);
        CancelDialogActions();
        EXPECT_EQ(ReadFileBytes(disguised), before);
        // With a password it is a new encrypted list, which opens again.
        AnswerFileDialog("Open a new Listbox File", secret);
        AnswerNextBox(true, nullptr);
        AnswerPassword("Set your password", "New", "New");
        Command(dlg, ID_FILE_NEW);
        CancelDialogActions();
        EXPECT_EQ(dlg.Files().Kind(), kEncryptedList);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"Modify this first item"});
    });
    EXPECT_NE(refusal.find("is a Pelmar encrypted file"), std::string::npos) << refusal;
    std::string text;
    std::string bytes = ReadFileBytes(secret);
    ASSERT_TRUE(ReadEncryptedFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text));
    EXPECT_EQ(text, "New\r\nModify this first item\r\n");
}

TEST(NothingLost, NewOfEveryKindAsksBeforeItReplacesAFileWithSomethingInIt) {
    // No changes nothing and asks no password; the New tests of plain and encrypted lists answer Yes.
    const struct {
        UINT command;
        const char* name;
    } cases[] = {{ID_FILE_NEW, "list.txt"}, {ID_ENCRYPTED_NEW, "list.ple"}, {ID_PROTECTED_NEW, "list.plk"}};
    const std::string mine = "the user's list\r\n";
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "old\r\n"), file = dir.File(c.name);
        WriteFileBytes(file, mine);
        std::string question, iniBefore, iniAfterNo;
        int defaultButton = 0;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            iniBefore = ReadFileBytes(ini);
            AnswerFileDialog("Open a new Listbox File", file);
            AnswerNextBox(false, &question, &defaultButton);
            Command(dlg, c.command);
            CancelDialogActions();
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"old"}) << c.name;
            EXPECT_EQ(dlg.Files().Kind(), kPlainList) << c.name;
            EXPECT_EQ(dlg.Files().State().file, dir.File("start.txt")) << c.name;
            iniAfterNo = ReadFileBytes(ini);
        });
        EXPECT_EQ(question, file + " already exists. Replace it with a new, empty list?");
        EXPECT_EQ(defaultButton, IDNO) << c.name;
        EXPECT_EQ(ReadFileBytes(file), mine) << c.name;
        EXPECT_EQ(iniAfterNo, iniBefore) << c.name;
    }
}

TEST(NothingLost, NoOtherListTakesTheLoginFilesNames) {
    // Saved there, a list would be read as the login list at the next start: each is refused before a
    // password is asked, and nothing is written.
    const struct {
        UINT command;
        const char* title;
        const char* name;
    } cases[] = {
        {ID_FILE_NEW, "Open a new Listbox File", "Pelmar.plr"},
        {ID_FILE_NEW, "Open a new Listbox File", "PELMAR.PLK"},
        {ID_ENCRYPTED_NEW, "Open a new Listbox File", "Pelmar.plr"},
        {ID_PROTECTED_NEW, "Open a new Listbox File", "Pelmar.plk"},
        {ID_FILE_SAVE_AS, "Save As", "Pelmar.plr"},
        {ID_ENCRYPTED_SAVE_AS, "Save As", "pelmar.plk"},
        {ID_PROTECTED_SAVE_AS, "Save As", "Pelmar.plk"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "work.txt", "a\r\nb\r\n"), file = dir.File(c.name);
        std::string message;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            AnswerFileDialog(c.title, file);
            AnswerNextBox(true, &message);
            Command(dlg, c.command);
            EXPECT_TRUE(AllDialogActionsRan()) << c.name;
            CancelDialogActions();
            EXPECT_EQ(dlg.Files().Kind(), kPlainList) << c.name;
            EXPECT_EQ(dlg.Files().State().file, dir.File("work.txt")) << c.name;
        });
        EXPECT_EQ(message, file + "\r\nis the login list's file. Choose another name for this list.");
        EXPECT_EQ(FolderContents(dir.Path()), (Items{"Pelmar.ini", "work.txt"})) << c.name;
        EXPECT_EQ(ReadIni(ini, "list"), dir.File("work.txt")) << c.name;
    }
}

TEST(NothingLost, AFailedEncryptedSaveKeepsTheOldPassword) {
    TempDir dir;
    std::string list = dir.File("list.ple");
    WriteFileBytes(list, EncryptedFile("Old\r\nentry\r\n", "list.ple"));
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    std::string saveAsMessage, newMessage, passwordAfterSaveAs, passwordAfterNew;
    AnswerStartupPassword("Old");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        CancelDialogActions();
        ASSERT_EQ(dlg.Files().State().password, "Old");
        AnswerFileDialog("Save As", dir.Path() + "\\gone\\copy.ple");
        AnswerPassword("Set your password", "New", "New");
        AnswerMessageBox(&saveAsMessage);
        Command(dlg, ID_ENCRYPTED_SAVE_AS);
        CancelDialogActions();
        passwordAfterSaveAs = dlg.Files().State().password;

        AnswerFileDialog("Open a new Listbox File", dir.Path() + "\\gone\\new.ple");
        AnswerPassword("Set your password", "Other", "Other");
        AnswerMessageBox(&newMessage);
        Command(dlg, ID_ENCRYPTED_NEW);
        CancelDialogActions();
        passwordAfterNew = dlg.Files().State().password;
        EXPECT_EQ(dlg.Files().State().file, list);
    });
    EXPECT_EQ(saveAsMessage, "Can't save List Box data!");
    EXPECT_EQ(newMessage, "Can't save List Box data!");
    EXPECT_EQ(passwordAfterSaveAs, "Old");
    EXPECT_EQ(passwordAfterNew, "Old");
}

TEST(NothingLost, ALoadThatRunsOutOfMemoryChangesNothing) {
    // Every allocation of loading an encrypted list fails once in turn: each time the list, its kind,
    // file and password stay, and the user is told; a load without a failure still works.
    TempDir dir;
    std::string start = dir.File("start.ple"), other = dir.File("other.ple");
    WriteFileBytes(start, EncryptedFile("Key\r\nmine\r\n", "start.ple"));
    WriteFileBytes(other, EncryptedFile("Key\r\nfirst\r\nsecond\r\n", "other.ple"));
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", start.c_str(), ini.c_str());
    AnswerStartupPassword("Key");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        CancelDialogActions();
        const ListFileState before = dlg.Files().State();
        size_t failures = 0;
        for (size_t n = 1; n < 400; ++n) {
            std::string message;
            AnswerMessageBox(&message);
            test_allocator::FailAllocation(n);
            bool loaded = dlg.Files().Load(other, kEncryptedList);
            bool failed = test_allocator::FailureHappened();
            test_allocator::FailAllocation(0);
            CancelDialogActions();
            if (!failed) {
                EXPECT_TRUE(loaded) << n;
                EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"first", "second"}));
                break;
            }
            ++failures;
            if (loaded)
                continue; // the failure hit something the load can do without
            EXPECT_EQ(message, "Can't get memory!\nCan't fill List Box!") << n;
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"mine"}) << n;
            EXPECT_EQ(dlg.Files().State().file, before.file) << n;
            EXPECT_EQ(dlg.Files().State().password, "Key") << n;
            EXPECT_EQ(dlg.Files().Kind(), kEncryptedList) << n;
        }
        EXPECT_GT(failures, 10u);
    });
}

TEST(NothingLost, AMissingStartListIsCreatedByTheFirstSave) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini"), fresh = dir.File("fresh.txt");
    WritePrivateProfileStringA("pelmar", "list", fresh.c_str(), ini.c_str());
    AnswerMessageBox(nullptr); // "Can't open List Box file!"
    bool saveAsShown = false;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        CancelDialogActions();
        AnswerItemDialog("Add Listbox Item", {true, "first"});
        WhenDialogAppears("Save As", [&](HWND d) {
            saveAsShown = true;
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
        Command(dlg, ID_ADD_ITEM);
        PumpFor(100);
        CancelDialogActions();
    });
    EXPECT_FALSE(saveAsShown);
    EXPECT_EQ(ReadFileBytes(fresh), "first\r\n");
}

TEST(NothingLost, ALoneStarLoginIsRefusedAndThePasswordLineEndsAtOneLineEnd) {
    TempDir dir;
    std::string ini = StartWith(dir, "Pelmar.plr", "");
    BoxSeen refusal;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        ASSERT_EQ(dlg.Files().Kind(), kLoginList);
        UINT_PTR watch = 0;
        WhenDialogAppears("Add Listbox Item", [&](HWND item) {
            SetWindowTextA(GetDlgItem(item, IDC_ITEM_TEXT), "site");
            SetWindowTextA(GetDlgItem(item, IDC_ITEM_LOGIN), "*");
            watch = AnswerNextMessageBox(refusal);
            PostMessageA(item, WM_COMMAND, IDOK, 0);
            // The refusal keeps the item dialog open; it is cancelled after it.
            WhenDialogAppears("Add Listbox Item",
                              [](HWND again) { PostMessageA(again, WM_COMMAND, IDCANCEL, 0); });
        });
        Command(dlg, ID_ADD_ITEM);
        StopAnswering(watch);
        CancelDialogActions();
        EXPECT_TRUE(ListBoxItems(dlg.GetDlgItem(IDC_LIST)).empty());
    });
    EXPECT_NE(refusal.text.find("single *"), std::string::npos) << refusal.text;

    // A password line ended by LF alone: the first entry keeps its first character.
    std::string list = dir.File("lf.ple");
    WriteFileBytes(list, EncryptedFile("Key\nabc\r\n", "lf.ple"));
    AnswerMessageBox(nullptr);
    AnswerPassword("Enter your Password", "Key");
    Items entries;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        dlg.Files().Load(list, kEncryptedList);
        CancelDialogActions();
        entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
    });
    EXPECT_EQ(entries, Items{"abc"});
}
} // namespace

namespace {
TEST(NothingLost, AFullDiskKeepsTheOldFile) {
    // scripts/test.sh mounts a small file system for this and names it in PELMAR_FULL_DISK.
    const char* mount = getenv("PELMAR_FULL_DISK");
    if (!mount || !*mount)
        GTEST_SKIP() << "no small file system to fill (PELMAR_FULL_DISK)";
    std::string folder = std::string("Z:") + mount;
    for (char& c : folder)
        c = c == '/' ? '\\' : c;
    std::string list = folder + "\\list.txt", filler = folder + "\\filler.bin";
    WriteFileBytes(list, "old\r\n");
    HANDLE fill = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(fill, INVALID_HANDLE_VALUE);
    std::string chunk(4096, 'x');
    DWORD written = 0;
    while (WriteFile(fill, chunk.data(), DWORD(chunk.size()), &written, nullptr) && written == chunk.size()) {
    }
    CloseHandle(fill);
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    std::string message;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SetEntries(dlg, std::vector<std::string>(2000, std::string(60, 'n')));
        AnswerMessageBox(&message);
        dlg.Files().Save(SaveMode::InPlace);
        CancelDialogActions();
    });
    DeleteFileA(filler.c_str());
    EXPECT_EQ(message, "Can't save List Box data!");
    EXPECT_EQ(ReadFileBytes(list), "old\r\n");
    EXPECT_EQ(FolderContents(folder), (Items{"list.txt"})) << "no temporary file is left";
    DeleteFileA(list.c_str());
}
} // namespace
