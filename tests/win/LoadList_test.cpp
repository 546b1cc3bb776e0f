// LoadList against the real list boxes, real files and the real settings file.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "resource.h"

namespace {
using Items = std::vector<std::string>;

struct Loaded {
    int result = -1;
    Items entries, logins, passwords;
    ListKind kind = kPlainList;
    std::string message;
};

// Starts the main dialog on startFile, then loads file with the given kind set first.
Loaded LoadInDialog(TempDir& dir, const std::string& startFile, const std::string& file, ListKind kind) {
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", startFile.c_str(), ini.c_str());
    Loaded out;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        WhenDialogAppears("Pelmar", [&](HWND box) {
            out.message = MessageBoxText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        SetListKind(dlg, kind);
        out.result = dlg.Files().Load(file, kind) ? 1 : 0;
        CancelDialogActions();
        out.entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
        out.logins = Logins(dlg);
        out.passwords = Passwords(dlg);
        out.kind = dlg.Files().Kind();
    });
    return out;
}

TEST(LoadList, FillsTheEntryListBoxByTheLineRule) {
    const struct {
        std::string bytes;
        Items entries;
    } cases[] = {
        {"\r\nA\r\nB\r\n", {"", "A", "B"}},
        {"A\r\n\r\n\r\nB", {"A", "B"}},
        {"X\rY\nZ", {"X", "Y", "Z"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string start = dir.File("start.txt"), file = dir.File("list.txt");
        WriteFileBytes(start, "old entry\r\n");
        WriteFileBytes(file, c.bytes);
        Loaded out = LoadInDialog(dir, start, file, kPlainList);
        EXPECT_EQ(out.result, 1);
        EXPECT_EQ(out.entries, c.entries) << c.bytes;
        EXPECT_TRUE(out.logins.empty());
        EXPECT_EQ(ReadIni(dir.File("Pelmar.ini"), "list"), file);
        EXPECT_EQ(ReadIni(dir.File("Pelmar.ini"), "lastdir"), dir.Path());
    }
}

TEST(LoadList, KeepsTheLoginListBoxesAligned) {
    TempDir dir;
    std::string start = dir.File("start.txt"), file = dir.File("Pelmar.plr");
    WriteFileBytes(start, "old\r\n");
    WriteFileBytes(file, "bank\r\n\x57\x57\r\n\xF8\r\nmail");
    Loaded out = LoadInDialog(dir, start, file, kLoginList);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.kind, kLoginList);
    EXPECT_EQ(out.entries, (Items{"bank", "mail"}));
    EXPECT_EQ(out.logins, (Items{"aa", ""}));
    EXPECT_EQ(out.passwords, (Items{"\x02", ""}));
}

TEST(LoadList, MissingFileIsReportedAndTheListStays) {
    TempDir dir;
    std::string start = dir.File("start.txt");
    WriteFileBytes(start, "kept\r\n");
    std::string missing = dir.Path() + "\\sub\\missing.txt";
    Loaded out = LoadInDialog(dir, start, missing, kLoginList);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.message, "Can't open List Box file!");
    EXPECT_EQ(out.entries, (Items{"kept"}));
    EXPECT_EQ(out.kind, kLoginList); // a failed load leaves the kind as it was
    EXPECT_EQ(ReadIni(dir.File("Pelmar.ini"), "lastdir"), dir.Path() + "\\sub");
    EXPECT_EQ(ReadIni(dir.File("Pelmar.ini"), "list"), start);
}

TEST(LoadList, ProgramLoginFileNameMakesALoginList) {
    // The login file (beside the settings file), in any letter case, is read as a login list.
    TempDir dir;
    std::string file = dir.File("PELMAR.plr");
    WriteFileBytes(file, "site\r\n\x57\r\n\x57\r\n");
    std::string start = dir.File("start.txt");
    WriteFileBytes(start, "x\r\n");
    Loaded out = LoadInDialog(dir, start, file, kPlainList);
    EXPECT_EQ(out.kind, kLoginList);
    EXPECT_EQ(out.logins, (Items{"a"}));
}

TEST(LoadList, StartupLoadsTheListSettingAndAMissingFileIsNotGuarded) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    std::string missing = dir.File("gone.txt");
    WritePrivateProfileStringA("pelmar", "list", missing.c_str(), ini.c_str());
    std::string message;
    WhenDialogAppears("Pelmar", [&](HWND box) {
        message = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    RunMainDialog(ini, [&](CListDlg& dlg) {
        EXPECT_TRUE(ListBoxItems(dlg.GetDlgItem(IDC_LIST)).empty());
        EXPECT_EQ(dlg.Files().State().file, missing);
        EXPECT_EQ(dlg.Files().State().unloadedFile, "") << "a file that is not there holds nothing to keep";
    });
    EXPECT_EQ(message, "Can't open List Box file!");
}
// A long list read at start-up is shown whole once the window is up.
TEST(LoadList, ALongListAtStartUpFillsTheListBoxOnceTheWindowShows) {
    TempDir dir;
    std::string list = dir.File("long.txt"), ini = dir.File("Pelmar.ini"), bytes;
    for (int i = 0; i < 6000; ++i)
        bytes += "line " + std::to_string(i) + "\r\n";
    WriteFileBytes(list, bytes);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND box = dlg.GetDlgItem(IDC_LIST);
        EXPECT_TRUE(PumpUntil([&] { return SendMessageA(box, LB_GETCOUNT, 0, 0) == 6000; }, 20000));
        EXPECT_EQ(ListBoxText(box, 0), "line 0");
        EXPECT_EQ(ListBoxText(box, 5999), "line 5999");
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
    });
}
} // namespace
