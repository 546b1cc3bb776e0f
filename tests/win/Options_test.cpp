// The Options dialog driven through the main dialog's Options command, checked in the settings file.
#include <gtest/gtest.h>

#include "BoxWatch.h"
#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "framework/WinApp.h"
#include "resource.h"
// After windows.h, which it needs.
#include <commctrl.h>

namespace {
const int kAllButtons[] = {IDC_WINMODE_VERTICAL, IDC_WINMODE_HORIZONTAL, IDC_WINMODE_CURRENT,
                           IDC_START_REGULAR,    IDC_START_TRAY,         IDC_SEPARATOR_CRLF,
                           IDC_SEPARATOR_TAB,    IDC_SEND_CLIPBOARD,     IDC_SEND_KEYSTROKES,
                           IDC_SEND_CHARACTERS};

struct OptionsRun {
    std::vector<int> shownChecked; // buttons checked when the dialog opened
    bool dialogSeen = false;
};

// Runs Options once: clicks the buttons, then ends the dialog with endWith (IDOK or IDCANCEL).
OptionsRun RunOptions(CListDlg& dlg, const std::vector<int>& clicks, int endWith) {
    OptionsRun run;
    WhenDialogAppears("Pelmar Options", [&](HWND box) {
        run.dialogSeen = true;
        for (int id : kAllButtons) {
            if (IsDlgButtonChecked(box, id) == BST_CHECKED)
                run.shownChecked.push_back(id);
        }
        for (int id : clicks)
            SendMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0);
        PostMessageA(box, WM_COMMAND, WPARAM(endWith), 0);
    });
    SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
    return run;
}

struct Fixture {
    TempDir dir;
    std::string ini = dir.File("Pelmar.ini");
    // settings: key=value lines for section "pelmar"; the list file is always there.
    explicit Fixture(const std::string& settings) {
        std::string list = dir.File("list.txt");
        WriteFileBytes(list, "a\r\nb\r\n");
        WriteFileBytes(ini, "[pelmar]\r\nlist=" + list + "\r\nlastdir=" + dir.Path() + "\r\n" + settings);
    }
    std::string Ini() const { return ReadFileBytes(ini); }
};

RECT WindowRect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(Options, OkWithoutChangesWritesTheModesAndTypingAndNothingElse) {
    const struct {
        std::string settings;
        std::string appended; // what OK adds to the file
    } cases[] = {
        {"", "tray=0\r\ncr=1\r\nclip=0\r\nkeydelay=4\r\nrestoreclip=0\r\nhotkey=1568\r\n"},
        {"tray=0\r\ncr=2\r\nclip=1\r\nwinmode=2\r\nkeydelay=40\r\nrestoreclip=1\r\nhotkey=0\r\n", ""},
    };
    for (const auto& c : cases) {
        Fixture f(c.settings);
        std::string before, after;
        RECT rectBefore = {}, rectAfter = {};
        RunMainDialog(f.ini, [&](CListDlg& dlg) {
            before = f.Ini();
            rectBefore = WindowRect(dlg.m_hWnd);
            EXPECT_TRUE(RunOptions(dlg, {}, IDOK).dialogSeen);
            after = f.Ini();
            rectAfter = WindowRect(dlg.m_hWnd);
        });
        EXPECT_EQ(after, before + c.appended);
        EXPECT_EQ(RectText(rectAfter), RectText(rectBefore));
    }
}

TEST(Options, ShowsTheCurrentModesAndSoundButtonsForEditedValues) {
    const struct {
        std::string settings;
        std::vector<int> checked;
    } cases[] = {
        {"", {IDC_WINMODE_CURRENT, IDC_START_REGULAR, IDC_SEPARATOR_CRLF, IDC_SEND_CLIPBOARD}},
        {"winmode=1\r\ntray=1\r\ncr=2\r\nclip=2\r\n",
         {IDC_WINMODE_VERTICAL, IDC_START_TRAY, IDC_SEPARATOR_TAB, IDC_SEND_CHARACTERS}},
        {"winmode=2\r\nclip=1\r\n",
         {IDC_WINMODE_HORIZONTAL, IDC_START_REGULAR, IDC_SEPARATOR_CRLF, IDC_SEND_KEYSTROKES}},
        // Hand-edited values: a negative send mode is read as clipboard paste, and an unknown window
        // mode checks no button of its group.
        {"winmode=7\r\ntray=5\r\ncr=0\r\nclip=-1\r\n",
         {IDC_START_REGULAR, IDC_SEPARATOR_CRLF, IDC_SEND_CLIPBOARD}},
    };
    for (const auto& c : cases) {
        Fixture f(c.settings);
        RunMainDialog(
            f.ini, [&](CListDlg& dlg) { EXPECT_EQ(RunOptions(dlg, {}, IDCANCEL).shownChecked, c.checked); });
    }
}

TEST(Options, GroupWithNoButtonCheckedKeepsItsValue) {
    Fixture f("winmode=7\r\nclip=-1\r\n");
    int windowMode = 0, sendMode = -5;
    RECT rectBefore = {}, rectAfter = {};
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        rectBefore = WindowRect(dlg.m_hWnd);
        RunOptions(dlg, {}, IDOK);
        windowMode = dlg.Modes().windowMode;
        sendMode = dlg.Deliverer().SendMode();
        rectAfter = WindowRect(dlg.m_hWnd);
    });
    EXPECT_EQ(windowMode, 7);
    EXPECT_EQ(ReadIni(f.ini, "winmode"), "7");
    EXPECT_EQ(sendMode, 0);
    EXPECT_EQ(ReadIni(f.ini, "clip"), "0");
    EXPECT_EQ(ReadIni(f.ini, "left"), "<absent>");
    EXPECT_EQ(RectText(rectAfter), RectText(rectBefore));
}

TEST(Options, SwitchingToCurrentSizeStoresTheRectangleInPlace) {
    Fixture f("winmode=1\r\n");
    std::string before, after;
    RECT rect = {}, moved = {};
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        MoveWindow(dlg.m_hWnd, 333, 111, 222, 380, TRUE);
        rect = WindowRect(dlg.m_hWnd);
        before = f.Ini();
        RunOptions(dlg, {IDC_WINMODE_CURRENT}, IDOK);
        after = f.Ini();
        moved = WindowRect(dlg.m_hWnd);
        EXPECT_EQ(dlg.Modes().windowMode, 3);
    });
    std::string expected = before;
    expected.replace(expected.find("winmode=1"), 9, "winmode=3");
    expected +=
        "tray=0\r\ncr=1\r\nclip=0\r\nkeydelay=4\r\nrestoreclip=0\r\nhotkey=1568\r\nleft=" +
        std::to_string(rect.left) +
        "\r\nwidth=" + std::to_string(rect.right - rect.left) + "\r\ntop=" + std::to_string(rect.top) +
        "\r\nheight=" + std::to_string(rect.bottom - rect.top) + "\r\n";
    EXPECT_EQ(after, expected);
    EXPECT_EQ(RectText(moved), RectText(rect));
}

TEST(Options, DefaultModesMoveTheWindowAtOnce) {
    Fixture f("winmode=3\r\nleft=300\r\ntop=200\r\nwidth=250\r\nheight=300\r\n");
    const struct {
        int button;
        RECT rect;
        const char* winmode;
    } steps[] = {
        {IDC_WINMODE_VERTICAL, {400, 60, 592, 429}, "1"},
        {IDC_WINMODE_HORIZONTAL, {57, 50, 583, 212}, "2"},
        {IDC_WINMODE_VERTICAL, {400, 60, 592, 429}, "1"},
    };
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        RECT restore = dlg.Tray().RestoreRect();
        for (const auto& s : steps) {
            RunOptions(dlg, {s.button}, IDOK);
            EXPECT_EQ(RectText(WindowRect(dlg.m_hWnd)), RectText(s.rect));
            EXPECT_EQ(ReadIni(f.ini, "winmode"), s.winmode);
            EXPECT_EQ(RectText(dlg.Tray().RestoreRect()), RectText(restore));
        }
    });
    EXPECT_EQ(ReadIni(f.ini, "left"), "300");
    EXPECT_EQ(ReadIni(f.ini, "height"), "300");
}

TEST(Options, CancelChangesNothing) {
    Fixture f("winmode=3\r\nleft=300\r\ntop=200\r\nwidth=250\r\nheight=300\r\n");
    std::string before, after;
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        before = f.Ini();
        auto modesOf = [&] {
            return std::vector<int>{dlg.Modes().windowMode, dlg.Modes().startMode,
                                    dlg.Deliverer().SeparatorMode(), dlg.Deliverer().SendMode()};
        };
        std::vector<int> was = modesOf();
        RECT rect = WindowRect(dlg.m_hWnd);
        RunOptions(dlg, {IDC_WINMODE_VERTICAL, IDC_START_TRAY, IDC_SEPARATOR_TAB, IDC_SEND_CHARACTERS},
                   IDCANCEL);
        after = f.Ini();
        EXPECT_EQ(RectText(WindowRect(dlg.m_hWnd)), RectText(rect));
        EXPECT_EQ(modesOf(), was);
    });
    EXPECT_EQ(after, before);
}

TEST(Options, OkChangesTheMirrorsForTheNextDelivery) {
    Fixture f("");
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        RunOptions(dlg, {IDC_START_TRAY, IDC_SEPARATOR_TAB, IDC_SEND_CHARACTERS}, IDOK);
        EXPECT_EQ(dlg.Modes().startMode, 1);
        EXPECT_EQ(dlg.Deliverer().SeparatorMode(), 2);
        EXPECT_EQ(dlg.Deliverer().SendMode(), 2);
        RunOptions(dlg, {IDC_SEND_KEYSTROKES, IDC_SEPARATOR_CRLF}, IDOK);
        EXPECT_EQ(dlg.Deliverer().SeparatorMode(), 1);
        EXPECT_EQ(dlg.Deliverer().SendMode(), 1);
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd)); // the start mode waits for the next start
    });
    EXPECT_EQ(ReadIni(f.ini, "tray"), "1");
    EXPECT_EQ(ReadIni(f.ini, "cr"), "1");
    EXPECT_EQ(ReadIni(f.ini, "clip"), "1");
    EXPECT_EQ(ReadIni(f.ini, "winmode"), "<absent>");
}

TEST(Options, TypingDelayAndClipboardSwitchAreShownAndStored) {
    const struct {
        std::string settings;
        std::string shownDelay;
        bool shownRestore;
        const char* typed; // into the delay field
        bool click;        // the check box
        std::string keydelay, restoreclip;
    } cases[] = {
        {"", "4", false, "250", true, "250", "1"},
        {"keydelay=40\r\nrestoreclip=1\r\n", "40", true, "", true, "4", "0"},
        {"keydelay=5000\r\n", "1000", false, "0", false, "1", "0"},
    };
    for (const auto& c : cases) {
        Fixture f(c.settings);
        std::string shownDelay;
        bool shownRestore = false;
        RunMainDialog(f.ini, [&](CListDlg& dlg) {
            WhenDialogAppears("Pelmar Options", [&](HWND box) {
                shownDelay = WindowText(GetDlgItem(box, IDC_KEY_DELAY));
                shownRestore = IsDlgButtonChecked(box, IDC_RESTORE_CLIPBOARD) == BST_CHECKED;
                SetDlgItemTextA(box, IDC_KEY_DELAY, c.typed);
                if (c.click)
                    SendMessageA(GetDlgItem(box, IDC_RESTORE_CLIPBOARD), BM_CLICK, 0, 0);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
            EXPECT_EQ(dlg.Deliverer().KeyDelay(), std::stoi(c.keydelay));
            EXPECT_EQ(dlg.Deliverer().RestoresClipboard(), c.restoreclip == "1");
        });
        EXPECT_EQ(shownDelay, c.shownDelay) << c.settings;
        EXPECT_EQ(shownRestore, c.shownRestore) << c.settings;
        EXPECT_EQ(ReadIni(f.ini, "keydelay"), c.keydelay) << c.settings;
        EXPECT_EQ(ReadIni(f.ini, "restoreclip"), c.restoreclip) << c.settings;
    }
}

// The hot key as the file holds it is shown; a combination AltGr layouts type with is explained and the
// dialog stays; a usable one is stored as MOD_* flags times 256 plus the key and registered at once, and
// Off stores 0 and frees the key.
TEST(Options, HotKeyIsShownRefusedOrStoredAndRegistered) {
    Fixture f("hotkey=1604\r\n"); // Ctrl+Shift+D
    BoxSeen refusal;
    LRESULT shown = 0;
    std::string state;
    bool stayedOpen = false, takenAfterOk = false;
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        WhenDialogAppears("Pelmar Options", [&](HWND box) {
            shown = SendDlgItemMessageA(box, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0);
            state = WindowText(GetDlgItem(box, IDC_HOTKEY_STATE));
            SendDlgItemMessageA(box, IDC_HOTKEY, HKM_SETHOTKEY, (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | 'E', 0);
            UINT_PTR timer = AnswerNextMessageBox(refusal);
            SendMessageA(box, WM_COMMAND, IDOK, 0);
            StopAnswering(timer);
            stayedOpen = IsWindowVisible(box) != FALSE;
            SendDlgItemMessageA(box, IDC_HOTKEY, HKM_SETHOTKEY, (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8 | VK_F7, 0);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
        takenAfterOk = !RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F7);
        EXPECT_EQ(ReadIni(f.ini, "hotkey"), "886"); // (MOD_CONTROL | MOD_ALT) * 256 + VK_F7
        WhenDialogAppears("Pelmar Options", [&](HWND box) {
            SendMessageA(GetDlgItem(box, IDC_HOTKEY_OFF), BM_CLICK, 0, 0);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
        EXPECT_EQ(ReadIni(f.ini, "hotkey"), "0");
        EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F7));
        UnregisterHotKey(nullptr, 7);
    });
    EXPECT_EQ(shown, (HOTKEYF_CONTROL | HOTKEYF_SHIFT) << 8 | 'D');
    EXPECT_EQ(state, "Registered");
    EXPECT_TRUE(refusal.seen);
    EXPECT_NE(refusal.text.find("AltGr"), std::string::npos) << refusal.text;
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(takenAfterOk);
}

// F1 inside the dialog asks for the help contents but leaves the main window where it is.
std::vector<std::string> g_helpOpened;
HWND g_optionsBox = nullptr;
DWORD g_helpDeadline = 0;

// Polled from a timer: a nested message pump here would run the main dialog's accelerators.
VOID CALLBACK CancelOnceHelpOpened(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_helpOpened.empty() && GetTickCount() < g_helpDeadline)
        return;
    KillTimer(nullptr, id);
    PostMessageA(g_optionsBox, WM_COMMAND, IDCANCEL, 0);
}

bool RecordHelp(HelpViewer, HWND, const std::string& path, UINT command, DWORD_PTR data) {
    g_helpOpened.push_back(path + " " + std::to_string(command) + " " + std::to_string(data));
    return true;
}

TEST(Options, F1AsksForTheHelpContentsWithoutHidingTheWindow) {
    Fixture f("");
    WriteFileBytes(f.dir.File("Pelmar.html"), "<html></html>");
    CWinApp* app = AfxGetApp();
    std::string modulePath = app->m_modulePath;
    app->m_modulePath = f.dir.File("Pelmar.exe");
    g_helpOpened.clear();
    SetHelpFileOpener(RecordHelp);
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        WhenDialogAppears("Pelmar Options", [&](HWND box) {
            SetForegroundWindow(box);
            SetFocus(GetDlgItem(box, IDC_SEND_CLIPBOARD));
            TapKey(VK_F1);
            g_optionsBox = box;
            g_helpDeadline = GetTickCount() + 5000;
            SetTimer(nullptr, 0, 20, CancelOnceHelpOpened);
        });
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_OPTIONS, 0);
        EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
    });
    SetHelpFileOpener(nullptr);
    app->m_modulePath = modulePath;
    EXPECT_EQ(g_helpOpened, std::vector<std::string>{f.dir.File("Pelmar.html") + " 3 0"});
}
} // namespace

namespace {
TEST(Options, CtrlPOpensTheDialog) {
    Fixture f("");
    bool seen = false;
    RunMainDialog(f.ini, [&](CListDlg& dlg) {
        WhenDialogAppears("Pelmar Options", [&](HWND box) {
            seen = true;
            SendMessageA(GetDlgItem(box, IDC_SEND_KEYSTROKES), BM_CLICK, 0, 0);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        SetForegroundWindow(dlg.m_hWnd);
        SetFocus(dlg.GetDlgItem(IDC_LIST));
        TapKeyWith(VK_CONTROL, 'P');
        EXPECT_TRUE(PumpUntil([&] { return seen && ReadIni(f.ini, "clip") == "1"; }));
    });
    EXPECT_TRUE(seen);
}
} // namespace
