// Help contents and Notepad with the viewer and the program starter replaced by recorders.
#include <gtest/gtest.h>

#include "BoxWatch.h"
#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "app/SmallCommands.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
struct Call {
    std::string what;
    bool windowVisible;
};
std::vector<Call> g_calls;
bool g_engineWorks = true;

bool MainWindowVisible() {
    return HarnessDialog() && IsWindowVisible(HarnessDialog()->m_hWnd);
}

bool RecordHelp(HelpViewer viewer, HWND, const std::string& path, UINT command, DWORD_PTR data) {
    std::string kind = viewer == HelpViewer::Engine ? "engine " : "browser ";
    g_calls.push_back(
        {kind + path + " " + std::to_string(command) + " " + std::to_string(data), MainWindowVisible()});
    return viewer == HelpViewer::Browser || g_engineWorks;
}

std::string g_application;

bool RecordStart(const std::string& application, const std::string& commandLine) {
    g_application = application;
    g_calls.push_back({commandLine + " 1", MainWindowVisible()});
    return true;
}

// The test program stands in for Pelmar.exe in a folder of the test's own.
class ProgramIn {
  public:
    explicit ProgramIn(const TempDir& dir) : m_saved(AfxGetApp()->m_modulePath) {
        AfxGetApp()->m_modulePath = dir.File("Pelmar.exe");
        g_calls.clear();
        SetHelpFileOpener(RecordHelp);
        SetProgramStarter(RecordStart);
    }
    ~ProgramIn() {
        SetHelpFileOpener(nullptr);
        SetProgramStarter(nullptr);
        AfxGetApp()->m_modulePath = m_saved;
        g_engineWorks = true;
    }

  private:
    std::string m_saved;
};

std::string StartList(const TempDir& dir, const std::string& name, const std::string& bytes) {
    std::string list = dir.File(name), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, bytes);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    return ini;
}

TEST(HelpContents, HidesFirstThenOpensTheHelpFileThatExists) {
    const struct {
        bool hlp, html, engineWorks;
        std::vector<std::string> opened; // file names after the folder
    } cases[] = {
        {false, true, true, {"browser Pelmar.html 3 0"}},
        {true, true, true, {"engine Pelmar.HLP 3 0"}},
        {true, true, false, {"engine Pelmar.HLP 3 0", "browser Pelmar.html 3 0"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ProgramIn program(dir);
        g_engineWorks = c.engineWorks;
        if (c.hlp)
            WriteFileBytes(dir.File("Pelmar.HLP"), "?_");
        if (c.html)
            WriteFileBytes(dir.File("Pelmar.html"), "<html></html>");
        bool hiddenAfter = false;
        RunMainDialog(StartList(dir, "list.txt", "a\r\n"), [&](CListDlg& dlg) {
            SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_HELP_CONTENTS, 0);
            hiddenAfter = !IsWindowVisible(dlg.m_hWnd);
        });
        ASSERT_EQ(g_calls.size(), c.opened.size());
        for (size_t i = 0; i < c.opened.size(); ++i) {
            std::string what = g_calls[i].what;
            EXPECT_EQ(what.substr(0, what.find(' ') + 1) + what.substr(what.find_last_of('\\') + 1),
                      c.opened[i]);
            EXPECT_FALSE(g_calls[i].windowVisible);
        }
        EXPECT_TRUE(hiddenAfter);
    }
}

TEST(HelpContents, SaysSoWhenNoHelpFileCanBeOpened) {
    TempDir dir;
    ProgramIn program(dir);
    BoxSeen box;
    bool hidden = false;
    RunMainDialog(StartList(dir, "list.txt", "a\r\n"), [&](CListDlg& dlg) {
        UINT_PTR watch = AnswerNextMessageBox(box);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_HELP_CONTENTS, 0);
        StopAnswering(watch);
        hidden = !IsWindowVisible(dlg.m_hWnd);
    });
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(box.text, "Unable to open the help file.");
    EXPECT_EQ(box.caption, "Pelmar");
    EXPECT_TRUE(hidden);
}

TEST(HelpContents, F1AndCtrlHAskForHelp) {
    for (bool ctrlH : {false, true}) {
        TempDir dir;
        ProgramIn program(dir);
        WriteFileBytes(dir.File("Pelmar.html"), "<html></html>");
        RunMainDialog(StartList(dir, "list.txt", "a\r\n"), [&](CListDlg& dlg) {
            SetForegroundWindow(dlg.m_hWnd);
            SetFocus(dlg.GetDlgItem(IDC_LIST));
            if (ctrlH)
                TapKeyWith(VK_CONTROL, 'H');
            else
                TapKey(VK_F1);
            EXPECT_TRUE(PumpUntil([] { return !g_calls.empty(); }));
            EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        });
        EXPECT_EQ(g_calls.size(), 1u) << "Ctrl+H: " << ctrlH;
    }
}

TEST(Notepad, StartsNotepadOnAPlainTextListOnly) {
    const struct {
        const char* file;
        ListKind kind;
        bool opens;
    } cases[] = {
        {"list.txt", kPlainList, true},          {"LIST.TXT", kPlainList, true},
        {"my lists\\a b.txt", kPlainList, true}, {"plain.dat", kPlainList, false},
        {"Pelmar.plr", kLoginList, false},       {"list.txt", kEncryptedList, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ProgramIn program(dir);
        CreateDirectoryA(dir.File("my lists").c_str(), nullptr);
        bool visibleAfter = true;
        RunMainDialog(StartList(dir, c.file, "a\r\nb\r\nc\r\n"), [&](CListDlg& dlg) {
            SetListKind(dlg, c.kind);
            SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_NOTEPAD, 0);
            visibleAfter = IsWindowVisible(dlg.m_hWnd) != FALSE;
        });
        if (!c.opens) {
            EXPECT_TRUE(g_calls.empty()) << c.file;
            EXPECT_TRUE(visibleAfter) << c.file;
            continue;
        }
        ASSERT_EQ(g_calls.size(), 1u) << c.file;
        EXPECT_EQ(g_calls[0].what, "Notepad.exe " + dir.File(c.file) + " " + std::to_string(SW_SHOWNORMAL));
        char windows[MAX_PATH] = {};
        GetSystemWindowsDirectoryA(windows, MAX_PATH);
        EXPECT_EQ(g_application, std::string(windows) + "\\notepad.exe") << "the system's notepad, by its full path";
        EXPECT_FALSE(g_calls[0].windowVisible) << "hidden before the editor starts";
        EXPECT_FALSE(visibleAfter);
    }
}

TEST(Notepad, BareDefaultOpensListTxtBesideTheSettingsFile) {
    for (const char* bare : {"list.txt", "LIST.txt", static_cast<const char*>(nullptr)}) {
        TempDir dir;
        ProgramIn program(dir);
        std::string ini = StartList(dir, "start.txt", "a\r\n");
        RunMainDialog(ini, [&](CListDlg& dlg) {
            WritePrivateProfileStringA("pelmar", "list", bare, ini.c_str()); // nullptr removes the key
            SetForegroundWindow(dlg.m_hWnd);
            SetFocus(dlg.GetDlgItem(IDC_LIST));
            TapKeyWith(VK_CONTROL, 'T');
            EXPECT_TRUE(PumpUntil([] { return !g_calls.empty(); }));
        });
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].what,
                  "Notepad.exe " + dir.File("List.txt") + " " + std::to_string(SW_SHOWNORMAL));
    }
}
} // namespace
