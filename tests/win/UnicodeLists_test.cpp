// Lists in any encoding and folders with any name, through the real dialogs, files and settings.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "framework/WideText.h"

using namespace drivers;

namespace {
using Items = std::vector<std::string>;

const char kGruesse[] = "Gr\xC3\xBC\xC3\x9F" "e";              // Grüße in UTF-8
const char kSnowmanJapan[] = "\xE2\x98\x83 \xE6\x97\xA5\xE6\x9C\xAC"; // ☃ 日本

TEST(UnicodeLists, AUtf8ListKeepsItsBytesAndAnAnsiListGrowsIntoUtf8) {
    TempDir dir;
    std::string utf8 = std::string(kGruesse) + "\r\nplain\r\n";
    std::string ini = StartWith(dir, "utf8.txt", utf8);
    RunMainDialog(ini, [&](CListDlg& dlg) {
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{kGruesse, "plain"}));
        SelectItems(dlg.GetDlgItem(IDC_LIST), {1});
        AnswerItemDialog("Modify this Listbox item", {true, "changed"});
        Command(dlg, ID_MODIFY_ITEM);
        CancelDialogActions();
    });
    EXPECT_EQ(ReadFileBytes(dir.File("utf8.txt")), std::string(kGruesse) + "\r\nchanged\r\n");

    // An ANSI list stays ANSI byte for byte until it gets a character its code page lacks.
    ini = StartWith(dir, "ansi.txt", "caf\xE9\r\n");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"caf\xC3\xA9"});
        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        dlg.Files().Save(SaveMode::InPlace);
        EXPECT_EQ(ReadFileBytes(dir.File("ansi.txt")), "caf\xE9\r\n");
        WhenDialogAppears("Add Listbox Item", [](HWND item) {
            SetWindowTextW(GetDlgItem(item, IDC_ITEM_TEXT), Widen(kSnowmanJapan).c_str());
            PostMessageA(item, WM_COMMAND, IDOK, 0);
        });
        Command(dlg, ID_ADD_ITEM);
        CancelDialogActions();
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"caf\xC3\xA9", kSnowmanJapan}));
    });
    EXPECT_EQ(ReadFileBytes(dir.File("ansi.txt")),
              std::string("\xEF\xBB\xBF") + "caf\xC3\xA9\r\n" + kSnowmanJapan + "\r\n");
}

TEST(UnicodeLists, AListInAFolderNamedOutsideTheCodePageOpensAndIsRemembered) {
    TempDir dir;
    std::string folder = dir.Path() + "\\" + kSnowmanJapan, list = folder + "\\" + kGruesse + ".txt";
    ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
    HANDLE file = CreateFileW(Widen(list).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "one\r\ntwo\r\n", 10, &written, nullptr);
    CloseHandle(file);
    std::string ini = StartWith(dir, "start.txt", "start\r\n");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        WhenDialogAppears("Open a Listbox File", [&](HWND fd) {
            SetWindowTextW(GetDlgItem(fd, kFileNameCombo), Widen(list).c_str());
            PostMessageA(fd, WM_COMMAND, IDOK, 0);
        });
        Command(dlg, ID_FILE_OPEN);
        CancelDialogActions();
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"one", "two"}));
        // Saved in place under its own name.
        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        AnswerItemDialog("Delete this Listbox item?", {true});
        Command(dlg, ID_DELETE_ITEM);
        CancelDialogActions();
    });
    // The next start finds it through the settings file.
    Items entries;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
        EXPECT_EQ(dlg.Files().State().file, list);
    });
    EXPECT_EQ(entries, Items{"two"});
}
} // namespace
