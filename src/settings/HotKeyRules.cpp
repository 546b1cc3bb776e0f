// The hot key's setting value: checks, conversions to and from the hot-key control, names.
#include "settings/HotKeyRules.h"

namespace {
constexpr int kAllModifiers = kModAlt | kModControl | kModShift | kModWin;

bool IsFunctionKey(int vk) { return vk >= 0x70 && vk <= 0x87; } // F1..F24
bool IsLetterOrDigit(int vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'); }
// The punctuation keys whose characters depend on the layout (VK_OEM_1..VK_OEM_8, VK_OEM_102).
bool IsOemCharacterKey(int vk) { return (vk >= 0xBA && vk <= 0xC0) || (vk >= 0xDB && vk <= 0xDF) || vk == 0xE2; }
bool IsModifierKey(int vk) {
    return (vk >= 0x10 && vk <= 0x12) || vk == 0x5B || vk == 0x5C || (vk >= 0xA0 && vk <= 0xA5);
}
} // namespace

HotKeyVerdict CheckHotKey(int hotKey) {
    if (hotKey == kHotKeyOff)
        return HotKeyVerdict::Off;
    int mods = HotKeyModifiers(hotKey);
    int vk = HotKeyVirtualKey(hotKey);
    if (hotKey < 0 || hotKey > 0xFFFF || (mods & ~kAllModifiers) || vk == 0 || IsModifierKey(vk))
        return HotKeyVerdict::Malformed;
    if (!(mods & (kModControl | kModAlt | kModWin)) && !IsFunctionKey(vk))
        return HotKeyVerdict::NoModifier;
    // AltGr arrives as Ctrl+Alt (Shift may come with it); with the Windows key held it is not AltGr.
    bool ctrlAlt = (mods & (kModControl | kModAlt | kModWin)) == (kModControl | kModAlt);
    if (ctrlAlt && (IsLetterOrDigit(vk) || IsOemCharacterKey(vk)))
        return HotKeyVerdict::AltGr;
    return HotKeyVerdict::Usable;
}

std::string HotKeyRefusal(HotKeyVerdict verdict) {
    switch (verdict) {
    case HotKeyVerdict::Malformed: return "This key cannot be a hot key. Choose another one.";
    case HotKeyVerdict::NoModifier:
        return "A hot key needs Ctrl, Alt or the Windows key (only F1 to F24 may go without): otherwise it "
               "would take a key that you type with. Choose another one.";
    case HotKeyVerdict::AltGr:
        return "Ctrl+Alt with a letter, a digit or a punctuation key types characters on many keyboards "
               "(it is what AltGr sends). Choose another hot key, for example with Shift or the Windows key "
               "instead of Alt.";
    default: return std::string();
    }
}

int HotKeyFromControl(unsigned controlValue) {
    int vk = int(controlValue & 0xFF);
    int flags = int((controlValue >> 8) & 0xFF);
    if (vk == 0)
        return kHotKeyOff;
    int mods = (flags & kHotKeyFShift ? kModShift : 0) | (flags & kHotKeyFControl ? kModControl : 0) |
               (flags & kHotKeyFAlt ? kModAlt : 0);
    return mods * 256 + vk;
}

unsigned ControlFromHotKey(int hotKey) {
    if (CheckHotKey(hotKey) == HotKeyVerdict::Off || CheckHotKey(hotKey) == HotKeyVerdict::Malformed)
        return 0;
    int mods = HotKeyModifiers(hotKey);
    int flags = (mods & kModShift ? kHotKeyFShift : 0) | (mods & kModControl ? kHotKeyFControl : 0) |
                (mods & kModAlt ? kHotKeyFAlt : 0);
    return unsigned(flags << 8 | HotKeyVirtualKey(hotKey));
}

std::string ModifierNames(int hotKey) {
    int mods = HotKeyModifiers(hotKey);
    std::string names;
    if (mods & kModWin)
        names += "Win+";
    if (mods & kModControl)
        names += "Ctrl+";
    if (mods & kModShift)
        names += "Shift+";
    if (mods & kModAlt)
        names += "Alt+";
    return names;
}

std::string FixedKeyName(int vk) {
    if (IsLetterOrDigit(vk))
        return std::string(1, char(vk));
    if (IsFunctionKey(vk))
        return "F" + std::to_string(vk - 0x70 + 1);
    switch (vk) {
    case 0x08: return "Backspace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x13: return "Pause";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "Page Up";
    case 0x22: return "Page Down";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2C: return "Print Screen";
    case 0x2D: return "Insert";
    case 0x2E: return "Delete";
    default: return std::string();
    }
}
