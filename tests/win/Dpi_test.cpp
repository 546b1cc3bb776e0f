// The main window at 150 % (144 DPI). A program takes the DPI from the prefix's LogPixels when it starts, so
// the test runs itself again as a child process with LogPixels at 144 and puts the old value back after.
#include <gtest/gtest.h>

#include <cstdlib>

#include "WinTestSupport.h"
#include "WindowGeometry.h"
#include "app/ListDlg.h"
#include "app/WindowDpi.h"
#include "resource.h"

namespace {
const char kChildVariable[] = "PELMAR_TEST_DPI_CHILD";

// Programs started while this lives see dpi; the previous setting comes back at the end, also on failure.
class PrefixDpi {
  public:
    explicit PrefixDpi(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr);
        DWORD size = sizeof m_previous, type = 0;
        m_hadValue = RegQueryValueExA(m_key, "LogPixels", nullptr, &type,
                                      reinterpret_cast<BYTE*>(&m_previous), &size) == ERROR_SUCCESS &&
                     type == REG_DWORD;
        RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~PrefixDpi() {
        if (m_hadValue)
            RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_previous),
                           sizeof m_previous);
        else
            RegDeleteValueA(m_key, "LogPixels");
        RegCloseKey(m_key);
    }

  private:
    HKEY m_key = nullptr;
    DWORD m_previous = 0;
    bool m_hadValue = false;
};

// Runs the current test again in a child process at dpi; its exit code, and its output in output.
long RunThisTestAt(DWORD dpi, std::string& output) {
    TempDir dir;
    const std::string outputFile = dir.File("child.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out =
        CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string commandLine = std::string("\"") + TestProgramFolder() +
                              "win_tests.exe\" --gtest_filter=" + test->test_suite_name() + "." +
                              test->name();
    PROCESS_INFORMATION child = {};
    DWORD code = DWORD(-1);
    {
        PrefixDpi prefixDpi(dpi);
        SetEnvironmentVariableA(kChildVariable, "1");
        BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &si, &child);
        SetEnvironmentVariableA(kChildVariable, nullptr);
        if (started && WaitForSingleObject(child.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(child.hProcess, DWORD(-1));
        if (started)
            GetExitCodeProcess(child.hProcess, &code);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(out);
    output = ReadFileBytes(outputFile);
    return long(code);
}

RECT ClientRectOf(HWND dlg, int id) {
    RECT r = WindowRect(GetDlgItem(dlg, id));
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE BitmapSize(HWND dlg, int id) {
    BITMAP bitmap = {};
    GetObjectA(reinterpret_cast<HBITMAP>(SendDlgItemMessageA(dlg, id, STM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof bitmap, &bitmap);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

int IconWidth(HICON icon) {
    ICONINFO info = {};
    BITMAP mask = {};
    if (!GetIconInfo(icon, &info))
        return 0;
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

// The drag column at one scale: its left edge, its width (handle, strip and pictures), the list's left edge.
struct Column {
    int margin, width, listLeft;
};

void ExpectLayout(CListDlg& dlg, const Column& c, const char* when) {
    HWND hwnd = dlg.m_hWnd;
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    EXPECT_TRUE(
        SameRect(ClientRectOf(hwnd, IDC_LIST), XYWH(c.listLeft, 0, w - c.listLeft - c.margin, h - c.margin)))
        << when;
    EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_DRAG_HANDLE), XYWH(c.margin, 0, c.width, c.width))) << when;
    EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_DRAG_STRIP),
                         XYWH(c.margin, c.width, c.width, h - c.width - c.margin)))
        << when;
    EXPECT_TRUE(SameRect(dlg.Deliverer().DragArea(), RECT{c.margin, 0, c.margin + c.width, h - c.margin}))
        << when;
    EXPECT_EQ(BitmapSize(hwnd, IDC_DRAG_HANDLE).cx, c.width) << when;
    EXPECT_EQ(BitmapSize(hwnd, IDC_DRAG_HANDLE).cy, c.width) << when;
    EXPECT_EQ(BitmapSize(hwnd, IDC_DRAG_STRIP).cx, c.width) << when;
}

// Presses at client point press and returns where the pointer went, in client coordinates, and the width of
// the cursor shown; the release inside the window then ends the drag.
POINT PressAt(CListDlg& dlg, POINT press, int& cursorWidth) {
    POINT screen = press;
    ClientToScreen(dlg.m_hWnd, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    cursorWidth = IconWidth(GetCursor());
    POINT now;
    GetCursorPos(&now);
    ScreenToClient(dlg.m_hWnd, &now);
    SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(60, 60));
    return now;
}

void CheckMainWindowAt144Dpi() {
    const struct {
        const char* lines;
        RECT want;
    } places[] = {
        {"winmode=1\r\n", XYWH(600, 90, 288, 554)},
        {"winmode=2\r\n", XYWH(86, 75, 789, 243)},
        // A saved rectangle is in the screen's pixels already.
        {"winmode=3\r\nleft=123\r\ntop=45\r\nwidth=250\r\nheight=300\r\n", XYWH(123, 45, 250, 300)},
        // Without one, the default rectangle is designed at 96 DPI like the fixed places.
        {"winmode=3\r\n", XYWH(600, 90, 288, 540)},
    };
    for (const auto& place : places) {
        TempDir dir;
        RECT got = {};
        RunMainDialog(WriteSettingsWithList(dir, "one\r\n", place.lines),
                      [&](CListDlg& dlg) { got = WindowRect(dlg.m_hWnd); });
        EXPECT_TRUE(SameRect(got, place.want)) << place.lines << " gave " << Show(got);
    }

    TempDir dir;
    RunMainDialog(WriteSettingsWithList(dir, "one\r\n", "winmode=1\r\n"), [&](CListDlg& dlg) {
        ASSERT_EQ(WindowDpi(dlg.m_hWnd), 144) << "the prefix's LogPixels did not reach the program";
        ASSERT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom != 0; }));
        ExpectLayout(dlg, {15, 24, 42}, "at 144 DPI");
        // On the handle the pointer goes where the 48-pixel drag cursor's picture covers the handle.
        int cursorWidth = 0;
        POINT onHandle = PressAt(dlg, {18, 4}, cursorWidth), onStrip = PressAt(dlg, {18, 100}, cursorWidth);
        EXPECT_EQ(onHandle.x, 26);
        EXPECT_EQ(onHandle.y, 11);
        EXPECT_EQ(onStrip.x, 18);
        EXPECT_EQ(onStrip.y, 100);
        EXPECT_EQ(cursorWidth, 48);

        // Moved to a 96-DPI monitor: the suggested place is taken and everything is laid out again at once.
        RECT suggested = XYWH(200, 100, 192, 369);
        SendMessageA(dlg.m_hWnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_TRUE(SameRect(WindowRect(dlg.m_hWnd), suggested)) << Show(WindowRect(dlg.m_hWnd));
        ExpectLayout(dlg, {10, 16, 28}, "after the change to 96 DPI");
        PressAt(dlg, {12, 3}, cursorWidth);
        EXPECT_EQ(cursorWidth, 32);

        PostMessageA(dlg.m_hWnd, WM_COMMAND, ID_TRAY, 0);
        ASSERT_TRUE(PumpUntil([&] { return dlg.Tray().Icon().hIcon != nullptr; }));
        EXPECT_EQ(IconWidth(dlg.Tray().Icon().hIcon), GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 24);
    });
}

TEST(Dpi, MainWindowScalesAt150Percent) {
    if (std::getenv(kChildVariable)) {
        CheckMainWindowAt144Dpi();
        return;
    }
    std::string output;
    long code = RunThisTestAt(144, output);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

} // namespace
