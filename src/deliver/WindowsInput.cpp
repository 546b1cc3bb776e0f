// The real input calls of the delivery engine.
#include "deliver/WindowsInput.h"

#include <vector>

#include "framework/WideText.h"

TargetLayout::TargetLayout(HWND window)
    : m_layout(GetKeyboardLayout(window ? GetWindowThreadProcessId(window, nullptr) : 0)) {}

int16_t TargetLayout::KeyScan(char16_t unit) const {
    return VkKeyScanExW(WCHAR(unit), m_layout);
}

uint16_t TargetLayout::ScanCode(uint8_t vk) const {
    return uint16_t(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, m_layout) & 0xFF);
}

bool TargetLayout::IsDeadKey(uint8_t vk, uint8_t shiftState) const {
    BYTE state[256] = {};
    state[VK_SHIFT] = (shiftState & 1) ? 0x80 : 0;
    state[VK_CONTROL] = (shiftState & 2) ? 0x80 : 0;
    state[VK_MENU] = (shiftState & 4) ? 0x80 : 0;
    WCHAR out[8];
    UINT scan = MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, m_layout);
    // Flag 4 leaves the keyboard state as it is (Windows 10 1607 on). Where it is not known, a dead key
    // stays pending in our thread's state; the same key again takes it out.
    int got = ToUnicodeEx(vk, scan, state, out, 8, 4, m_layout);
    if (got < 0)
        ToUnicodeEx(vk, scan, state, out, 8, 4, m_layout);
    return got < 0;
}

namespace {
bool SendKey(WORD vk, WORD scan, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// A character the layout has no key for (or only a dead key) goes in as the character itself.
bool TypeUnicode(WCHAR unit) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wScan = unit;
        input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool PostChar(long x, long y, WCHAR unit) {
    // Looked up for every character: the window under the point may change while we post.
    HWND target = WindowFromPoint(POINT{x, y});
    if (!target || PostMessageW(target, WM_CHAR, WPARAM(unit), 0))
        return true;
    // The system keeps a program with higher rights out of reach this way.
    return GetLastError() != ERROR_ACCESS_DENIED;
}

DWORD KeyFlags(const InputEvent& e) {
    return (e.kind == InputEvent::kKeyUp ? KEYEVENTF_KEYUP : 0) | (e.extended ? KEYEVENTF_EXTENDEDKEY : 0);
}

uint64_t Milliseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return uint64_t(now.QuadPart) * 1000 / uint64_t(frequency.QuadPart);
}
} // namespace

bool WindowsInput::Play(const InputEvent& e, long dropX, long dropY) {
    switch (e.kind) {
    case InputEvent::kKeyDown:
    case InputEvent::kKeyUp: return SendKey(e.code, e.scan, KeyFlags(e));
    case InputEvent::kUnicode: return TypeUnicode(WCHAR(e.code));
    case InputEvent::kPostChar: return PostChar(dropX, dropY, WCHAR(e.code));
    case InputEvent::kPause: Wait(e.code); return true;
    case InputEvent::kNextField: return true; // the steps move the drop point themselves
    }
    return true;
}

bool WindowsInput::Click(unsigned dx, unsigned dy) {
    // No MOUSEEVENTF_MOVE: the click lands where the pointer is, which is the drop point unless the user
    // moved.
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_MOUSE;
        input[i].mi.dx = LONG(dx);
        input[i].mi.dy = LONG(dy);
        input[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | (i ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    }
    return SendInput(2, input, sizeof(INPUT)) == 2;
}

bool WindowsInput::PutOnClipboard(const std::string& text, bool keepOriginal) {
    return m_clipboard.Put(m_owner, text, keepOriginal);
}

void WindowsInput::RestoreClipboard() {
    m_clipboard.Restore(m_owner);
}

uint32_t WindowsInput::TargetProcess() {
    DWORD process = 0;
    if (HWND target = GetForegroundWindow())
        GetWindowThreadProcessId(target, &process);
    return process;
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

uint64_t WindowsInput::Now() {
    return Milliseconds();
}

// Holds the message loop on purpose: the next key must not overtake the target's handling of this one.
void WindowsInput::Wait(unsigned ms) {
    uint64_t end = Milliseconds() + ms;
    while (Milliseconds() < end) {
    }
}

namespace {
// The clipboard's text; empty when it holds none or cannot be opened.
std::string ClipboardText(HWND owner) {
    std::string text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        size_t units = GlobalSize(data) / sizeof(wchar_t);
        if (const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Narrow(wide, wcsnlen(wide, units));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// The user's short date, or the time without seconds, as the system's regional settings write them.
std::string LocalDateOrTime(bool date) {
    wchar_t buffer[128] = {};
    int n = date ? GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128,
                                   nullptr)
                 : GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, buffer, 128);
    return n > 1 ? Narrow(buffer, size_t(n - 1)) : std::string();
}
} // namespace

std::string WindowsInput::InsertedText(SequenceItem::Kind kind) {
    if (kind == SequenceItem::kClipboard)
        return ClipboardText(m_owner);
    return LocalDateOrTime(kind == SequenceItem::kDate);
}

namespace {
// The integrity level of a process: the last part of its token's mandatory label.
bool ReadIntegrityLevel(HANDLE process, DWORD& level) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> label(size ? size : 1);
    bool read = size && GetTokenInformation(token, TokenIntegrityLevel, label.data(), size, &size);
    if (read) {
        PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
        level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
    }
    CloseHandle(token);
    return read;
}

bool RunsWithHigherRights(HWND window) {
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId) || processId == GetCurrentProcessId())
        return false;
    DWORD ours = 0, theirs = 0;
    if (!ReadIntegrityLevel(GetCurrentProcess(), ours))
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    bool read = process && ReadIntegrityLevel(process, theirs);
    if (process)
        CloseHandle(process);
    // A process we may not even ask is one with rights above ours, as seen from a Pelmar that is not
    // elevated itself.
    if (!read)
        return ours < SECURITY_MANDATORY_HIGH_RID;
    return theirs > ours;
}

RightsProbe g_rightsProbe = RunsWithHigherRights;
} // namespace

void SetRightsProbe(RightsProbe probe) {
    g_rightsProbe = probe ? probe : RunsWithHigherRights;
}

// The system drops input meant for a program with higher rights without a word (SendInput cannot tell),
// so the target is checked before anything is sent: the window that has the keys, and the one under the
// drop point that receives posted characters.
bool WindowsInput::TargetOutOfReach(long dropX, long dropY) {
    return g_rightsProbe(GetForegroundWindow()) || g_rightsProbe(WindowFromPoint(POINT{dropX, dropY}));
}

bool ModifiersHeld() {
    return ((GetAsyncKeyState(VK_SHIFT) | GetAsyncKeyState(VK_CONTROL) | GetAsyncKeyState(VK_MENU)) &
            0x8000) != 0;
}
