// Find against the real main dialog: typing narrows the list, the field's keys stay the field's, and
// edits made while filtered keep the file in order.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "WindowGeometry.h"

namespace {
using namespace drivers;
using Items = std::vector<std::string>;

// A key pressed in window, through the main dialog's message handling; returns once it was handled.
void Key(HWND window, WPARAM vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 0);
    MSG msg;
    EXPECT_TRUE(PumpUntil([&] { return !PeekMessageA(&msg, window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE); }));
}

TEST(Find, TypingNarrowsTheListAndEditsWhileFilteredKeepTheFileInOrder) {
    TempDir dir;
    std::string ini = StartWith(dir, "list.txt", "Bank\r\nmail\r\nB\xE4nk two\r\nshop\r\n");
    std::string file = dir.File("list.txt");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND list = dlg.GetDlgItem(IDC_LIST), field = dlg.GetDlgItem(IDC_FIND);
        ASSERT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom > 0; }));
        RECT listBefore = WindowRect(list), handleBefore = WindowRect(dlg.GetDlgItem(IDC_DRAG_HANDLE));
        EXPECT_FALSE(IsWindowVisible(field));

        Command(dlg, ID_FIND);
        EXPECT_TRUE(IsWindowVisible(field));
        EXPECT_EQ(GetFocus(), field);
        RECT fieldRect = WindowRect(field);
        EXPECT_EQ(fieldRect.left, listBefore.left);
        EXPECT_GE(WindowRect(list).top, fieldRect.bottom);
        EXPECT_TRUE(SameRect(WindowRect(dlg.GetDlgItem(IDC_DRAG_HANDLE)), handleBefore));

        // C and Delete edit the field's text while it has the focus: no copy, no delete.
        bool deleteAsked = false;
        Trap("Delete this Listbox item?", deleteAsked);
        SetWindowTextW(field, L"xx");
        Key(field, 'C');
        Key(field, VK_DELETE);
        CancelDialogActions();
        EXPECT_FALSE(deleteAsked);
        EXPECT_NE(WindowText(field), "xx");

        SetWindowTextW(field, L"BANK");
        EXPECT_EQ(ListBoxItems(list), (Items{"Bank", "B\xC3\xA4nk two"}));
        EXPECT_EQ(ListBoxSelection(list), std::vector<int>{0});
        // Down moves the list's selection.
        Key(field, VK_DOWN);
        EXPECT_EQ(ListBoxSelection(list), std::vector<int>{1});

        ItemAnswer confirm(true);
        confirm.type = false;
        AnswerItemDialog("Delete this Listbox item?", confirm, nullptr, 1000);
        Command(dlg, ID_DELETE_ITEM);
        EXPECT_EQ(ListBoxItems(list), Items{"Bank"});
        EXPECT_EQ(ReadFileBytes(file), "Bank\r\nmail\r\nshop\r\n");

        SelectItems(list, {0});
        AnswerItemDialog("Add Listbox Item", ItemAnswer(true, "new"), nullptr, 1000);
        Command(dlg, ID_ADD_ITEM);
        CancelDialogActions();
        EXPECT_EQ(ListBoxItems(list), (Items{"Bank", "new"}));
        EXPECT_EQ(ReadFileBytes(file), "Bank\r\nnew\r\nmail\r\nshop\r\n");

        // Esc clears the filter: the whole list, the selection kept, the list focused, Pelmar still there.
        SelectItems(list, {1});
        Key(field, VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(field));
        EXPECT_EQ(ListBoxItems(list), (Items{"Bank", "new", "mail", "shop"}));
        EXPECT_EQ(ListBoxSelection(list), std::vector<int>{1});
        EXPECT_EQ(GetFocus(), list);
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        ASSERT_TRUE(PumpUntil([&] { return SameRect(WindowRect(list), listBefore); }));

        // A filter left when Pelmar went to the tray goes when the user brings it back: the list has the focus.
        Command(dlg, ID_FIND);
        SetWindowTextW(field, L"mail");
        EXPECT_EQ(ListBoxItems(list), Items{"mail"});
        Command(dlg, ID_TRAY);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg.m_hWnd); }));
        SendMessageA(dlg.m_hWnd, kTrayCallbackMessage, 1, WM_LBUTTONUP);
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        EXPECT_FALSE(IsWindowVisible(field));
        EXPECT_EQ(ListBoxItems(list), (Items{"Bank", "new", "mail", "shop"}));
        EXPECT_EQ(GetFocus(), list);
    });
}
} // namespace
