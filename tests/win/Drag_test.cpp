// The drag gesture against the real main dialog: press, capture, release inside and the drop hand-over.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "resource.h"

namespace {
LPARAM At(POINT p) {
    return MAKELPARAM(p.x, p.y);
}

POINT ScreenToDialog(CListDlg& dlg, POINT screen) {
    ScreenToClient(dlg.m_hWnd, &screen);
    return screen;
}

void WaitForLayout(CListDlg& dlg) {
    ASSERT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom > 0; }));
}

std::string ListOf(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "entry " + std::to_string(i) + "\r\n";
    return text;
}

// Runs body in the real dialog over a list file with the given text and kind.
void WithDialog(const std::string& listText, const char* listName,
                const std::function<void(CListDlg&)>& body) {
    TempDir dir;
    std::string list = dir.File(listName), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, listText);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    WritePrivateProfileStringA("pelmar", "left", "100", ini.c_str());
    RunMainDialog(ini, body);
}

TEST(Drag, PressInTheDragAreaCapturesAndChoosesTheField) {
    const struct {
        const char* listName;
        std::string listText;
        POINT press;
        int field;
        bool warped;
    } cases[] = {
        {"list.txt", "a\r\n", {12, 3}, 0, true},
        {"list.txt", "a\r\n", {20, 200}, 0, false},
        {"Pelmar.plr", "site\r\nlogin\r\npw\r\n", {12, 3}, 1, true},
        {"Pelmar.plr", "site\r\nlogin\r\npw\r\n", {12, 20}, 1, false},
        {"Pelmar.plr", "site\r\nlogin\r\npw\r\n", {12, 300}, 2, false},
    };
    for (const auto& c : cases) {
        WithDialog(c.listText, c.listName, [&](CListDlg& dlg) {
            WaitForLayout(dlg);
            const Delivery& s = dlg.Deliverer();
            POINT start = c.press;
            ClientToScreen(dlg.m_hWnd, &start);
            SetCursorPos(start.x, start.y);
            SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(c.press));
            EXPECT_TRUE(s.Dragging());
            EXPECT_EQ(GetCapture(), dlg.m_hWnd);
            EXPECT_EQ(s.Drop().fieldSelector, c.field) << c.listName << " " << c.press.y;
            POINT now;
            GetCursorPos(&now);
            POINT want = c.warped ? POINT{17, 7} : c.press;
            EXPECT_EQ(ScreenToDialog(dlg, now).x, want.x) << c.press.y;
            EXPECT_EQ(ScreenToDialog(dlg, now).y, want.y) << c.press.y;
            // A release over the window's own client area ends the drag and sends nothing.
            SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, At(POINT{60, 60}));
            EXPECT_FALSE(s.Dragging());
            EXPECT_EQ(GetCapture(), nullptr);
            PumpFor(500);
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        });
    }
}

TEST(Drag, NoDragOutsideTheAreaOrBeforeTheFirstLayout) {
    WithDialog("a\r\n", "list.txt", [&](CListDlg& dlg) {
        WaitForLayout(dlg);
        Delivery& s = dlg.Deliverer();
        for (POINT p : {POINT{9, 5}, POINT{26, 5}, POINT{12, s.DragArea().bottom}, POINT{60, 60}}) {
            SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
            EXPECT_FALSE(s.Dragging()) << p.x << "," << p.y;
        }
        s.SetDragArea({0, 0, 0, 0}); // as before the first layout
        SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(POINT{12, 3}));
        EXPECT_FALSE(s.Dragging());
        // A release that ends no drag does nothing.
        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, At(POINT{-500, 40}));
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
    });
}

TEST(Drag, DropHandsOverAtMost128EntriesAndHides) {
    WithDialog(ListOf(200), "list.txt", [&](CListDlg& dlg) {
        WaitForLayout(dlg);
        const Delivery& s = dlg.Deliverer();
        std::vector<int> all;
        for (int i = 0; i < 200; ++i)
            all.push_back(i);
        SelectItems(dlg.GetDlgItem(IDC_LIST), all);
        RECT before;
        GetWindowRect(dlg.m_hWnd, &before);
        SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(POINT{12, 100}));
        POINT release = {-60, 500}, releaseOnScreen = release;
        ClientToScreen(dlg.m_hWnd, &releaseOnScreen);
        SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, At(release));
        // Stop the delivery before it clicks or types anywhere.
        KillTimer(dlg.m_hWnd, kChainClick);
        KillTimer(dlg.m_hWnd, kChainSend);
        EXPECT_EQ(s.Drop().selectionCount, 128u);
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ(s.Drop().selection[i], i);
        EXPECT_EQ(s.Job().position, 0u);
        EXPECT_EQ(s.Drop().dropPoint.x, releaseOnScreen.x);
        EXPECT_EQ(s.Drop().dropPoint.y, releaseOnScreen.y);
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        EXPECT_TRUE(EqualRect(&dlg.Tray().RestoreRect(), &before));
        dlg.ShowAfterDelivery();
    });
}

TEST(Drag, DropWithNothingSelectedKeepsTheWindow) {
    for (const std::string& listText : {std::string("a\r\nb\r\n"), std::string()}) {
        WithDialog(listText, "list.txt", [&](CListDlg& dlg) {
            WaitForLayout(dlg);
            SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(POINT{12, 100}));
            SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, At(POINT{-60, 500}));
            EXPECT_FALSE(dlg.Deliverer().Dragging());
            PumpFor(500);
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        });
    }
}
} // namespace
