// Test helpers: temporary folders, files, the main dialog harness, and drivers for modal dialogs.
#include "WinTestSupport.h"

#include <deque>

#include <gtest/gtest.h>

#include "app/ListDlg.h"
#include "framework/WinApp.h"
#include "list/ItemList.h"
#include "settings/Settings.h"

namespace {
int g_tempCounter = 0;

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

struct DialogAction {
    std::string title;
    std::function<void(HWND)> action;
    DWORD deadline;
};
std::deque<DialogAction> g_actions;
UINT_PTR g_actionTimer = 0;

struct FindState {
    const std::string* title;
    HWND found;
};

CListDlg* g_harnessDialog = nullptr;

// Actions are for the dialogs that commands open, never the main dialog itself (also titled "Pelmar").
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<FindState*>(lParam);
    if (g_harnessDialog && hwnd == g_harnessDialog->m_hWnd)
        return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd))
        return TRUE;
    if (!state->title->empty() && WindowText(hwnd) != *state->title)
        return TRUE;
    state->found = hwnd;
    return FALSE;
}

VOID CALLBACK DialogActionTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_actions.empty()) {
        KillTimer(nullptr, g_actionTimer);
        g_actionTimer = 0;
        return;
    }
    FindState state = {&g_actions.front().title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&state));
    if (!state.found) {
        if (GetTickCount() > g_actions.front().deadline)
            g_actions.clear(); // the dialog never came; the test's own checks will say so
        return;
    }
    DialogAction next = std::move(g_actions.front());
    g_actions.pop_front();
    next.action(state.found);
}

std::function<void(CListDlg&)> g_body;

// Waits until the dialog's set-up has returned: while a box that set-up shows is open, the dialog is
// disabled.
BOOL CALLBACK FindOtherDialog(HWND hwnd, LPARAM lParam) {
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd) || hwnd == g_harnessDialog->m_hWnd)
        return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

// A box or prompt that set-up shows may have no owner, and then the dialog stays enabled while it is up.
bool SetUpDialogOpen() {
    bool open = false;
    EnumThreadWindows(GetCurrentThreadId(), FindOtherDialog, reinterpret_cast<LPARAM>(&open));
    return open;
}

VOID CALLBACK StartBody(HWND, UINT, UINT_PTR id, DWORD) {
    CListDlg* dlg = g_harnessDialog;
    if (!dlg->m_hWnd || !IsWindowEnabled(dlg->m_hWnd) || SetUpDialogOpen())
        return;
    KillTimer(nullptr, id);
    if (g_body)
        g_body(*dlg);
    g_body = nullptr;
    if (dlg->m_hWnd)
        dlg->EndDialog(IDCANCEL);
}
} // namespace

TempDir::TempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    std::string root = base;
    if (!root.empty() && root.back() == '\\')
        root.pop_back();
    for (;;) {
        m_path = root + "\\pelmar-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++g_tempCounter);
        if (CreateDirectoryA(m_path.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir() {
    RemoveTree(m_path);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (h != INVALID_HANDLE_VALUE) {
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty())
        ReadFile(h, &bytes[0], DWORD(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadIni(const std::string& iniPath, const char* key) {
    char value[1024] = {};
    GetPrivateProfileStringA("pelmar", key, "<absent>", value, sizeof value, iniPath.c_str());
    return value;
}

std::string WriteSettingsWithList(const TempDir& dir, const std::string& listText, const std::string& lines) {
    std::string list = dir.File("list.txt");
    WriteFileBytes(list, listText);
    std::string ini = dir.File("Pelmar.ini");
    WriteFileBytes(ini, "[pelmar]\r\nlist=" + list + "\r\n" + lines);
    return ini;
}

void RunMainDialog(const std::string& iniPath, const std::function<void(CListDlg&)>& body) {
    SetSettingsPath(iniPath);
    CListDlg dlg;
    g_harnessDialog = &dlg;
    g_body = body;
    SetTimer(nullptr, 0, 10, StartBody);
    INT_PTR result = dlg.DoModal();
    g_harnessDialog = nullptr;
    if (result == -1)
        ADD_FAILURE() << "the main dialog could not be created";
    CancelDialogActions();
    // Leave no tray icon or timer message behind for the next test.
    NotifyTrayIcon(dlg, NIM_DELETE);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_TIMER)
            DispatchMessageA(&msg);
    }
}

CListDlg* HarnessDialog() {
    return g_harnessDialog;
}

void SetListKind(CListDlg& dlg, ListKind kind) {
    ListFileState state = dlg.Files().State();
    state.kind = kind;
    dlg.Files().SetState(state);
}

void SetPassword(CListDlg& dlg, const std::string& password) {
    ListFileState state = dlg.Files().State();
    state.password = password;
    dlg.Files().SetState(state);
}

void SetListFile(CListDlg& dlg, const std::string& path) {
    ListFileState state = dlg.Files().State();
    state.file = path;
    dlg.Files().SetState(state);
}

BOOL NotifyTrayIcon(CListDlg& dlg, DWORD message) {
    NOTIFYICONDATAA icon = dlg.Tray().Icon();
    return Shell_NotifyIconA(message, &icon);
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount() - start > DWORD(timeoutMs))
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                return cond();
            }
            if (g_harnessDialog && g_harnessDialog->m_hWnd && g_harnessDialog->PreTranslateMessage(&msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void PumpFor(int ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= DWORD(ms); }, ms + 1000);
}

void WhenDialogAppears(const std::string& title, const std::function<void(HWND)>& action, int timeoutMs) {
    g_actions.push_back({title, action, GetTickCount() + DWORD(timeoutMs)});
    if (!g_actionTimer)
        g_actionTimer = SetTimer(nullptr, 0, 20, DialogActionTick);
}

bool AllDialogActionsRan() {
    return g_actions.empty();
}

void CancelDialogActions() {
    g_actions.clear();
    if (g_actionTimer)
        KillTimer(nullptr, g_actionTimer);
    g_actionTimer = 0;
}

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthA(hwnd);
    std::string text(size_t(n) + 1, '\0');
    text.resize(size_t(GetWindowTextA(hwnd, &text[0], n + 1)));
    return text;
}

std::string MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));
}

std::vector<std::string> ListBoxItems(HWND box) {
    std::vector<std::string> items;
    int count = int(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        items.push_back(ListBoxText(box, i)); // the wide read: long entries overrun Wine's ANSI one
    return items;
}

std::vector<std::string> Logins(CListDlg& dlg) {
    std::vector<std::string> logins;
    if (dlg.Files().Model().Kind() != kLoginList)
        return logins; // only a login list has them
    for (const ListEntry& e : dlg.Files().Model().Entries())
        logins.push_back(e.login);
    return logins;
}

std::vector<std::string> Passwords(CListDlg& dlg) {
    std::vector<std::string> passwords;
    if (dlg.Files().Model().Kind() != kLoginList)
        return passwords; // only a login list has them
    for (const ListEntry& e : dlg.Files().Model().Entries())
        passwords.push_back(e.password);
    return passwords;
}

void InsertEntry(CListDlg& dlg, size_t index, const std::string& text, const std::string& login,
                 const std::string& password) {
    dlg.Files().Model().Insert(index, {text, login, password});
    dlg.ShowEntries();
}

std::vector<int> ListBoxSelection(HWND box) {
    int n = int(SendMessageA(box, LB_GETSELCOUNT, 0, 0));
    std::vector<int> selected(n > 0 ? size_t(n) : 0);
    if (n > 0)
        SendMessageA(box, LB_GETSELITEMS, WPARAM(n), reinterpret_cast<LPARAM>(selected.data()));
    return selected;
}

void SelectItems(HWND box, const std::vector<int>& indices) {
    SendMessageA(box, LB_SETSEL, FALSE, -1);
    for (int i : indices)
        SendMessageA(box, LB_SETSEL, TRUE, i);
}

void TapKey(BYTE vk) {
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

void TapKeyWith(BYTE modifier, BYTE vk) {
    keybd_event(modifier, 0, 0, 0);
    TapKey(vk);
    keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
}

std::string TestProgramFolder() {
    std::string path = AfxGetApp()->m_modulePath;
    return path.substr(0, path.find_last_of('\\') + 1);
}
