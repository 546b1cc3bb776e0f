// The settings file's keys, defaults and clamps, described once, and the path rules around it.
#pragma once
#include <string>

extern const char kSettingsSection[];  // "pelmar"

enum class IntSetting { Tray, Clip, Cr, WinMode, Left, Top, Width, Height, KeyDelay, RestoreClip, HotKey, HotKeyTold };
enum class TextSetting { List, LastDir };

struct IntSettingRule {
    const char* key;
    int defaultValue;
    int (*clamp)(int);
};

const IntSettingRule& RuleOf(IntSetting setting);
const char* KeyOf(TextSetting setting);
const char* DefaultOf(TextSetting setting);

// The leading decimal number of a value (a minus sign accepted); an empty value gives the default.
int ParseProfileInt(const std::string& value, int defaultValue);
int ReadClamped(IntSetting setting, const std::string& value);

// The saved window rectangle as a window can take it. A hand-edited file may hold anything: a negative size
// becomes 0 and each value stays within kMaxWindowCoordinate of 0, so right and bottom fit in an int.
struct WindowBox {
    int x, y, width, height;
};
constexpr int kMaxWindowCoordinate = 0x3FFFFFFF;
WindowBox ClampWindowBox(const WindowBox& box);

// The settings file beside the program: everything after the last '.' becomes "ini".
std::string SettingsPathFor(const std::string& modulePath);
// The login list's own file: the settings path with "plr" for its last three characters.
std::string LoginFilePathFor(const std::string& settingsPath);
