// Reordering through the real popup menu: a timer inside the menu's own loop answers each appearance.
#include <gtest/gtest.h>

#include <deque>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "resource.h"

namespace {
using Items = std::vector<std::string>;
const UINT kSentinel = WM_APP + 7;

// Counts the reorder menu's appearances (its owner hears WM_ENTERMENULOOP) and answers each with the next
// key of the script, Escape once the script runs out.
struct MenuDriver {
    std::deque<BYTE> keys;
    int opened = 0, closed = 0, answered = 0;
    RECT firstMenuRect = {};
    bool sentinelSeen = false;
    WNDPROC dialogProc = nullptr;
};
MenuDriver* g_driver = nullptr;

LRESULT CALLBACK WatchMenus(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ENTERMENULOOP)
        ++g_driver->opened;
    if (msg == WM_EXITMENULOOP)
        ++g_driver->closed;
    if (msg == kSentinel) {
        g_driver->sentinelSeen = true;
        return 0;
    }
    return CallWindowProcA(g_driver->dialogProc, hwnd, msg, wParam, lParam);
}

BOOL CALLBACK FindVisibleMenu(HWND hwnd, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32768" || !IsWindowVisible(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

HWND VisibleMenu() {
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleMenu, reinterpret_cast<LPARAM>(&menu));
    return menu;
}

VOID CALLBACK AnswerMenu(HWND, UINT, UINT_PTR, DWORD) {
    MenuDriver& d = *g_driver;
    HWND menu = d.answered < d.opened ? VisibleMenu() : nullptr;
    if (!menu)
        return;
    if (d.answered++ == 0)
        GetWindowRect(menu, &d.firstMenuRect);
    BYTE key = VK_ESCAPE;
    if (!d.keys.empty()) {
        key = d.keys.front();
        d.keys.pop_front();
    }
    TapKey(key);
}

struct Outcome {
    Items items;
    std::vector<int> selection;
    int menus = 0;
    RECT menuRect = {};
    RECT listRect = {};
    std::string fileBefore, fileAfter;
};

// Loads a list, selects entries, sends the trigger command and answers the menus with keys; returns once
// no command that a menu posted is left to open another one.
Outcome Reorder(const std::string& fileName, const std::string& fileBytes, const std::vector<int>& selection,
                WPARAM trigger, const std::string& keys, int kind = -1) { // -1: the kind the load chose
    TempDir dir;
    std::string list = dir.File(fileName), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, fileBytes);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    Outcome out;
    MenuDriver driver;
    for (char k : keys)
        driver.keys.push_back(BYTE(k));
    g_driver = &driver;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND box = dlg.GetDlgItem(IDC_LIST);
        if (kind >= 0)
            SetListKind(dlg, ListKind(kind));
        out.fileBefore = ReadFileBytes(list);
        SelectItems(box, selection);
        SetForegroundWindow(dlg.m_hWnd);
        SetFocus(box);
        GetClientRect(box, &out.listRect);
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&out.listRect), 2);
        driver.dialogProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchMenus)));
        UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerMenu);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, trigger, reinterpret_cast<LPARAM>(box));
        // Each round lets the commands posted by the menus of the round before run to their end.
        for (int seen = -1; seen != driver.opened;) {
            seen = driver.opened;
            driver.sentinelSeen = false;
            PostMessageA(dlg.m_hWnd, kSentinel, 0, 0);
            EXPECT_TRUE(
                PumpUntil([&] { return driver.sentinelSeen && driver.closed == driver.opened; }, 10000));
        }
        KillTimer(nullptr, timer);
        SetWindowLongPtrA(dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(driver.dialogProc));
        out.items = ListBoxItems(box);
        out.selection = ListBoxSelection(box);
        out.fileAfter = ReadFileBytes(list);
    });
    g_driver = nullptr;
    out.menus = driver.opened;
    out.menuRect = driver.firstMenuRect;
    EXPECT_TRUE(driver.keys.empty()) << "menus that never came: " << driver.keys.size();
    return out;
}

const std::string kSix = "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n";
const WPARAM kDoubleClick = MAKEWPARAM(IDC_LIST, LBN_DBLCLK);

TEST(Reorder, MovesTheSelectedEntryAndShowsTheMenuAgainAfterEachMove) {
    const struct {
        const char* name;
        std::vector<int> selection;
        WPARAM trigger;
        std::string keys;
        Items items;
        std::vector<int> selectionAfter;
        int menus;
    } cases[] = {
        {"five places up, then Done", {5}, kDoubleClick, "UUUUUN", {"F", "A", "B", "C", "D", "E"}, {0}, 6},
        {"down twice, then Escape", {1}, kDoubleClick, "DD", {"A", "C", "D", "B", "E", "F"}, {3}, 3},
        {"up to the top closes the menu", {1}, kDoubleClick, "UU", {"B", "A", "C", "D", "E", "F"}, {0}, 2},
        {"down to the bottom closes the menu",
         {4},
         kDoubleClick,
         "DD",
         {"A", "B", "C", "D", "F", "E"},
         {5},
         2},
        {"two selected: only the lower moves",
         {3, 4},
         ID_MOVE_DOWN,
         "",
         {"A", "B", "C", "E", "D", "F"},
         {4},
         1},
        {"two selected, up", {2, 4}, ID_MOVE_UP, "", {"A", "C", "B", "D", "E", "F"}, {1, 4}, 1},
        {"Move up at the top", {0}, ID_MOVE_UP, "", {"A", "B", "C", "D", "E", "F"}, {0}, 0},
        {"Move down at the bottom", {5}, ID_MOVE_DOWN, "", {"A", "B", "C", "D", "E", "F"}, {5}, 0},
        {"Move up without a selection", {}, ID_MOVE_UP, "", {"A", "B", "C", "D", "E", "F"}, {}, 0},
        {"Move down without a selection", {}, ID_MOVE_DOWN, "", {"A", "B", "C", "D", "E", "F"}, {}, 0},
        {"double click, Done", {2}, kDoubleClick, "N", {"A", "B", "C", "D", "E", "F"}, {2}, 1},
    };
    for (const auto& c : cases) {
        Outcome out = Reorder("list.txt", kSix, c.selection, c.trigger, c.keys);
        EXPECT_EQ(out.items, c.items) << c.name;
        EXPECT_EQ(out.selection, c.selectionAfter) << c.name;
        EXPECT_EQ(out.menus, c.menus) << c.name;
        EXPECT_EQ(out.fileAfter, out.fileBefore) << c.name;
    }
}

TEST(Reorder, MenuOpensRightAlignedAtTheListsTopLeft) {
    Outcome out = Reorder("list.txt", kSix, {2}, kDoubleClick, "");
    ASSERT_EQ(out.menus, 1);
    EXPECT_EQ(out.menuRect.right, out.listRect.left);
    EXPECT_EQ(out.menuRect.top, out.listRect.top);
}

TEST(Reorder, DoubleClickOffersTheMenuForPlainAndEncryptedListsOnly) {
    const struct {
        ListKind kind;
        int menus;
    } cases[] = {{kPlainList, 1}, {kEncryptedList, 1}, {kLoginList, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Reorder("list.txt", kSix, {1}, kDoubleClick, "", c.kind).menus, c.menus) << c.kind;
}

TEST(Reorder, LoginListIsNotReordered) {
    std::string file = "bank\r\nWW\r\nXX\r\nmail\r\nYY\r\nZZ\r\n";
    Outcome out = Reorder("Pelmar.plr", file, {1}, kDoubleClick, "");
    EXPECT_EQ(out.menus, 0);
    EXPECT_EQ(out.items, (Items{"bank", "mail"}));
}

VOID CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (VisibleMenu())
        EndMenu();
}

TEST(Reorder, TheNextSaveWritesTheNewOrder) {
    TempDir dir;
    std::string list = dir.File("list.txt"), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, "A\r\nB\r\nC\r\n");
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    std::string beforeSave;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SelectItems(dlg.GetDlgItem(IDC_LIST), {2});
        // Close the reappearing menu at once: this test is about the file.
        UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseMenu);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_MOVE_UP, 0);
        KillTimer(nullptr, timer);
        beforeSave = ReadFileBytes(list);
        dlg.Files().Save(SaveMode::InPlace);
    });
    EXPECT_EQ(beforeSave, "A\r\nB\r\nC\r\n");
    EXPECT_EQ(ReadFileBytes(list), "A\r\nC\r\nB\r\n");
}
} // namespace
