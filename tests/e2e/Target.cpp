// A target program for the end-to-end tests: two edit fields and a list box, all Unicode. Whenever one of
// them changes, and when the window closes, it writes their contents (UTF-8) and every key press it has
// seen to the file named on its command line. With --popup before the file it plays a chat pop-up: it comes
// up on top of the other windows without taking the focus, and its first field takes the keys once it is
// activated. With "--busy-paste MS" before the file name it stands still for MS milliseconds on every
// Ctrl+V, as a busy program or a remote desktop would, and so reads the clipboard that much later; keys
// typed meanwhile wait their turn.
#include <windows.h>

#include <string>

namespace {
enum { kEdit1 = 101, kEdit2 = 102, kList = 103 };
std::string g_outPath;
std::string g_keys; // "vk,scan,extended,layout scan,time" for each key-down, blank-separated
HWND g_window = nullptr;
HWND g_lastFocus = nullptr;
DWORD g_busyPaste = 0;

std::string Utf8(const std::wstring& wide) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string ControlText(int id) {
    HWND control = GetDlgItem(g_window, id);
    int n = GetWindowTextLengthW(control);
    std::wstring text(size_t(n) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, &text[0], n + 1)));
    return Utf8(text);
}

// One field per line; CR, LF and backslash escaped so that a field stays on its line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

// Written beside and moved over, so that the test never reads half a file.
void Record() {
    if (!g_window || g_outPath.empty())
        return;
    LRESULT sel = SendDlgItemMessageW(g_window, kList, LB_GETCURSEL, 0, 0);
    std::string text = "edit1=" + Escaped(ControlText(kEdit1)) + "\nedit2=" + Escaped(ControlText(kEdit2)) +
                       "\nlist=" + std::to_string(long(sel)) + "\nkeys=" + g_keys + "\n";
    std::string temp = g_outPath + ".tmp";
    HANDLE h =
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(h);
    MoveFileExA(temp.c_str(), g_outPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// The key as it came, with the scan code this program's layout gives its virtual key, and the time the
// system stamped on it.
void NoteKeyDown(const MSG& msg) {
    unsigned vk = unsigned(msg.wParam), scan = unsigned(msg.lParam >> 16) & 0xFF;
    unsigned extended = unsigned(msg.lParam >> 24) & 1;
    unsigned layoutScan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF;
    g_keys += (g_keys.empty() ? "" : " ") + std::to_string(vk) + "," + std::to_string(scan) + "," +
              std::to_string(extended) + "," + std::to_string(layoutScan) + "," + std::to_string(msg.time);
}

void CreateControls(HWND hwnd) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    DWORD common = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    CreateWindowW(L"EDIT", L"", common | ES_AUTOHSCROLL, 20, 20, 360, 24, hwnd, HMENU(INT_PTR(kEdit1)),
                  instance, nullptr);
    CreateWindowW(L"EDIT", L"", common | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 20, 60,
                  360, 100, hwnd, HMENU(INT_PTR(kEdit2)), instance, nullptr);
    HWND list = CreateWindowW(L"LISTBOX", L"", common | LBS_NOTIFY | WS_VSCROLL, 20, 180, 200, 120, hwnd,
                              HMENU(INT_PTR(kList)), instance, nullptr);
    for (int i = 0; i < 10; ++i)
        SendMessageW(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>((L"item " + std::to_wstring(i)).c_str()));
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: CreateControls(hwnd); return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == LBN_SELCHANGE)
            Record();
        return 0;
    // As programs do: the field that had the focus gets it back when the window is activated again.
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            g_lastFocus = GetFocus();
        else if (g_lastFocus)
            SetFocus(g_lastFocus);
        return 0;
    case WM_CLOSE:
        Record();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_outPath = commandLine;
    const std::string busy = "--busy-paste ";
    if (g_outPath.compare(0, busy.size(), busy) == 0) {
        size_t end = g_outPath.find(' ', busy.size());
        g_busyPaste = DWORD(std::stoul(g_outPath.substr(busy.size(), end - busy.size())));
        g_outPath.erase(0, end + 1);
    }
    const std::string popupFlag = "--popup ";
    const bool popup = g_outPath.compare(0, popupFlag.size(), popupFlag) == 0;
    if (popup)
        g_outPath.erase(0, popupFlag.size());
    while (!g_outPath.empty() && (g_outPath.back() == ' ' || g_outPath.back() == '"'))
        g_outPath.pop_back();
    if (!g_outPath.empty() && g_outPath.front() == '"')
        g_outPath.erase(0, 1);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    wc.lpszClassName = popup ? L"PelmarE2EPopup" : L"PelmarE2ETarget";
    RegisterClassW(&wc);
    if (popup) {
        g_window = CreateWindowW(wc.lpszClassName, L"E2E Popup", WS_OVERLAPPEDWINDOW, 300, 150, 420, 360,
                                 nullptr, nullptr, instance, nullptr);
        g_lastFocus = GetDlgItem(g_window, kEdit1);
        ShowWindow(g_window, SW_SHOWNOACTIVATE);
        SetWindowPos(g_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        g_window = CreateWindowW(wc.lpszClassName, L"E2E Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 450, 250,
                                 420, 360, nullptr, nullptr, instance, nullptr);
    }
    Record();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
            NoteKeyDown(msg);
        if (g_busyPaste && msg.message == WM_KEYDOWN && msg.wParam == 'V' && GetKeyState(VK_CONTROL) < 0)
            Sleep(g_busyPaste);
        // The dialog manager's keys make Tab move between the fields, as in a form.
        if (IsDialogMessageW(g_window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
