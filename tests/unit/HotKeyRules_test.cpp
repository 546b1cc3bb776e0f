// The hot key's setting value: what is refused, the conversions to the hot-key control, the names.
#include "settings/HotKeyRules.h"
#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

namespace {
constexpr int kCtrlAlt = kModControl | kModAlt;

TEST(HotKeyRules, Verdicts) {
    const struct {
        int mods, vk;
        HotKeyVerdict want;
    } cases[] = {
        {0, 0, HotKeyVerdict::Off},
        {kModControl | kModShift, 0x20, HotKeyVerdict::Usable},    // the default
        {kModControl | kModShift, 'K', HotKeyVerdict::Usable},
        {kModAlt, 'Q', HotKeyVerdict::Usable},
        {kModWin, 'Z', HotKeyVerdict::Usable},
        {0, 0x71, HotKeyVerdict::Usable},                          // F2 alone
        {kModShift, 0x87, HotKeyVerdict::Usable},                  // Shift+F24
        {0, 'A', HotKeyVerdict::NoModifier},
        {kModShift, 'A', HotKeyVerdict::NoModifier},               // types a capital
        {kModShift, 0x20, HotKeyVerdict::NoModifier},
        {0, 0x88, HotKeyVerdict::NoModifier},                      // just past F24
        {kCtrlAlt, 'E', HotKeyVerdict::AltGr},                     // the euro sign on German keyboards
        {kCtrlAlt | kModShift, 'E', HotKeyVerdict::AltGr},
        {kCtrlAlt, '0', HotKeyVerdict::AltGr},
        {kCtrlAlt, '9', HotKeyVerdict::AltGr},
        {kCtrlAlt, 0xBA, HotKeyVerdict::AltGr},                    // VK_OEM_1
        {kCtrlAlt, 0xC0, HotKeyVerdict::AltGr},                    // VK_OEM_3
        {kCtrlAlt, 0xDB, HotKeyVerdict::AltGr},                    // VK_OEM_4
        {kCtrlAlt, 0xDF, HotKeyVerdict::AltGr},                    // VK_OEM_8
        {kCtrlAlt, 0xE2, HotKeyVerdict::AltGr},                    // VK_OEM_102
        {kCtrlAlt, 0xC1, HotKeyVerdict::Usable},                   // between the OEM ranges
        {kCtrlAlt, 0x20, HotKeyVerdict::Usable},                   // Ctrl+Alt+Space types nothing
        {kCtrlAlt, 0x74, HotKeyVerdict::Usable},                   // Ctrl+Alt+F5
        {kCtrlAlt | kModWin, 'E', HotKeyVerdict::Usable},          // AltGr never sends Win
        {kModControl, 0x10, HotKeyVerdict::Malformed},             // VK_SHIFT on its own
        {kModControl, 0xA5, HotKeyVerdict::Malformed},             // VK_RMENU
        {kModControl, 0x5B, HotKeyVerdict::Malformed},             // VK_LWIN
        {0x10, 'A', HotKeyVerdict::Malformed},                     // unknown modifier bit
        {kModControl, 0, HotKeyVerdict::Malformed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckHotKey(c.mods * 256 + c.vk), c.want) << c.mods << "+" << c.vk;
    EXPECT_EQ(CheckHotKey(-1568), HotKeyVerdict::Malformed);
    EXPECT_EQ(CheckHotKey(0x10000 + 1568), HotKeyVerdict::Malformed);
    EXPECT_EQ(kDefaultHotKey, 1568);
    EXPECT_TRUE(HotKeyRefusal(HotKeyVerdict::Usable).empty());
    EXPECT_NE(HotKeyRefusal(HotKeyVerdict::AltGr).find("AltGr"), std::string::npos);
}

TEST(HotKeyRules, ControlConversions) {
    // HOTKEYF_SHIFT is 1 and MOD_SHIFT 4, HOTKEYF_ALT 4 and MOD_ALT 1: the two orders differ.
    EXPECT_EQ(HotKeyFromControl(unsigned(kHotKeyFShift | kHotKeyFControl) << 8 | 0x20), 1568);
    EXPECT_EQ(HotKeyFromControl(unsigned(kHotKeyFAlt) << 8 | 'Q'), kModAlt * 256 + 'Q');
    EXPECT_EQ(HotKeyFromControl(unsigned(kHotKeyFShift) << 8 | 0x75), kModShift * 256 + 0x75);
    EXPECT_EQ(HotKeyFromControl(unsigned(kHotKeyFControl | kHotKeyFExt) << 8 | 0x2E), kModControl * 256 + 0x2E);
    EXPECT_EQ(HotKeyFromControl(unsigned(kHotKeyFControl) << 8), 0); // modifiers without a key: none
    EXPECT_EQ(ControlFromHotKey(1568), unsigned(kHotKeyFShift | kHotKeyFControl) << 8 | 0x20);
    EXPECT_EQ(ControlFromHotKey(kModAlt * 256 + 'Q'), unsigned(kHotKeyFAlt) << 8 | 'Q');
    EXPECT_EQ(ControlFromHotKey(0), 0u);
    EXPECT_EQ(ControlFromHotKey(0x10 * 256 + 'A'), 0u);
    for (int mods = 0; mods < 8; ++mods)
        for (int vk : {0x20, int('A'), int('5'), 0x70, 0xBA}) {
            int setting = mods * 256 + vk;
            EXPECT_EQ(HotKeyFromControl(ControlFromHotKey(setting)), setting) << setting;
        }
}

TEST(HotKeyRules, Names) {
    EXPECT_EQ(ModifierNames(1568) + FixedKeyName(0x20), "Ctrl+Shift+Space");
    EXPECT_EQ(ModifierNames((kModWin | kModAlt) * 256 + 'K') + FixedKeyName('K'), "Win+Alt+K");
    EXPECT_EQ(FixedKeyName(0x70), "F1");
    EXPECT_EQ(FixedKeyName(0x87), "F24");
    EXPECT_EQ(FixedKeyName(0xBA), "");
}

TEST(HotKeyRules, SettingRefusesWhatOptionsRefuses) {
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, ""), 1568);
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, "0"), 0);
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, "2117"), 2117);              // Win+E
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, "65"), 0);                   // a bare A
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, "837"), 0);                  // Ctrl+Alt+E
    EXPECT_EQ(ReadClamped(IntSetting::HotKey, "99999999999"), 0);
    EXPECT_EQ(ReadClamped(IntSetting::HotKeyTold, ""), 0);
}
} // namespace
