// The real input calls of the delivery engine.
#include "deliver/WindowsInput.h"

#include "deliver/Clipboard.h"

namespace {
// Holds the message loop on purpose: the next key must not overtake the target's handling of this one.
void BusyWait(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
    }
}

// A character the keyboard layout has no key for goes in as the character itself, as password tools do.
void TypeUnicode(unsigned char c) {
    char ansi = static_cast<char>(c);
    WCHAR wide = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) != 1)
        return;
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wScan = wide;
        input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, input, sizeof(INPUT));
}

void PostChar(long x, long y, unsigned char c) {
    // Looked up for every character: the window under the point may change while we post.
    HWND target = WindowFromPoint(POINT{x, y});
    if (target)
        PostMessageA(target, WM_CHAR, WPARAM(c), 0);
}

} // namespace

void WindowsInput::Play(const InputEvent& e, long dropX, long dropY) {
    switch (e.kind) {
    case InputEvent::kKeyDown: keybd_event(e.code, 0, 0, 0); break;
    case InputEvent::kKeyUp: keybd_event(e.code, 0, KEYEVENTF_KEYUP, 0); break;
    case InputEvent::kUnicode: TypeUnicode(e.code); break;
    case InputEvent::kPostChar: PostChar(dropX, dropY, e.code); break;
    case InputEvent::kPause: BusyWait(e.code); break;
    }
}

void WindowsInput::Click(unsigned dx, unsigned dy) {
    // No MOUSEEVENTF_MOVE: the click lands where the pointer is, which is the drop point unless the user
    // moved.
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, dx, dy, 0, 0);
    mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, dx, dy, 0, 0);
}

bool WindowsInput::PutOnClipboard(const std::string& text) {
    return PutTextOnClipboard(m_owner, text, text.size() + 1) == ClipboardResult::Ok;
}

int16_t WindowsInput::KeyScan(unsigned char c) {
    return VkKeyScanA(static_cast<char>(c));
}

bool WindowsInput::CapsLockOn() {
    // Letters are cased by the key state of the target's thread; ours, in the background, may be stale, so
    // read it while attached to the target's input.
    DWORD self = GetCurrentThreadId();
    DWORD target = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    bool attached = target && target != self && AttachThreadInput(self, target, TRUE);
    bool on = (GetKeyState(VK_CAPITAL) & 1) != 0;
    if (attached)
        AttachThreadInput(self, target, FALSE);
    return on;
}

void WindowsInput::ScreenSize(unsigned& width, unsigned& height) {
    width = unsigned(GetSystemMetrics(SM_CXSCREEN));
    height = unsigned(GetSystemMetrics(SM_CYSCREEN));
}

bool WindowsInput::NextWindowPoint(long& x, long& y) {
    HWND current = WindowFromPoint(POINT{x, y});
    HWND next = current ? GetWindow(current, GW_HWNDNEXT) : nullptr;
    if (!next)
        return false;
    POINT p = {1, 1};
    ClientToScreen(next, &p);
    x = p.x;
    y = p.y;
    return true;
}
