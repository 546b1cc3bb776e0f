// Lists in any encoding and folders with any name, through the real dialogs, files and settings.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "framework/WideText.h"
#include "list/AnsiCodePageWin.h"

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

TEST(UnicodeLists, AByteWithoutACharacterInTheCodePageReadsAsReplacementAndIsKept) {
    WinAnsiCodePage greek(1253); // 0xAA has no character
    EXPECT_EQ(greek.ToUtf8("a\xAA\xE1"), "a\xEF\xBF\xBD\xCE\xB1");
    ListFile file = ParseListFile("a\xAA\r\nb\r\n", kPlainList, greek);
    ASSERT_EQ(file.entries.size(), 2u);
    file.entries[1] = {"\xCE\xB1", "", ""};
    EXPECT_EQ(BuildListFile(file.entries, kPlainList, file.encoding, greek).bytes, "a\xAA\r\n\xE1\r\n");
}

VOID CALLBACK CloseReorderMenu(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

TEST(UnicodeLists, BytesThatDoNotDecodeShowAsReplacementAndStayThroughEditsElsewhere) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF", bad = "b\xFF" "c";
    std::string ini = StartWith(dir, "bad.txt", bom + "one\r\n" + bad + "\r\nthree\r\n");
    std::string file = dir.File("bad.txt");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND list = dlg.GetDlgItem(IDC_LIST);
        EXPECT_EQ(ListBoxItems(list), (Items{"one", "b\xEF\xBF\xBD" "c", "three"}));
        // Moved down (the menu that comes back is closed at once), then another entry modified.
        SelectItems(list, {1});
        UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseReorderMenu);
        Command(dlg, ID_MOVE_DOWN);
        KillTimer(nullptr, timer);
        SelectItems(list, {0});
        AnswerItemDialog("Modify this Listbox item", {true, "uno"});
        Command(dlg, ID_MODIFY_ITEM);
        CancelDialogActions();
        EXPECT_EQ(ReadFileBytes(file), bom + "uno\r\nthree\r\n" + bad + "\r\n");
        // OK on the entry itself as it shows leaves its bytes too.
        SelectItems(list, {2});
        ItemAnswer asShown;
        asShown.type = false;
        AnswerItemDialog("Modify this Listbox item", asShown);
        Command(dlg, ID_MODIFY_ITEM);
        CancelDialogActions();
        EXPECT_EQ(ReadFileBytes(file), bom + "uno\r\nthree\r\n" + bad + "\r\n");
    });
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
