// The system-wide hot key as the settings file keeps it: the MOD_* modifier flags times 256 plus the
// virtual-key code, in decimal; 0 is no hot key. The hot-key control speaks HOTKEYF_* flags instead.
#pragma once
#include <string>

// The modifier flags of RegisterHotKey and of the hot-key control, spelled here without <windows.h>.
enum HotKeyModifier : int { kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8 };
enum HotKeyControlFlag : int { kHotKeyFShift = 1, kHotKeyFControl = 2, kHotKeyFAlt = 4, kHotKeyFExt = 8 };

constexpr int kHotKeyOff = 0;
constexpr int kDefaultHotKey = (kModControl | kModShift) * 256 + 0x20; // Ctrl+Shift+Space: 1568

inline int HotKeyModifiers(int hotKey) { return (hotKey >> 8) & 0xFF; }
inline int HotKeyVirtualKey(int hotKey) { return hotKey & 0xFF; }

enum class HotKeyVerdict {
    Off,         // 0: no hot key
    Usable,
    Malformed,   // unknown bits, no key, or a modifier key on its own
    NoModifier,  // a typing key without Ctrl, Alt or the Windows key (Shift alone types capitals)
    AltGr,       // Ctrl+Alt with a character key: AltGr layouts type characters with it
};

HotKeyVerdict CheckHotKey(int hotKey);
// What the user is told about a refused combination; empty for Off and Usable.
std::string HotKeyRefusal(HotKeyVerdict verdict);

// The hot-key control's value (HKM_GETHOTKEY: key in the low byte, HOTKEYF_* in the high byte) as a
// setting, and back. The control's extended-key flag has no place in the setting and is dropped.
int HotKeyFromControl(unsigned controlValue);
unsigned ControlFromHotKey(int hotKey);

// "Ctrl+Shift+" and so on, in the order Windows shows them.
std::string ModifierNames(int hotKey);
// The key's own name where it does not depend on the keyboard layout ("Space", "F5", "A", "7"); empty
// for the others, whose name the layout gives.
std::string FixedKeyName(int virtualKey);
