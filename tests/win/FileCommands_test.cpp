// New, Open and Load login file through the real common dialogs, list boxes, files and settings.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"

namespace {
using namespace drivers;
using Items = std::vector<std::string>;

TEST(FileCommands, NewWritesThePlaceholderEntryAndLoadsIt) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "old\r\n");
    std::string target = dir.File("fresh.txt");
    WriteFileBytes(target, "an existing file's text\r\n"); // replaced once the user says so
    FileDialogSeen seen;
    std::string question;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SetListKind(dlg, kLoginList);
        // A bare name lands in the folder the dialog opened in: "lastdir".
        AnswerFileDialog("Open a new Listbox File", "fresh.txt", &seen);
        AnswerNextBox(true, &question);
        Command(dlg, ID_FILE_NEW);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"Modify this first item"}));
        EXPECT_EQ(dlg.Files().Kind(), kPlainList);
    });
    EXPECT_TRUE(seen.appeared);
    EXPECT_EQ(question, target + " already exists. Replace it with a new, empty list?");
    EXPECT_EQ(seen.initialName, "NewList.txt");
    EXPECT_TRUE(seen.filters.empty());
    EXPECT_EQ(ReadFileBytes(target), "Modify this first item");
    EXPECT_EQ(ReadFileBytes(target).size(), 22u);
    EXPECT_EQ(ReadIni(ini, "list"), target);
    EXPECT_EQ(FolderContents(dir.Path()), (Items{"Pelmar.ini", "fresh.txt", "start.txt"}));
}

TEST(FileCommands, OpenLoadsEachKindOfList) {
    // The program's own Pelmar.plr is a login list by its name; a name ending in ple is an encrypted
    // list, and this one's text is no container, so the load fails and the list stays.
    const struct {
        std::string path; // empty: in the test's folder
        std::string name, bytes;
        ListKind kindAfter;
        Items entries, logins;
    } cases[] = {
        {"", "plain.txt", "one\r\ntwo\r\n", kPlainList, {"one", "two"}, {}},
        {"", "PELMAR.plr", "site\r\n\x57\r\n\x57\r\n", kLoginList, {"site"}, {"a"}},
        {"", "secret.ple", "not a container", kLoginList, {"login site"}, {"login name"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = dir.File("Pelmar.ini");
        WriteFileBytes(dir.File("Pelmar.plr"),
                       "login site\r\n" + ShiftLoginField("login name") + "\r\n \r\n");
        std::string file = (c.path.empty() ? dir.Path() + "\\" : c.path) + c.name;
        WriteFileBytes(file, c.bytes);
        FileDialogSeen seen;
        std::string password = "<unset>", message;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetPassword(dlg, "earlier");
            Command(dlg, ID_LOAD_LOGIN_FILE); // start from a login list
            AnswerFileDialog("Open a Listbox File", file, &seen);
            if (c.kindAfter == kLoginList && c.path.empty())
                AnswerMessageBox(&message);
            WhenDialogAppears("Enter your Password",
                              [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
            Command(dlg, ID_FILE_OPEN);
            CancelDialogActions();
            password = dlg.Files().State().password;
            EXPECT_EQ(dlg.Files().Kind(), c.kindAfter) << c.name;
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), c.entries) << c.name;
            EXPECT_EQ(Logins(dlg), c.logins) << c.name;
        });
        if (!c.path.empty())
            DeleteFileA(file.c_str());
        EXPECT_TRUE(seen.appeared) << c.name;
        EXPECT_EQ(seen.initialName, "");
        EXPECT_EQ(seen.filters, (Items{"Text Files (*.txt)", " Encrypted Files (*.ple)", " All Files(*.*)"}));
        // "lastdir" follows the chosen file even when its load failed.
        EXPECT_EQ(ReadIni(ini, "lastdir") + "\\", c.path.empty() ? dir.Path() + "\\" : c.path) << c.name;
        bool loaded = c.entries != Items{"login site"};
        // Open empties the password; a failed load gives the list on screen its password back.
        EXPECT_EQ(password, loaded ? "" : "earlier") << c.name;
        EXPECT_EQ(ReadIni(ini, "list"), loaded ? file : dir.File("Pelmar.plr")) << c.name;
    }
}

TEST(FileCommands, LoadLoginFileReadsTheLoginFileBesideTheSettings) {
    for (bool loginFileExists : {true, false}) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "plain\r\n");
        std::string loginFile = dir.File("Pelmar.plr");
        if (loginFileExists)
            WriteFileBytes(loginFile,
                           "bank\r\n" + ShiftLoginField("me") + "\r\n" + ShiftLoginField("pw") + "\r\n");
        std::string message;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            if (!loginFileExists)
                AnswerMessageBox(&message);
            Command(dlg, ID_LOAD_LOGIN_FILE);
            CancelDialogActions();
            EXPECT_EQ(dlg.Files().Kind(), loginFileExists ? kLoginList : kPlainList);
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)),
                      loginFileExists ? Items{"bank"} : Items{"plain"});
            EXPECT_EQ(Logins(dlg), loginFileExists ? Items{"me"} : Items{});
            EXPECT_EQ(Passwords(dlg),
                      loginFileExists ? Items{"pw"} : Items{});
        });
        EXPECT_EQ(message, loginFileExists ? "" : "Can't open List Box file!");
        EXPECT_EQ(ReadIni(ini, "list"), loginFileExists ? loginFile : dir.File("start.txt"));
    }
}

TEST(FileCommands, CancelInAnyFileDialogChangesNothing) {
    const struct {
        UINT command;
        const char* title;
    } cases[] = {
        {ID_FILE_NEW, "Open a new Listbox File"},
        {ID_FILE_OPEN, "Open a Listbox File"},
        {ID_FILE_SAVE_AS, "Save As"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "a\nb");
        std::string iniBefore = ReadFileBytes(ini);
        FileDialogSeen seen;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            iniBefore = ReadFileBytes(ini);
            AnswerFileDialog(c.title, "", &seen);
            Command(dlg, c.command);
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"a", "b"})) << c.title;
            EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        });
        EXPECT_TRUE(seen.appeared) << c.title;
        EXPECT_EQ(ReadFileBytes(ini), iniBefore) << c.title;
        EXPECT_EQ(ReadFileBytes(dir.File("start.txt")), "a\nb") << c.title;
        EXPECT_EQ(FolderContents(dir.Path()), (Items{"Pelmar.ini", "start.txt"})) << c.title;
    }
}
} // namespace
