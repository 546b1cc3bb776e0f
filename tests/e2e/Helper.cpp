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
// "pelmar" is the main dialog, "target" the test target, "notepad" Wine's notepad.
HWND FindNamed(const char* name) {
    if (!strcmp(name, "pelmar"))
        return FindWindowA("#32770", "Pelmar");
    if (!strcmp(name, "target"))
        return FindWindowA("PelmarE2ETarget", nullptr);
    if (!strcmp(name, "notepad"))
        return FindWindowA("Notepad", nullptr);
    return nullptr;
}

HWND ChildOf(HWND parent, const char* which) {
    if (which[0] >= '0' && which[0] <= '9')
        return GetDlgItem(parent, atoi(which));
    return FindWindowExA(parent, nullptr, which, nullptr);
}

// Cross-process text comes as UTF-16 (Wine answers the ANSI call with wide text across processes).
std::string Utf8Text(HWND hwnd) {
    LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring wide(size_t(n) + 1, L'\0');
    n = SendMessageW(hwnd, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(size_t(n));
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

// The shell answers a modify of an icon it does not hold with failure; nothing is changed either way.
bool TrayIconPresent(HWND owner) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

int Fail(const char* why) {
    printf("error: %s\n", why);
    return 1;
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
    if (command == "key")
        return PressKeys(argc - 2, argv + 2);
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
        // Line ends escaped, so that the answer stays on one line.
        std::string escaped;
        for (char c : Utf8Text(child))
            escaped += c == '\r'   ? std::string("\\r")
                       : c == '\n' ? std::string("\\n")
                       : c == '\\' ? std::string("\\\\")
                                   : std::string(1, c);
        printf("%s\n", escaped.c_str());
    } else if (command == "select") { // selects entries of Pelmar's list (1001), nothing else
        HWND list = GetDlgItem(window, 1001);
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        for (int i = 3; i < argc; ++i)
            SendMessageA(list, LB_SETSEL, TRUE, atoi(argv[i]));
        printf("%ld\n", long(SendMessageA(list, LB_GETSELCOUNT, 0, 0)));
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
