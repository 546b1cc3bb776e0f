// The system-wide hot key's registration, names and the place Pelmar takes over the target.
#include "app/HotKey.h"

#include <algorithm>

#include "framework/WideText.h"
#include "settings/HotKeyRules.h"

namespace {
constexpr int kHotKeyId = 1;

// Keys on the extended part of the keyboard need the extended bit for their own name.
bool IsExtendedKey(int vk) {
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
           vk == VK_NUMLOCK;
}

std::string LayoutKeyName(int vk) {
    UINT scan = MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC);
    wchar_t name[64] = {};
    LONG lParam = LONG(scan << 16) | (IsExtendedKey(vk) ? (1L << 24) : 0);
    int n = scan ? GetKeyNameTextW(lParam, name, int(sizeof name / sizeof name[0])) : 0;
    if (n > 0)
        return Narrow(name, size_t(n));
    char code[16] = {};
    wsprintfA(code, "key %d", vk);
    return code;
}
} // namespace

HotKeyState SystemHotKey::Register(HWND window, int hotKey) {
    Unregister(window);
    if (hotKey == 0)
        return m_state = HotKeyState::Off;
    // Held down, the key must not repeat: each repeat would bring Pelmar up or send it back again.
    UINT modifiers = UINT(HotKeyModifiers(hotKey)) | MOD_NOREPEAT;
    m_registered = RegisterHotKey(window, kHotKeyId, modifiers, UINT(HotKeyVirtualKey(hotKey))) != FALSE;
    return m_state = m_registered ? HotKeyState::Registered : HotKeyState::Taken;
}

void SystemHotKey::Unregister(HWND window) {
    if (m_registered)
        UnregisterHotKey(window, kHotKeyId);
    m_registered = false;
    m_state = HotKeyState::Off;
}

std::string HotKeyName(int hotKey) {
    int vk = HotKeyVirtualKey(hotKey);
    std::string key = FixedKeyName(vk);
    return ModifierNames(hotKey) + (key.empty() ? LayoutKeyName(vk) : key);
}

std::string HotKeyStateText(HotKeyState state) {
    switch (state) {
    case HotKeyState::Registered: return "Registered";
    case HotKeyState::Taken: return "Used by another program";
    default: return "Off";
    }
}

std::string HotKeyTakenMessage(int hotKey) {
    return HotKeyName(hotKey) + " is used by another program, so it does not bring Pelmar up. Choose another "
                                "hot key in Options.";
}

RECT PlaceOnMonitorOf(HWND target, const RECT& rect) {
    HMONITOR monitor = MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!target || MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST) == monitor ||
        !GetMonitorInfoW(monitor, &info))
        return rect;
    const RECT& work = info.rcWork;
    LONG width = std::min(rect.right - rect.left, work.right - work.left);
    LONG height = std::min(rect.bottom - rect.top, work.bottom - work.top);
    LONG x = std::max(work.left, std::min(rect.left, work.right - width));
    LONG y = std::max(work.top, std::min(rect.top, work.bottom - height));
    return {x, y, x + width, y + height};
}
