// Hiding the real main dialog to the tray and bringing it back with the icon's callback.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "WindowGeometry.h"
#include "app/ListDlg.h"
#include "resource.h"

namespace {

// The shell modifies only an icon it holds, so an empty modification tells whether ours is there.
bool TrayIconExists(HWND dlg) {
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = dlg;
    probe.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

bool InTray(HWND dlg) {
    return !IsWindowVisible(dlg) && TrayIconExists(dlg);
}

LRESULT TrayCallback(HWND dlg, UINT mouseMessage) {
    return SendMessageA(dlg, kTrayCallbackMessage, 1, mouseMessage);
}

std::string WriteSettings(TempDir& dir, const std::string& lines) {
    return WriteSettingsWithList(dir, "one\r\n", lines);
}

const char kPlaced[] = "left=300\r\ntop=100\r\nwidth=200\r\nheight=300\r\n";
const RECT kPlacedRect = XYWH(300, 100, 200, 300);

TEST(Tray, EachWayOfHidingAddsTheIconAndAClickBringsTheWindowBack) {
    const struct {
        const char* name;
        void (*hide)(CListDlg&);
        UINT restoreMessage;
    } cases[] = {
        {"Esc key",
         [](CListDlg& d) {
             SetForegroundWindow(d.m_hWnd);
             SetFocus(d.GetDlgItem(IDC_LIST));
             TapKey(VK_ESCAPE);
         },
         WM_LBUTTONUP},
        {"command 1019", [](CListDlg& d) { PostMessageA(d.m_hWnd, WM_COMMAND, ID_ESCAPE, 0); }, WM_RBUTTONUP},
        {"Tray on the menu bar", [](CListDlg& d) { PostMessageA(d.m_hWnd, WM_COMMAND, ID_TRAY, 0); },
         WM_LBUTTONDBLCLK},
        {"minimise", [](CListDlg& d) { PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); },
         WM_LBUTTONUP},
    };
    for (const auto& c : cases) {
        TempDir dir;
        RunMainDialog(WriteSettings(dir, kPlaced), [&](CListDlg& dlg) {
            HWND hwnd = dlg.m_hWnd;
            ASSERT_FALSE(TrayIconExists(hwnd)) << c.name;
            c.hide(dlg);
            ASSERT_TRUE(PumpUntil([&] { return InTray(hwnd); }, 5000)) << c.name;
            EXPECT_FALSE(IsIconic(hwnd)) << c.name;
            EXPECT_TRUE(SameRect(dlg.Tray().RestoreRect(), kPlacedRect)) << c.name;
            EXPECT_EQ(dlg.Tray().Icon().uCallbackMessage, kTrayCallbackMessage);

            // Presses and moves do nothing; only a release (or a double click) restores.
            for (UINT nothing : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MBUTTONUP}) {
                EXPECT_EQ(TrayCallback(hwnd, nothing), 1) << c.name;
                EXPECT_TRUE(InTray(hwnd)) << c.name << " after " << nothing;
            }
            EXPECT_EQ(TrayCallback(hwnd, c.restoreMessage), 1) << c.name;
            EXPECT_TRUE(IsWindowVisible(hwnd)) << c.name;
            EXPECT_FALSE(TrayIconExists(hwnd)) << c.name;
            EXPECT_TRUE(SameRect(WindowRect(hwnd), kPlacedRect)) << c.name << " " << Show(WindowRect(hwnd));
            EXPECT_TRUE(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << c.name;
        });
    }
}

TEST(Tray, RestoreRectangleFollowsTheWindowUnlessItsLeftEdgeIsAtZeroOrLess) {
    const struct {
        RECT moveTo;
        RECT restoredAt;
    } steps[] = {
        {XYWH(250, 150, 260, 280), XYWH(250, 150, 260, 280)}, // moved and resized: comes back there
        {XYWH(0, 120, 200, 200), XYWH(250, 150, 260, 280)},   // left edge 0: the previous place stays
        {XYWH(-40, 130, 210, 220), XYWH(250, 150, 260, 280)}, // beyond the left edge likewise
        {XYWH(1, 10, 190, 200), XYWH(1, 10, 190, 200)},
    };
    TempDir dir;
    RunMainDialog(WriteSettings(dir, kPlaced), [&](CListDlg& dlg) {
        HWND hwnd = dlg.m_hWnd;
        for (const auto& s : steps) {
            const RECT& r = s.moveTo;
            SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageA(hwnd, WM_COMMAND, ID_TRAY, 0);
            EXPECT_TRUE(InTray(hwnd)) << Show(r);
            TrayCallback(hwnd, WM_LBUTTONUP);
            EXPECT_TRUE(SameRect(WindowRect(hwnd), s.restoredAt))
                << Show(r) << " came back at " << Show(WindowRect(hwnd));
        }
    });
}

TEST(Tray, HidingTwiceStillLeavesOneIconThatRestores) {
    TempDir dir;
    RunMainDialog(WriteSettings(dir, kPlaced), [&](CListDlg& dlg) {
        HWND hwnd = dlg.m_hWnd;
        SendMessageA(hwnd, WM_COMMAND, ID_TRAY, 0);
        SendMessageA(hwnd, WM_COMMAND, ID_TRAY, 0); // the hidden window's rectangle must not be kept
        EXPECT_TRUE(InTray(hwnd));
        EXPECT_TRUE(SameRect(dlg.Tray().RestoreRect(), kPlacedRect)) << Show(dlg.Tray().RestoreRect());
        TrayCallback(hwnd, WM_RBUTTONUP);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_FALSE(TrayIconExists(hwnd));
        EXPECT_TRUE(SameRect(WindowRect(hwnd), kPlacedRect));
    });
}

TEST(Tray, StartInTheTrayHidesAfterSetUpAndRestoresAtTheStartPlace) {
    const struct {
        const char* lines;
        RECT placed;
    } cases[] = {
        {"tray=1\r\nleft=300\r\ntop=100\r\nwidth=200\r\nheight=300\r\n", kPlacedRect},
        {"tray=1\r\nwinmode=1\r\n", XYWH(400, 60, 192, 369)},
        {"tray=1\r\nwinmode=2\r\n", XYWH(57, 50, 526, 162)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        RunMainDialog(WriteSettings(dir, c.lines), [&](CListDlg& dlg) {
            HWND hwnd = dlg.m_hWnd;
            EXPECT_EQ(dlg.Modes().startMode, 1);
            ASSERT_TRUE(PumpUntil([&] { return InTray(hwnd); }, 5000)) << c.lines;
            EXPECT_TRUE(SameRect(dlg.Tray().RestoreRect(), c.placed)) << c.lines;
            TrayCallback(hwnd, WM_LBUTTONUP);
            EXPECT_TRUE(IsWindowVisible(hwnd));
            EXPECT_TRUE(SameRect(WindowRect(hwnd), c.placed)) << c.lines << " " << Show(WindowRect(hwnd));
            EXPECT_FALSE(TrayIconExists(hwnd));
        });
    }
}

TEST(Tray, RegularStartStaysShown) {
    TempDir dir;
    RunMainDialog(WriteSettings(dir, "tray=5\r\n"), [&](CListDlg& dlg) {
        EXPECT_EQ(dlg.Modes().startMode, 0);
        PumpFor(200); // the tray start would have fired after 20 ms
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
        EXPECT_FALSE(TrayIconExists(dlg.m_hWnd));
    });
}

TEST(Tray, IconComesBackWhenTheShellRestarts) {
    TempDir dir;
    RunMainDialog(WriteSettings(dir, kPlaced), [&](CListDlg& dlg) {
        HWND hwnd = dlg.m_hWnd;
        const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        // Shown: nothing to put back.
        SendMessageA(hwnd, taskbarCreated, 0, 0);
        EXPECT_FALSE(TrayIconExists(hwnd));

        SendMessageA(hwnd, WM_COMMAND, ID_TRAY, 0);
        ASSERT_TRUE(InTray(hwnd));
        NotifyTrayIcon(dlg, NIM_DELETE); // what a shell restart does to it
        ASSERT_FALSE(TrayIconExists(hwnd));
        SendMessageA(hwnd, taskbarCreated, 0, 0);
        EXPECT_TRUE(InTray(hwnd));

        TrayCallback(hwnd, WM_LBUTTONUP);
        SendMessageA(hwnd, taskbarCreated, 0, 0);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_FALSE(TrayIconExists(hwnd));
    });
}

} // namespace
