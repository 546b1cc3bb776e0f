// Following the foreground window, and the focus inside it.
#include "deliver/ForegroundTracker.h"

#include "deliver/ForegroundRules.h"
#include "framework/Wnd.h"
#include "framework/WideText.h"

namespace {
constexpr UINT kPollInterval = 100;
ForegroundTracker* g_tracker = nullptr;

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    int n = GetClassNameW(window, name, int(sizeof name / sizeof name[0]));
    return n > 0 ? Narrow(name, size_t(n)) : std::string();
}

// Another process's title is read without a message, so a hung window cannot hold us.
std::string TitleOf(HWND window) { return GetWindowTextString(window); }

ForegroundFacts FactsOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return {ClassOf(window), processId == GetCurrentProcessId(),
            window == GetDesktopWindow() || window == GetShellWindow()};
}

void CALLBACK OnForegroundEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (g_tracker && object == OBJID_WINDOW)
        g_tracker->Note(window);
}

void CALLBACK OnPoll(HWND, UINT, UINT_PTR, DWORD) {
    if (g_tracker)
        g_tracker->Note(GetForegroundWindow());
}
} // namespace

void ForegroundTracker::Start() {
    Stop();
    g_tracker = this;
    Note(GetForegroundWindow());
    // Out of context: the system posts the event to this thread's message loop, no DLL is injected.
    m_hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnForegroundEvent, 0, 0,
                             WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    // A thread timer with its own procedure: every modal loop of the thread dispatches it.
    m_timer = SetTimer(nullptr, 0, kPollInterval, OnPoll);
}

void ForegroundTracker::Stop() {
    if (m_hook)
        UnhookWinEvent(m_hook);
    if (m_timer)
        KillTimer(nullptr, m_timer);
    m_hook = nullptr;
    m_timer = 0;
    if (g_tracker == this)
        g_tracker = nullptr;
}

void ForegroundTracker::Note(HWND foreground) {
    if (!foreground || !IsUserWindow(FactsOf(foreground)))
        return;
    m_target = foreground;
    m_targetThread = GetWindowThreadProcessId(foreground, nullptr);
    m_title = TitleOf(foreground);
}

HWND ForegroundTracker::Target() const {
    if (!m_target || !IsWindow(m_target) || GetWindowThreadProcessId(m_target, nullptr) != m_targetThread)
        return nullptr;
    return m_target;
}

HWND ForegroundTracker::FocusedControlOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
        info.hwndActive != window)
        return nullptr;
    // An active window without a focused control takes the keys itself.
    HWND focus = info.hwndFocus ? info.hwndFocus : window;
    return focus == window || IsChild(window, focus) ? focus : nullptr;
}

std::string ForegroundTracker::WindowTitle(HWND window) { return TitleOf(window); }

bool BringToFront(HWND window) {
    // Asynchronous: a hung program must not hold us; the check before typing catches a window still down.
    if (IsIconic(window))
        ShowWindowAsync(window, SW_RESTORE);
    return SetForegroundWindow(window) != FALSE;
}
