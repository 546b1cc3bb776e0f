// SaveList and Save as against the real save dialog, list boxes, files and settings.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "framework/File.h"

namespace {
using namespace drivers;
using Items = std::vector<std::string>;

TEST(SaveList, SaveAsWritesThePlainListBytes) {
    const struct {
        Items entries;
        std::string bytes;
    } cases[] = {
        {{"a", "", "b"}, "a\r\n \r\nb\r\n"},
        {{"|3", " x ", "\xE9t\xE9"}, "|3\r\n x \r\n\xE9t\xE9\r\n"},
        {{}, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "old\r\n");
        std::string target = dir.File("saved.txt");
        FileDialogSeen seen;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetEntries(dlg, c.entries);
            AnswerFileDialog("Save As", target, &seen);
            Command(dlg, ID_FILE_SAVE_AS);
            EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        });
        EXPECT_TRUE(seen.appeared);
        EXPECT_TRUE(seen.filters.empty());
        EXPECT_EQ(ReadFileBytes(target), c.bytes);
        EXPECT_EQ(ReadFileBytes(dir.File("start.txt")), "old\r\n");
        EXPECT_EQ(ReadIni(ini, "list"), target);
    }
}

TEST(SaveList, LoginListGoesToTheLoginFileWithoutADialog) {
    // Save as and Encrypted save as alike: a login list has its one file and is never encrypted.
    for (SaveMode mode : {SaveMode::As, SaveMode::EncryptedAs, SaveMode::InPlace}) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "old\r\n");
        std::string loginFile = dir.File("Pelmar.plr");
        WriteFileBytes(loginFile, "x\r\n");
        bool dialogShown = false;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            Command(dlg, ID_LOAD_LOGIN_FILE);
            SetEntries(dlg, {"bank", "", "mail"}, {"ab", "k", ""}, {"\x02", "", "pw"});
            WhenDialogAppears(
                "Save As",
                [&](HWND d) {
                    dialogShown = true;
                    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                },
                300);
            dlg.Files().Save(mode);
            PumpFor(100);
            CancelDialogActions();
            EXPECT_EQ(dlg.Files().Kind(), kLoginList);
            // The list boxes keep the clear texts; only the file holds them shifted.
            EXPECT_EQ(Logins(dlg), (Items{"ab", "k", ""}));
        });
        EXPECT_FALSE(dialogShown) << int(mode);
        EXPECT_EQ(ReadFileBytes(loginFile), "bank\r\n\x57\x58\r\n\xF8\r\n \r\na\r\n \r\nmail\r\n \r\nfm\r\n")
            << int(mode);
        EXPECT_EQ(ReadIni(ini, "list"), loginFile) << int(mode);
    }
}

TEST(SaveList, KindAfterSavingFollowsTheChosenName) {
    const struct {
        ListKind before;
        SaveMode mode;
        std::string chosen; // empty: no dialog expected
        ListKind after;
        bool writesChosen;
    } cases[] = {
        {kPlainList, SaveMode::As, "out.txt", kPlainList, true},
        {kPlainList, SaveMode::InPlace, "", kPlainList, false},
        {kEncryptedList, SaveMode::As, "out.txt", kPlainList, true},
        {kEncryptedList, SaveMode::EncryptedAs, "out.txt", kPlainList, true},
        {kPlainList, SaveMode::EncryptedAs, "out.txt", kPlainList, true},
        // A name ending in ple asks for a new password; cancelling it saves nothing and keeps the kind.
        {kPlainList, SaveMode::As, "OUT.PLE", kPlainList, false},
        {kPlainList, SaveMode::EncryptedAs, "out.ple", kPlainList, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "start.txt", "old\r\n");
        std::string chosen = c.chosen.empty() ? "" : dir.File(c.chosen);
        FileDialogSeen seen;
        ListKind after = kLoginList;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetEntries(dlg, {"new"});
            SetListKind(dlg, c.before);
            if (!chosen.empty())
                AnswerFileDialog("Save As", chosen, &seen);
            WhenDialogAppears("Set your password", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
            dlg.Files().Save(c.mode);
            PumpFor(50);
            CancelDialogActions();
            after = dlg.Files().Kind();
        });
        std::string label = std::to_string(c.before) + "/" + std::to_string(int(c.mode)) + "/" + c.chosen;
        EXPECT_EQ(after, c.after) << label;
        EXPECT_EQ(seen.appeared, !chosen.empty()) << label;
        if (c.mode == SaveMode::EncryptedAs) {
            EXPECT_EQ(seen.initialName.substr(seen.initialName.size() - 9), "start.ple") << seen.initialName;
        }
        if (c.writesChosen) {
            EXPECT_EQ(ReadFileBytes(chosen), "new\r\n") << label;
            EXPECT_EQ(ReadIni(ini, "list"), chosen) << label;
        } else if (!chosen.empty()) {
            EXPECT_FALSE(FileExists(chosen)) << label;
            EXPECT_EQ(ReadIni(ini, "list"), dir.File("start.txt")) << label;
        } else {
            EXPECT_EQ(ReadFileBytes(dir.File("start.txt")), "new\r\n") << label;
        }
    }
}

TEST(SaveList, AnEncryptedListIsSavedInPlaceUnderItsPleName) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "old\r\n");
    bool dialogShown = false;
    ListKind after = kPlainList;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SetEntries(dlg, {"new"});
        SetListKind(dlg, kEncryptedList);
        WhenDialogAppears(
            "",
            [&](HWND d) {
                if (d != dlg.m_hWnd) {
                    dialogShown = true;
                    PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                }
            },
            300);
        Command(dlg, ID_FILE_SAVE_AS);
        PumpFor(100);
        CancelDialogActions();
        after = dlg.Files().Kind();
    });
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(after, kEncryptedList);
    EXPECT_EQ(ReadFileBytes(dir.File("start.txt")), "old\r\n");
}

TEST(SaveList, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    // The target's folder is missing, the target is a folder, or the final replace is refused
    // because another program holds the file open: every time the old bytes stay.
    enum Fault { kNoFolder, kTargetIsFolder, kTargetHeldOpen };
    for (Fault fault : {kNoFolder, kTargetIsFolder, kTargetHeldOpen}) {
        TempDir dir;
        std::string target = fault == kNoFolder ? dir.Path() + "\\gone\\list.txt" : dir.File("list.txt");
        std::string ini = StartWith(dir, "start.txt", "old\r\n");
        if (fault == kTargetIsFolder)
            CreateDirectoryA(target.c_str(), nullptr);
        if (fault == kTargetHeldOpen)
            WriteFileBytes(target, "previous\r\n");
        Items before = FolderContents(dir.Path());
        std::string message;
        ListKind after = kLoginList;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetListFile(dlg, target);
            SetEntries(dlg, {"new"});
            HANDLE held = fault == kTargetHeldOpen
                              ? CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr)
                              : INVALID_HANDLE_VALUE;
            AnswerMessageBox(&message);
            dlg.Files().Save(SaveMode::InPlace);
            CancelDialogActions();
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
            after = dlg.Files().Kind();
        });
        EXPECT_EQ(message, "Can't save List Box data!") << fault;
        EXPECT_EQ(after, kPlainList);
        EXPECT_EQ(FolderContents(dir.Path()), before) << fault;
        if (fault == kTargetHeldOpen) {
            EXPECT_EQ(ReadFileBytes(target), "previous\r\n");
        }
        EXPECT_EQ(ReadFileBytes(dir.File("start.txt")), "old\r\n");
    }
}

TEST(SaveList, SafeWriteTakesTheOldFilesPlaceUpToThePathLimit) {
    // The new file takes over the old one's attributes; a folder that leaves no room for a usual
    // temporary name under the path limit saves all the same; nothing else stays behind.
    TempDir dir;
    std::string longFolder = dir.Path() + "\\" + std::string(249 - dir.Path().size() - 1, 'f');
    // The A call refuses a folder name this long (it keeps room for an 8.3 name); the wide one makes it.
    std::wstring wideFolder = L"\\\\?\\" + std::wstring(longFolder.begin(), longFolder.end());
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
    const struct {
        std::string folder;
        Items contents;
    } cases[] = {{dir.Path(), {longFolder.substr(dir.Path().size() + 1), "l.txt"}}, {longFolder, {"l.txt"}}};
    for (const auto& c : cases) {
        std::string target = c.folder + "\\l.txt";  // at most 255 characters, as the program's buffers hold
        ASSERT_TRUE(WriteWholeFileSafely(target.c_str(), "first", 5)) << target.size();
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(WriteWholeFileSafely(target.c_str(), "second", 6)) << target.size();
        EXPECT_EQ(ReadFileBytes(target), "second");
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
        EXPECT_EQ(FolderContents(c.folder), c.contents);
    }
}

TEST(SaveList, BareListSettingSavesBesideTheProgram) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    std::string programList = TestProgramFolder() + "List.txt";
    std::string kept = FileExists(programList) ? ReadFileBytes(programList) : "";
    bool existed = FileExists(programList);
    RunMainDialog(ini, [&](CListDlg& dlg) {
        WritePrivateProfileStringA("pelmar", "list", "list.txt", ini.c_str());
        SetEntries(dlg, {"here"});
        dlg.Files().Save(SaveMode::InPlace);
    });
    EXPECT_EQ(ReadFileBytes(programList), "here\r\n");
    EXPECT_EQ(ReadIni(ini, "list"), programList);
    if (existed)
        WriteFileBytes(programList, kept);
    else
        DeleteFileA(programList.c_str());
}
} // namespace
