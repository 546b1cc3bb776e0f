// Keys, defaults and clamps of the settings file, and path rules.
#include "settings/SettingsRules.h"

#include "common/Paths.h"
#include "settings/HotKeyRules.h"

#include <climits>

const char kSettingsSection[] = "pelmar";

namespace {
int NoClamp(int v) { return v; }
int ClampStartMode(int v) { return (v > 1 || v < 0) ? 0 : v; }
int ClampSwitch(int v) { return v == 1 ? 1 : 0; }
// A negative send mode can only come from a hand-edited file; treat it as clipboard paste.
int ClampSendMode(int v) { return v > 2 ? 2 : (v < 0 ? 0 : v); }
int ClampSeparatorMode(int v) { return v > 2 ? 2 : (v < 1 ? 1 : v); }
int ClampTo(int v, int low, int high) { return v < low ? low : (v > high ? high : v); }
int ClampKeyDelay(int v) { return ClampTo(v, 1, 1000); }
// A hand-edited combination that the Options dialog would refuse (a bare letter, AltGr's) takes no key.
int ClampHotKey(int v) { return CheckHotKey(v) == HotKeyVerdict::Usable ? v : kHotKeyOff; }

const IntSettingRule kIntRules[] = {
    {"tray", 0, ClampStartMode}, {"clip", 0, ClampSendMode}, {"cr", 0, ClampSeparatorMode},
    {"winmode", 3, NoClamp},     {"left", 400, NoClamp},     {"top", 60, NoClamp},
    {"width", 192, NoClamp},     {"height", 360, NoClamp},   {"keydelay", 4, ClampKeyDelay},
    {"restoreclip", 0, ClampSwitch},
    {"hotkey", kDefaultHotKey, ClampHotKey},
    // The hot key whose failure to register the user was already told about, so that it is told once.
    {"hotkeytold", 0, NoClamp},
};
} // namespace

const IntSettingRule& RuleOf(IntSetting setting) { return kIntRules[int(setting)]; }

const char* KeyOf(TextSetting setting) { return setting == TextSetting::List ? "list" : "lastdir"; }

const char* DefaultOf(TextSetting setting) { return setting == TextSetting::List ? "list.txt" : ""; }

int ParseProfileInt(const std::string& value, int defaultValue) {
    if (value.empty())
        return defaultValue;
    size_t i = 0;
    bool negative = value[0] == '-';
    if (negative)
        ++i;
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > INT_MAX)
            n = INT_MAX;  // saturate instead of overflowing on absurd values
    }
    return int(negative ? -n : n);
}

int ReadClamped(IntSetting setting, const std::string& value) {
    const IntSettingRule& rule = RuleOf(setting);
    return rule.clamp(ParseProfileInt(value, rule.defaultValue));
}

WindowBox ClampWindowBox(const WindowBox& box) {
    const int k = kMaxWindowCoordinate;
    return {ClampTo(box.x, -k, k), ClampTo(box.y, -k, k), ClampTo(box.width, 0, k),
            ClampTo(box.height, 0, k)};
}

std::string SettingsPathFor(const std::string& modulePath) {
    size_t dot = modulePath.find_last_of('.');
    if (dot == std::string::npos)
        return modulePath + ".ini";
    return modulePath.substr(0, dot + 1) + "ini";
}

std::string LoginFilePathFor(const std::string& settingsPath) { return WithLastThree(settingsPath, "plr"); }
