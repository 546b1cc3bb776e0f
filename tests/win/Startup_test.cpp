// The real Pelmar.exe as a process: single instance, the settings file named after the program, and
// the ways the program ends.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "WindowGeometry.h"
#include "resource.h"

namespace {

struct WindowsOf {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowsOf(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowsOf*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid)
        state->windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    WindowsOf state = {pid, {}};
    EnumWindows(CollectWindowsOf, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

std::string ClassOf(HWND hwnd) {
    char name[128] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// A copy of the built program in a folder of the test's own, run as a separate process.
class Program {
public:
    Program(const TempDir& dir, const std::string& exeName) : m_exe(dir.File(exeName)) {
        CopyFileA((TestProgramFolder() + "Pelmar.exe").c_str(), m_exe.c_str(), FALSE);
        // The default list is the starter list beside the program; without it a box would hold the start.
        if (!FileExists(dir.File("List.txt")))
            WriteFileBytes(dir.File("List.txt"), "first\r\nsecond\r\n");
    }
    ~Program() { End(); }

    bool Start() {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string commandLine = "\"" + m_exe + "\"";
        if (!CreateProcessA(m_exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &m_process))
            return false;
        WaitForInputIdle(m_process.hProcess, 10000);
        return true;
    }

    // The main dialog, once it is shown.
    HWND WaitForDialog(int timeoutMs = 10000) {
        HWND found = nullptr;
        PumpUntil(
            [&] {
                found = Dialog();
                return found && IsWindowVisible(found);
            },
            timeoutMs);
        return found;
    }

    HWND Dialog() const {
        for (HWND w : TopLevelWindowsOf(Pid()))
            if (ClassOf(w) == "#32770" && WindowText(w) == "Pelmar" && GetDlgItem(w, IDC_LIST))
                return w;
        return nullptr;
    }
    // A message box of the program's (it shares the dialog's class and caption), when one is shown.
    HWND ShownBox() const {
        for (HWND w : TopLevelWindowsOf(Pid()))
            if (ClassOf(w) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF))
                return w;
        return nullptr;
    }

    std::vector<HWND> VisibleWindows() const {
        std::vector<HWND> visible;
        for (HWND w : TopLevelWindowsOf(Pid()))
            if (IsWindowVisible(w))
                visible.push_back(w);
        return visible;
    }

    bool Running() const { return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }

    // Waits for the process to end by itself; its exit code, or -1 if it did not end.
    long WaitForExit(int timeoutMs = 10000) {
        bool ended = PumpUntil([&] { return !Running(); }, timeoutMs);
        DWORD code = 0;
        if (!ended || !GetExitCodeProcess(m_process.hProcess, &code))
            return -1;
        return long(code);
    }

    DWORD Pid() const { return m_process.dwProcessId; }
    HANDLE Process() const { return m_process.hProcess; }

    void End() {
        if (!m_process.hProcess)
            return;
        if (Running()) {
            if (HWND dlg = Dialog())
                PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            if (WaitForSingleObject(m_process.hProcess, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(m_process.hProcess, 99);
                WaitForSingleObject(m_process.hProcess, 5000);
            }
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = PROCESS_INFORMATION();
    }

private:
    std::string m_exe;
    PROCESS_INFORMATION m_process = {};
};

// The lower-case names of the DLLs a process has loaded.
std::vector<std::wstring> LoadedDlls(HANDLE process) {
    std::vector<HMODULE> modules(512);
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules.data(), DWORD(modules.size() * sizeof(HMODULE)), &bytes))
        return {};
    modules.resize(std::min<size_t>(modules.size(), bytes / sizeof(HMODULE)));
    std::vector<std::wstring> names;
    for (HMODULE module : modules) {
        wchar_t name[MAX_PATH] = {};
        GetModuleBaseNameW(process, module, name, MAX_PATH);
        std::wstring lower(name);
        for (wchar_t& c : lower)
            c = wchar_t(std::towlower(c));
        names.push_back(lower);
    }
    return names;
}

int ListCount(HWND dlg) { return int(SendMessageA(GetDlgItem(dlg, IDC_LIST), LB_GETCOUNT, 0, 0)); }

// Starts a second copy and checks that it shows nothing and ends with code 0.
void ExpectSecondStartHandsOver(const TempDir& dir) {
    Program second(dir, "Pelmar.exe");
    ASSERT_TRUE(second.Start());
    bool showedWindow = false;
    bool ended = PumpUntil(
        [&] {
            showedWindow = showedWindow || !second.VisibleWindows().empty();
            return !second.Running();
        },
        10000);
    ASSERT_TRUE(ended) << "the second start kept running";
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_FALSE(showedWindow);
    // It ended before working out its settings file.
    EXPECT_FALSE(FileExists(dir.File("Pelmar.ini")));
}

TEST(Startup, SecondStartBringsTheFirstUpWhereItWas) {
    TempDir firstDir, secondDir;
    Program first(firstDir, "Pelmar.exe");
    ASSERT_TRUE(first.Start());
    HWND dlg = first.WaitForDialog();
    ASSERT_TRUE(dlg);
    RECT before = WindowRect(dlg);
    ASSERT_EQ(ListCount(dlg), 2);

    // Shown already: it stays where it is, nothing else opens.
    ExpectSecondStartHandsOver(secondDir);
    PumpFor(500);
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_TRUE(SameRect(WindowRect(dlg), before));
    EXPECT_EQ(ListCount(dlg), 2);
    EXPECT_EQ(first.VisibleWindows(), std::vector<HWND>{dlg});

    // Hidden in the tray, it comes back at its place, in front.
    PostMessageA(dlg, WM_COMMAND, ID_TRAY, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg); }));
    ExpectSecondStartHandsOver(secondDir);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(dlg) && GetForegroundWindow() == dlg; }));
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(SameRect(WindowRect(dlg), before));
    EXPECT_EQ(first.VisibleWindows(), std::vector<HWND>{dlg});
}

TEST(Startup, ProgramUnderAnotherNameIsItsOwnInstanceWithItsOwnSettings) {
    TempDir firstDir, otherDir;
    Program first(firstDir, "Pelmar.exe");
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitForDialog());

    Program other(otherDir, "Other.exe");
    ASSERT_TRUE(other.Start());
    HWND otherDlg = other.WaitForDialog();
    ASSERT_TRUE(otherDlg) << "Other.exe did not show its own window";
    EXPECT_TRUE(first.Running());
    // The first holds the hot key: the other says so, once.
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = other.ShownBox()) != nullptr; }));
    EXPECT_EQ(MessageBoxText(box).find("Ctrl+Shift+Space is used by another program"), 0u) << MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);

    // Written at start-up by the first load, into the settings file named after the program.
    std::string ini = otherDir.File("Other.ini");
    EXPECT_EQ(ReadIni(ini, "lastdir"), otherDir.Path());
    EXPECT_EQ(ReadIni(ini, "list"), otherDir.File("List.txt"));
    EXPECT_FALSE(FileExists(otherDir.File("Pelmar.ini")));
    EXPECT_EQ(ReadIni(firstDir.File("Pelmar.ini"), "lastdir"), firstDir.Path());

    EXPECT_EQ(ReadIni(ini, "hotkeytold"), "1568");

    PostMessageA(otherDlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(other.WaitForExit(), 0);
    EXPECT_TRUE(first.Running());

    Program again(otherDir, "Other.exe");
    ASSERT_TRUE(again.Start());
    HWND againDlg = again.WaitForDialog();
    ASSERT_TRUE(againDlg);
    PumpFor(1000);
    EXPECT_FALSE(again.ShownBox()) << "told again";
    PostMessageA(againDlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(again.WaitForExit(), 0);
}

TEST(Startup, EveryWayOfEndingTheDialogEndsTheProcessWithCodeZero) {
    const struct {
        const char* name;
        void (*end)(HWND dlg);
    } cases[] = {
        {"Enter key",
         [](HWND dlg) {
             SetForegroundWindow(dlg);
             TapKey(VK_RETURN);
         }},
        {"Alt+X",
         [](HWND dlg) {
             SetForegroundWindow(dlg);
             TapKeyWith(VK_MENU, 'X');
         }},
        {"File > Exit", [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); }},
        {"close box", [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Program program(dir, "Pelmar.exe");
        ASSERT_TRUE(program.Start());
        HWND dlg = program.WaitForDialog();
        ASSERT_TRUE(dlg) << c.name;
        c.end(dlg);
        EXPECT_EQ(program.WaitForExit(), 0) << c.name;

        // Nothing of it is left, and the next start is a first instance again.
        Program next(dir, "Pelmar.exe");
        ASSERT_TRUE(next.Start());
        EXPECT_TRUE(next.WaitForDialog()) << c.name << ": the next start showed no window";
    }
}

TEST(Startup, EscHidesToTheTrayAndTheProgramKeepsRunning) {
    TempDir dir;
    Program program(dir, "Pelmar.exe");
    ASSERT_TRUE(program.Start());
    HWND dlg = program.WaitForDialog();
    ASSERT_TRUE(dlg);
    SetForegroundWindow(dlg);
    TapKey(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg); }));
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = dlg;
    probe.uID = 1;
    // The window hides first and the icon follows from the other process: wait for it.
    EXPECT_TRUE(PumpUntil([&] { return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE; })) << "no tray icon";
    PumpFor(300);
    EXPECT_TRUE(program.Running());

    // A click on the icon brings it back; then it can be ended as usual.
    SendMessageA(dlg, WM_USER + 100, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
}

// The file dialogs, the shell and the cryptography are loaded when a command first needs them, not at start.
TEST(Startup, ShownWindowHasNotLoadedWhatOnlyCommandsNeed) {
    TempDir dir;
    Program program(dir, "Pelmar.exe");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitForDialog());
    std::vector<std::wstring> dlls = LoadedDlls(program.Process());
    ASSERT_NE(std::find(dlls.begin(), dlls.end(), L"user32.dll"), dlls.end()) << "modules not readable";
    for (const wchar_t* late : {L"comdlg32.dll", L"shell32.dll", L"bcrypt.dll"})
        EXPECT_EQ(std::find(dlls.begin(), dlls.end(), late), dlls.end()) << late;
}

} // namespace
