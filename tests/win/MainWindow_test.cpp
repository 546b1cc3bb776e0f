// The real main dialog: placement by window mode, layout after a resize, Save Window Position,
// accelerators and the About box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "WinTestSupport.h"
#include "WindowGeometry.h"
#include "app/ListDlg.h"
#include "resource.h"
#include "version.h"

namespace {

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dlg, int id) {
    RECT r = WindowRect(GetDlgItem(dlg, id));
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool IsTopmost(HWND hwnd) {
    return (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// A settings file naming an existing list, plus the given lines of section "pelmar".
std::string WriteSettings(TempDir& dir, const std::string& lines) {
    return WriteSettingsWithList(dir, "one\r\ntwo\r\n", lines);
}

RECT WorkArea() {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

TEST(MainWindow, IsPlacedByItsWindowMode) {
    const RECT work = WorkArea();
    const struct {
        const char* lines;
        RECT want;
    } cases[] = {
        {"", XYWH(400, 60, 192, 360)}, // window mode 3 with the default rectangle
        {"winmode=1\r\nleft=10\r\ntop=10\r\nwidth=300\r\nheight=300\r\n", XYWH(400, 60, 192, 369)},
        {"winmode=2\r\nleft=10\r\ntop=10\r\n", XYWH(57, 50, 526, 162)},
        {"winmode=0\r\n", XYWH(57, 50, 526, 162)},
        {"winmode=7\r\n", XYWH(57, 50, 526, 162)},
        {"winmode=3\r\nleft=123\r\ntop=45\r\nwidth=250\r\nheight=300\r\n", XYWH(123, 45, 250, 300)},
        // Partly on the screen (a monitor at the left): kept as saved, negative left included.
        {"left=-100\r\ntop=100\r\n", XYWH(-100, 100, 192, 360)},
        {"left=-191\r\ntop=100\r\n", XYWH(-191, 100, 192, 360)},
        // Off every monitor: brought onto the nearest one, size kept.
        {"left=-192\r\ntop=100\r\n", XYWH(work.left, 100, 192, 360)},
        {"left=-500\r\ntop=100\r\n", XYWH(work.left, 100, 192, 360)},
        {"left=5000\r\ntop=-2000\r\nwidth=200\r\nheight=300\r\n", XYWH(work.right - 200, work.top, 200, 300)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = WriteSettings(dir, c.lines);
        RECT got = {}, restore = {};
        bool topmost = false, visible = false;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            got = WindowRect(dlg.m_hWnd);
            topmost = IsTopmost(dlg.m_hWnd);
            visible = IsWindowVisible(dlg.m_hWnd) != FALSE;
            restore = dlg.Tray().RestoreRect();
        });
        EXPECT_TRUE(SameRect(got, c.want)) << c.lines << " gave " << Show(got);
        EXPECT_TRUE(SameRect(restore, c.want)) << c.lines << " restore " << Show(restore);
        EXPECT_TRUE(topmost) << c.lines;
        EXPECT_TRUE(visible) << c.lines;
    }
}

TEST(MainWindow, FirstStartWithoutSettingsFile) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    RECT got = {};
    WindowModes modes;
    int sendMode = -1, separatorMode = -1;
    ListKind kind = kEncryptedList;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        got = WindowRect(dlg.m_hWnd);
        modes = dlg.Modes();
        sendMode = dlg.Deliverer().SendMode();
        separatorMode = dlg.Deliverer().SeparatorMode();
        kind = dlg.Files().Kind();
    });
    EXPECT_TRUE(SameRect(got, XYWH(400, 60, 192, 360))) << Show(got);
    EXPECT_EQ(modes.startMode, 0);
    EXPECT_EQ(sendMode, 0);
    EXPECT_EQ(separatorMode, 1);
    EXPECT_EQ(modes.windowMode, 3);
    EXPECT_EQ(kind, kPlainList);
    // The default "list.txt" is the starter list beside the program.
    EXPECT_EQ(ReadIni(ini, "list"), TestProgramFolder() + "List.txt");
}

TEST(MainWindow, LoginListIsKnownByItsNameIgnoringCase) {
    TempDir dir;
    std::string list = dir.File("PELMAR.pLr"); // the login file beside the settings file
    WriteFileBytes(list, "bank\r\n\x57\x57\r\n\x58\r\n");
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    ListKind kind = kPlainList;
    std::vector<std::string> logins;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        kind = dlg.Files().Kind();
        logins = Logins(dlg);
    });
    EXPECT_EQ(kind, kLoginList);
    EXPECT_EQ(logins, std::vector<std::string>{"aa"});
}

TEST(MainWindow, ALongListPathIsTakenWhole) {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    std::string longPath = dir.Path() + "\\" + std::string(400, 'a') + ".txt";
    WritePrivateProfileStringA("pelmar", "list", longPath.c_str(), ini.c_str());
    std::string message;
    WhenDialogAppears("Pelmar", [&](HWND box) {
        message = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    std::string unloaded, file;
    std::vector<std::string> entries{"<not run>"};
    RunMainDialog(ini, [&](CListDlg& dlg) {
        unloaded = dlg.Files().State().unloadedFile;
        file = dlg.Files().State().file;
        entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
    });
    EXPECT_EQ(message, "Can't open List Box file!");
    EXPECT_EQ(file, longPath) << "no longer cut at 255 characters";
    EXPECT_EQ(unloaded, "") << "no file of that name exists";
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(ReadIni(ini, "list"), longPath) << "a failed load leaves the setting alone";
}

TEST(MainWindow, ControlsAreLaidOutAfterAResize) {
    TempDir dir;
    std::string ini = WriteSettings(dir, "left=100\r\ntop=100\r\nwidth=200\r\nheight=300\r\n");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND hwnd = dlg.m_hWnd;
        // The body starts within milliseconds of set-up, long before the 300 ms layout timer fires.
        RECT area = dlg.Deliverer().DragArea();
        EXPECT_TRUE(SameRect(area, RECT{0, 0, 0, 0})) << "before the first layout: " << Show(area);

        auto checkLayout = [&](const char* when) {
            RECT client;
            GetClientRect(hwnd, &client);
            int w = client.right, h = client.bottom;
            EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_LIST), XYWH(28, 0, w - 38, h - 10))) << when;
            EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_DRAG_HANDLE), XYWH(10, 0, 16, 16))) << when;
            EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_DRAG_STRIP), XYWH(10, 16, 16, h - 26))) << when;
            EXPECT_TRUE(SameRect(dlg.Deliverer().DragArea(), RECT{10, 0, 26, h - 10})) << when;
        };
        ASSERT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom != 0; }, 5000));
        checkLayout("after the placement");

        SetWindowPos(hwnd, nullptr, 100, 100, 320, 450, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(hwnd, &client);
        ASSERT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom == client.bottom - 10; }, 5000));
        checkLayout("after a resize");

        // Minimising lays nothing out: move the list box away and see it stay there.
        MoveWindow(GetDlgItem(hwnd, IDC_LIST), 50, 50, 60, 60, FALSE);
        SendMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
        PumpFor(600);
        EXPECT_TRUE(SameRect(ClientRectOf(hwnd, IDC_LIST), XYWH(50, 50, 60, 60)));
    });
}

TEST(MainWindow, SaveWindowPositionWritesTheRectangleThenTheMode) {
    TempDir dir;
    std::string ini = WriteSettings(dir, "winmode=1\r\n");
    std::string textBefore, textAfter;
    int modeAfter = 0;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        SetWindowPos(dlg.m_hWnd, nullptr, 123, 45, 250, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        textBefore = ReadFileBytes(ini);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_SAVE_WINDOW_POSITION, 0);
        modeAfter = dlg.Modes().windowMode;
        textAfter = ReadFileBytes(ini);
    });
    EXPECT_EQ(ReadIni(ini, "left"), "123");
    EXPECT_EQ(ReadIni(ini, "top"), "45");
    EXPECT_EQ(ReadIni(ini, "width"), "250");
    EXPECT_EQ(ReadIni(ini, "height"), "300");
    EXPECT_EQ(ReadIni(ini, "winmode"), "3");
    EXPECT_EQ(modeAfter, 1) << "the mode in memory stays until the next start";
    EXPECT_EQ(textBefore.find("left="), std::string::npos);
    // New keys are appended in the order written; winmode already stood before them.
    size_t left = textAfter.find("left="), top = textAfter.find("top="), width = textAfter.find("width="),
           height = textAfter.find("height=");
    EXPECT_TRUE(left < top && top < width && width < height && height != std::string::npos) << textAfter;

    RECT second = {};
    int secondMode = 0;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        second = WindowRect(dlg.m_hWnd);
        secondMode = dlg.Modes().windowMode;
    });
    EXPECT_TRUE(SameRect(second, XYWH(123, 45, 250, 300))) << Show(second);
    EXPECT_EQ(secondMode, 3);
}

// Records the commands that reach the dialog window and keeps them from running. A command that is also
// on the system menu (About) arrives as a system command.
std::string Cmd(UINT id) {
    return "command " + std::to_string(id);
}
std::string Sys(UINT id) {
    return "system command " + std::to_string(id);
}

std::vector<std::string> g_commands;
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK RecordCommands(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && lParam == 0) {
        g_commands.push_back(Cmd(LOWORD(wParam)));
        return 0;
    }
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
        g_commands.push_back(Sys(UINT(wParam & 0xFFF0)));
        return 0;
    }
    return CallWindowProcA(g_dialogProc, hwnd, msg, wParam, lParam);
}

// The command one key stroke (with modifiers held) turns into, through the dialog's own pre-translation.
struct KeyResult {
    BOOL translated;
    std::vector<std::string> commands;
};

KeyResult PressThroughDialog(CListDlg& dlg, BYTE vk, std::initializer_list<BYTE> modifiers) {
    BYTE saved[256], keys[256];
    GetKeyboardState(saved);
    memcpy(keys, saved, sizeof keys);
    for (BYTE m :
         {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_RSHIFT, VK_RCONTROL, VK_RMENU})
        keys[m] = 0;
    bool alt = false;
    for (BYTE m : modifiers) {
        keys[m] = 0x80;
        alt = alt || m == VK_MENU;
    }
    SetKeyboardState(keys);
    g_commands.clear();
    MSG msg = {};
    msg.hwnd = dlg.GetDlgItem(IDC_LIST);
    msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = 1 | (alt ? (1 << 29) : 0);
    KeyResult result;
    result.translated = dlg.PreTranslateMessage(&msg);
    // Let characters that the dialog manager generated go by before the modifiers are let go.
    MSG pending;
    while (PeekMessageA(&pending, msg.hwnd, WM_CHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
    }
    SetKeyboardState(saved);
    result.commands = g_commands;
    return result;
}

TEST(MainWindow, KeysReachTheirCommands) {
    const struct {
        const char* name;
        BYTE vk;
        std::initializer_list<BYTE> modifiers;
        std::vector<std::string> commands;
    } cases[] = {
        {"C", 'C', {}, {Cmd(ID_COPY)}},
        {"Ctrl+C", 'C', {VK_CONTROL}, {Cmd(ID_COPY)}},
        {"Ctrl+N", 'N', {VK_CONTROL}, {Cmd(ID_FILE_NEW)}},
        {"Ctrl+A", 'A', {VK_CONTROL}, {Sys(IDM_ABOUTBOX)}},
        {"Ctrl+H", 'H', {VK_CONTROL}, {Cmd(ID_HELP_CONTENTS)}},
        {"F1", VK_F1, {}, {Cmd(ID_HELP_CONTENTS)}},
        {"Ctrl+I", 'I', {VK_CONTROL}, {Cmd(ID_LOAD_LOGIN_FILE)}},
        {"Ctrl+M", 'M', {VK_CONTROL}, {Cmd(ID_MODIFY_ITEM)}},
        {"Ctrl+O", 'O', {VK_CONTROL}, {Cmd(ID_FILE_OPEN)}},
        {"Ctrl+P", 'P', {VK_CONTROL}, {Cmd(ID_OPTIONS)}},
        {"Ctrl+S", 'S', {VK_CONTROL}, {Cmd(ID_FILE_SAVE_AS)}},
        {"Ctrl+T", 'T', {VK_CONTROL}, {Cmd(ID_NOTEPAD)}},
        {"Ctrl+W", 'W', {VK_CONTROL}, {Cmd(ID_SAVE_WINDOW_POSITION)}},
        {"Delete", VK_DELETE, {}, {Cmd(ID_DELETE_ITEM)}},
        {"Insert", VK_INSERT, {}, {Cmd(ID_ADD_ITEM)}},
        {"Esc", VK_ESCAPE, {}, {Cmd(ID_ESCAPE)}}, // before the dialog manager could make it Cancel
        {"Alt+X", 'X', {VK_MENU}, {Cmd(ID_APP_EXIT)}},
        {"Enter", VK_RETURN, {}, {Cmd(IDOK)}}, // the dialog manager's default button
        // Nothing for other combinations.
        {"Shift+C", 'C', {VK_SHIFT}, {}},
        {"Ctrl+Shift+C", 'C', {VK_CONTROL, VK_SHIFT}, {}},
        {"X", 'X', {}, {}},
        {"N", 'N', {}, {}},
        {"Ctrl+X", 'X', {VK_CONTROL}, {}},
    };
    TempDir dir;
    std::string ini = WriteSettings(dir, "");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        g_dialogProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
        for (const auto& c : cases) {
            KeyResult r = PressThroughDialog(dlg, c.vk, c.modifiers);
            EXPECT_EQ(r.commands, c.commands) << c.name;
            if (!c.commands.empty()) {
                EXPECT_TRUE(r.translated) << c.name;
            }
        }
        SetWindowLongPtrA(dlg.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    });
}

// Texts of a window's children, in order.
BOOL CALLBACK CollectText(HWND child, LPARAM lParam) {
    reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(WindowText(child));
    return TRUE;
}

TEST(MainWindow, AboutBoxOpensModallyFromEachSource) {
    const struct {
        const char* name;
        bool sent;
        void (*open)(CListDlg&);
    } cases[] = {
        // Sent, so that the box must have come and gone before the call returns: it is modal.
        {"Help menu", true, [](CListDlg& d) { SendMessageA(d.m_hWnd, WM_COMMAND, IDM_ABOUTBOX, 0); }},
        {"system menu", true, [](CListDlg& d) { SendMessageA(d.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }},
        {"Ctrl+A", false,
         [](CListDlg& d) {
             SetForegroundWindow(d.m_hWnd);
             SetFocus(d.GetDlgItem(IDC_LIST));
             TapKeyWith(VK_CONTROL, 'A');
         }},
    };
    TempDir dir;
    std::string ini = WriteSettings(dir, "");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        for (const auto& c : cases) {
            std::vector<std::string> texts;
            HWND about = nullptr;
            WhenDialogAppears("About Pelmar", [&](HWND box) {
                about = box;
                EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
                PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            });
            c.open(dlg);
            if (c.sent) {
                EXPECT_TRUE(about && !IsWindow(about)) << c.name << ": the box was not modal";
            }
            ASSERT_TRUE(PumpUntil([&] { return about && !IsWindow(about); }, 10000)) << c.name;
            EXPECT_NE(std::find(texts.begin(), texts.end(), PELMAR_ABOUT_TEXT), texts.end()) << c.name;
            EXPECT_NE(std::find(texts.begin(), texts.end(), "OK"), texts.end()) << c.name;
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd)) << c.name;
        }
    });
}

TEST(MainWindow, SystemMenuEndsWithTheAboutItem) {
    TempDir dir;
    std::string ini = WriteSettings(dir, "");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HMENU menu = GetSystemMenu(dlg.m_hWnd, FALSE);
        int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), UINT(IDM_ABOUTBOX));
        char text[64] = {};
        GetMenuStringA(menu, UINT(count - 1), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About Pelmar...");
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, UINT(count - 2), TRUE, &info);
        EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    });
}

} // namespace
