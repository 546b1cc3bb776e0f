// A target program for the end-to-end tests: two edit fields and a list box. Whenever one of them changes,
// and when the window closes, it writes their contents to the file named on its command line.
#include <windows.h>

#include <string>

namespace {
enum { kEdit1 = 101, kEdit2 = 102, kList = 103 };
std::string g_outPath;
HWND g_window = nullptr;

std::string ControlText(int id) {
    HWND control = GetDlgItem(g_window, id);
    int n = GetWindowTextLengthA(control);
    std::string text(size_t(n) + 1, '\0');
    text.resize(size_t(GetWindowTextA(control, &text[0], n + 1)));
    return text;
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
    LRESULT sel = SendDlgItemMessageA(g_window, kList, LB_GETCURSEL, 0, 0);
    std::string text = "edit1=" + Escaped(ControlText(kEdit1)) + "\nedit2=" + Escaped(ControlText(kEdit2)) +
                       "\nlist=" + std::to_string(long(sel)) + "\n";
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

void CreateControls(HWND hwnd) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    DWORD common = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    CreateWindowA("EDIT", "", common | ES_AUTOHSCROLL, 20, 20, 360, 24, hwnd, HMENU(INT_PTR(kEdit1)),
                  instance, nullptr);
    CreateWindowA("EDIT", "", common | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 20, 60,
                  360, 100, hwnd, HMENU(INT_PTR(kEdit2)), instance, nullptr);
    HWND list = CreateWindowA("LISTBOX", "", common | LBS_NOTIFY | WS_VSCROLL, 20, 180, 200, 120, hwnd,
                              HMENU(INT_PTR(kList)), instance, nullptr);
    for (int i = 0; i < 10; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("item " + std::to_string(i)).c_str()));
}

LRESULT CALLBACK TargetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: CreateControls(hwnd); return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == LBN_SELCHANGE)
            Record();
        return 0;
    case WM_CLOSE:
        Record();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_outPath = commandLine;
    while (!g_outPath.empty() && (g_outPath.back() == ' ' || g_outPath.back() == '"'))
        g_outPath.pop_back();
    if (!g_outPath.empty() && g_outPath.front() == '"')
        g_outPath.erase(0, 1);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    wc.lpszClassName = "PelmarE2ETarget";
    RegisterClassA(&wc);
    g_window = CreateWindowA("PelmarE2ETarget", "E2E Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 450, 250, 420,
                             360, nullptr, nullptr, instance, nullptr);
    Record();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // The dialog manager's keys make Tab move between the fields, as in a form.
        if (IsDialogMessageA(g_window, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
