// The end-to-end tests' eyes and hands on the Windows side: finds windows, reads geometry and texts, selects
// entries and probes the tray icon. Prints one answer line; exit code 0 on success.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
int Fail(const char* why) {
    printf("error: %s\n", why);
    return 1;
}

// "pelmar" is the main dialog, "target" the test target, "popup" its pop-up, "notepad" Wine's notepad.
HWND FindNamed(const char* name) {
    if (!strcmp(name, "pelmar"))
        return FindWindowA("#32770", "Pelmar");
    if (!strcmp(name, "target"))
        return FindWindowA("PelmarE2ETarget", nullptr);
    if (!strcmp(name, "popup"))
        return FindWindowA("PelmarE2EPopup", nullptr);
    if (!strcmp(name, "notepad"))
        return FindWindowA("Notepad", nullptr);
    return nullptr;
}

HWND ChildOf(HWND parent, const char* which) {
    if (which[0] >= '0' && which[0] <= '9')
        return GetDlgItem(parent, atoi(which));
    return FindWindowExA(parent, nullptr, which, nullptr);
}

std::string Utf8(const std::wstring& wide) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

// Texts with other than ASCII come on the command line as the hex digits of their UTF-8 bytes: the
// command line's own conversions would lose them.
std::wstring FromHex(const char* hex) {
    std::string bytes;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        bytes += char(std::stoi(std::string(hex + i, 2), nullptr, 16));
    std::wstring wide(bytes.size() + 1, L'\0');
    wide.resize(
        size_t(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), int(bytes.size()), &wide[0], int(wide.size()))));
    return wide;
}

// Line ends escaped, so that an answer stays on one line.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text)
        escaped += c == '\r'   ? std::string("\\r")
                   : c == '\n' ? std::string("\\n")
                   : c == '\\' ? std::string("\\\\")
                               : std::string(1, c);
    return escaped;
}

// Cross-process text comes as UTF-16 (Wine answers the ANSI call with wide text across processes).
std::string Utf8Text(HWND hwnd) {
    LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring wide(size_t(n) + 1, L'\0');
    n = SendMessageW(hwnd, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(size_t(n));
    return Utf8(wide);
}

bool OpenClipboardSoon() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(5);
    }
    return false;
}

std::string ClipboardUnicodeText() {
    std::string text = "<no text>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8(wide);
            GlobalUnlock(data);
        }
    }
    return text;
}

int PutClipboardText(const char* hex) {
    std::wstring text = FromHex(hex);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    if (!OpenClipboardSoon())
        return Fail("clipboard busy");
    EmptyClipboard();
    bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    printf("%d\n", set ? 1 : 0);
    return set ? 0 : 1;
}

// One line per state: sequence number, the names of its formats, CanIncludeInClipboardHistory's value,
// the text.
std::string ClipboardState() {
    std::string formats, history = "-";
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        char name[128] = "";
        if (!GetClipboardFormatNameA(format, name, sizeof name))
            snprintf(name, sizeof name, "%u", format);
        formats += (formats.empty() ? "" : ",") + std::string(name);
        if (!strcmp(name, "CanIncludeInClipboardHistory")) {
            HANDLE data = GetClipboardData(format);
            const DWORD* value = data ? static_cast<const DWORD*>(GlobalLock(data)) : nullptr;
            history = value ? std::to_string(*value) : "?";
            if (value)
                GlobalUnlock(data);
        }
    }
    return formats + "\t" + history + "\t" + Escaped(ClipboardUnicodeText());
}

// Records every state the clipboard goes through until the stop file appears.
int WatchClipboard(const char* outPath, const char* stopPath) {
    FILE* out = fopen(outPath, "wb");
    if (!out)
        return Fail("cannot write");
    DWORD seen = 0, start = GetTickCount();
    while (GetFileAttributesA(stopPath) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 120000) {
        DWORD sequence = GetClipboardSequenceNumber();
        if (sequence != seen && OpenClipboardSoon()) {
            seen = GetClipboardSequenceNumber();
            fprintf(out, "%lu\t%s\n", seen, ClipboardState().c_str());
            fflush(out);
            CloseClipboard();
        }
        Sleep(1);
    }
    fclose(out);
    return 0;
}

// The shell answers a modify of an icon it does not hold with failure; nothing is changed either way.
bool TrayIconPresent(HWND owner) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

struct BoxSearch {
    DWORD process;
    HWND box;
};

// A message box is a dialog with the static 0xFFFF; the main dialog shares its class and caption.
BOOL CALLBACK FindBoxOf(HWND hwnd, LPARAM search) {
    auto* s = reinterpret_cast<BoxSearch*>(search);
    char cls[16] = "";
    DWORD process = 0;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowThreadProcessId(hwnd, &process);
    if (process != s->process || strcmp(cls, "#32770") || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 0xFFFF))
        return TRUE;
    s->box = hwnd;
    return FALSE;
}

// Prints the text of a message box of window's program and closes it with OK.
int AnswerBox(HWND window) {
    BoxSearch search = {0, nullptr};
    GetWindowThreadProcessId(window, &search.process);
    EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
    if (!search.box)
        return Fail("no message box");
    printf("%s\n", Escaped(Utf8Text(GetDlgItem(search.box, 0xFFFF))).c_str());
    PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    return 0;
}

// Presses the named modifiers (ctrl, shift, alt) and the key (a virtual-key number), then lets go, as the
// user's keyboard would: the keys reach the foreground window.
int PressKeys(int count, char** names) {
    std::vector<WORD> keys;
    for (int i = 0; i < count; ++i) {
        std::string name = names[i];
        keys.push_back(name == "ctrl"    ? VK_CONTROL
                       : name == "shift" ? VK_SHIFT
                       : name == "alt"   ? VK_MENU
                                         : WORD(atoi(names[i])));
    }
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i) {
        for (INPUT* in : {&inputs[i], &inputs[inputs.size() - 1 - i]}) {
            in->type = INPUT_KEYBOARD;
            in->ki.wVk = keys[i];
            in->ki.wScan = WORD(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC));
        }
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    UINT sent = SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    printf("%u\n", sent);
    return sent == inputs.size() ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("usage: e2e_helper command [window] [args]");
    std::string command = argv[1];
    if (command == "foreground") { // class of the foreground window and of the focus in it
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        char cls[64] = "", focus[64] = "";
        HWND fg = GetForegroundWindow();
        GetClassNameA(fg, cls, sizeof cls);
        if (GetGUIThreadInfo(GetWindowThreadProcessId(fg, nullptr), &info) && info.hwndFocus)
            GetClassNameA(info.hwndFocus, focus, sizeof focus);
        printf("%s %s\n", cls, focus);
        return 0;
    }
    if (command == "focus-id") { // the control id of the focus in the foreground window
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        HWND fg = GetForegroundWindow();
        bool known = GetGUIThreadInfo(GetWindowThreadProcessId(fg, nullptr), &info) && info.hwndFocus;
        printf("%d\n", known ? GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    if (command == "key")
        return PressKeys(argc - 2, argv + 2);
    if (command == "put-clip" && argc > 2)
        return PutClipboardText(argv[2]);
    if (command == "watch-clip" && argc > 3)
        return WatchClipboard(argv[2], argv[3]);
    if (command == "clip-text") {
        if (!OpenClipboardSoon())
            return Fail("clipboard busy");
        printf("%s\n", Escaped(ClipboardUnicodeText()).c_str());
        CloseClipboard();
        return 0;
    }
    if (argc < 3)
        return Fail("missing window");
    HWND window = FindNamed(argv[2]);
    if (!window)
        return Fail("no such window");

    if (command == "rect") { // window rectangle and visibility
        RECT r;
        GetWindowRect(window, &r);
        printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom, IsWindowVisible(window) ? 1 : 0);
    } else if (command == "client-origin") {
        POINT p = {0, 0};
        ClientToScreen(window, &p);
        RECT c;
        GetClientRect(window, &c);
        printf("%ld %ld %ld %ld\n", p.x, p.y, c.right, c.bottom);
    } else if (command == "child-rect" && argc > 3) { // a child's screen rectangle
        HWND child = ChildOf(window, argv[3]);
        if (!child)
            return Fail("no such child");
        RECT r;
        GetWindowRect(child, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (command == "child-left" && argc > 3) { // a child's left edge in client coordinates
        HWND child = ChildOf(window, argv[3]);
        if (!child)
            return Fail("no such child");
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        printf("%ld\n", r.left);
    } else if (command == "text" && argc > 3) {
        HWND child = ChildOf(window, argv[3]);
        if (!child)
            return Fail("no such child");
        printf("%s\n", Escaped(Utf8Text(child)).c_str());
    } else if (command == "select") { // selects entries of Pelmar's list (1001), nothing else
        HWND list = GetDlgItem(window, 1001);
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        for (int i = 3; i < argc; ++i)
            SendMessageA(list, LB_SETSEL, TRUE, atoi(argv[i]));
        printf("%ld\n", long(SendMessageA(list, LB_GETSELCOUNT, 0, 0)));
    } else if (command == "command" && argc > 3) { // a menu command
        PostMessageA(window, WM_COMMAND, WPARAM(atoi(argv[3])), 0);
        printf("ok\n");
    } else if (command == "answer-box") {
        return AnswerBox(window);
    } else if (command == "tray") {
        printf("%d\n", TrayIconPresent(window) ? 1 : 0);
    } else if (command == "close") {
        PostMessageA(window, WM_CLOSE, 0, 0);
        printf("ok\n");
    } else {
        return Fail("unknown command");
    }
    return 0;
}
