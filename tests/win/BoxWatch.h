// Answers the next message box of this thread from a timer, whatever modal loop runs then. Unlike
// WhenDialogAppears it tells a box from the main dialog, which shares its class and maybe its title.
#pragma once
#include <windows.h>

#include <string>

#include "WinTestSupport.h"

struct BoxSeen {
    std::string text, caption;
    HWND owner = nullptr;
    bool seen = false;
};

namespace boxwatch {
inline BoxSeen*& Target() {
    static BoxSeen* target = nullptr;
    return target;
}

inline BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, 0xFFFF))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

inline VOID CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box || !Target())
        return;
    KillTimer(nullptr, id);
    Target()->text = MessageBoxText(box);
    Target()->caption = WindowText(box);
    Target()->owner = GetWindow(box, GW_OWNER);
    Target()->seen = true;
    Target() = nullptr;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}
} // namespace boxwatch

// Records the next message box into seen and closes it with OK; seen must outlive the box.
inline UINT_PTR AnswerNextMessageBox(BoxSeen& seen) {
    boxwatch::Target() = &seen;
    return SetTimer(nullptr, 0, 20, boxwatch::Tick);
}

inline void StopAnswering(UINT_PTR timer) {
    KillTimer(nullptr, timer);
    boxwatch::Target() = nullptr;
}
