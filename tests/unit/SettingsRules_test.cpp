// The settings table's defaults and clamps, the integer reading rule and the path rules.
#include <gtest/gtest.h>

#include "common/Paths.h"
#include "settings/SettingsRules.h"

namespace {

TEST(SettingsRules, IntegerValuesAreClampedOnRead) {
    const struct {
        IntSetting setting;
        const char* value;
        int expected;
    } cases[] = {
        // Absent or empty values give the defaults.
        {IntSetting::Tray, "", 0},
        {IntSetting::Clip, "", 0},
        {IntSetting::Cr, "", 1}, // the default 0 is clamped to CR/LF
        {IntSetting::WinMode, "", 3},
        {IntSetting::Left, "", 400},
        {IntSetting::Top, "", 60},
        {IntSetting::Width, "", 192},
        {IntSetting::Height, "", 360},
        // Start mode: anything outside 0..1 is a regular window.
        {IntSetting::Tray, "1", 1},
        {IntSetting::Tray, "5", 0},
        {IntSetting::Tray, "-1", 0},
        // Separator mode: above 2 is Tab, below 1 is CR/LF.
        {IntSetting::Cr, "0", 1},
        {IntSetting::Cr, "2", 2},
        {IntSetting::Cr, "7", 2},
        {IntSetting::Cr, "-3", 1},
        // Send mode: above 2 is characters; a hand-edited negative value is clipboard paste.
        {IntSetting::Clip, "1", 1},
        {IntSetting::Clip, "9", 2},
        {IntSetting::Clip, "-1", 0},
        // Window mode and geometry are taken as they stand.
        {IntSetting::WinMode, "0", 0},
        {IntSetting::WinMode, "7", 7},
        {IntSetting::Left, "-1200", -1200},
        {IntSetting::Width, "0", 0},
        // Typing delay: 1 to 1000 ms.
        {IntSetting::KeyDelay, "", 4},
        {IntSetting::KeyDelay, "40", 40},
        {IntSetting::KeyDelay, "0", 1},
        {IntSetting::KeyDelay, "5000", 1000},
        // Restore the clipboard: a switch, off unless 1.
        {IntSetting::RestoreClip, "", 0},
        {IntSetting::RestoreClip, "1", 1},
        {IntSetting::RestoreClip, "2", 0},
        // Absurd hand-edited numbers saturate instead of overflowing.
        {IntSetting::WinMode, "99999999999", 2147483647},
        {IntSetting::Top, "-99999999999", -2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadClamped(c.setting, c.value), c.expected) << RuleOf(c.setting).key << "=" << c.value;
}

TEST(SettingsRules, SavedWindowBoxKeepsItsEdgesInRange) {
    const int k = kMaxWindowCoordinate;
    const struct {
        WindowBox saved, expected;
    } cases[] = {
        {{400, 60, 192, 360}, {400, 60, 192, 360}},
        {{-1200, -5, 0, 1}, {-1200, -5, 0, 1}},  // a monitor left of the main one
        {{2147483647, 2147483647, 192, 360}, {k, k, 192, 360}},
        {{-2147483647, 0, 2147483647, -2147483647}, {-k, 0, k, 0}},  // a negative size is none
    };
    for (const auto& c : cases) {
        WindowBox box = ClampWindowBox(c.saved);
        EXPECT_EQ(box.x, c.expected.x);
        EXPECT_EQ(box.y, c.expected.y);
        EXPECT_EQ(box.width, c.expected.width);
        EXPECT_EQ(box.height, c.expected.height);
        // What the window code computes from it must not overflow.
        EXPECT_LE(int64_t(box.x) + box.width, INT32_MAX);
        EXPECT_GE(int64_t(box.x) - box.width, INT32_MIN);
        EXPECT_LE(int64_t(box.y) + box.height, INT32_MAX);
    }
}

TEST(SettingsRules, EachIntegerKeyHasItsName) {
    const struct {
        IntSetting setting;
        const char* key;
    } cases[] = {
        {IntSetting::Tray, "tray"},       {IntSetting::Clip, "clip"},     {IntSetting::Cr, "cr"},
        {IntSetting::WinMode, "winmode"}, {IntSetting::Left, "left"},     {IntSetting::Top, "top"},
        {IntSetting::Width, "width"},     {IntSetting::Height, "height"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(RuleOf(c.setting).key, c.key);
    EXPECT_STREQ(KeyOf(TextSetting::List), "list");
    EXPECT_STREQ(KeyOf(TextSetting::LastDir), "lastdir");
    EXPECT_STREQ(DefaultOf(TextSetting::List), "list.txt");
    EXPECT_STREQ(DefaultOf(TextSetting::LastDir), "");
    EXPECT_STREQ(kSettingsSection, "pelmar");
}

TEST(SettingsRules, ParseProfileIntTakesTheLeadingNumber) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {
        {"", 77}, // empty: the default
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"12abc", 12},
        {"3 4", 3},
        {"-7x", -7},
        {"abc", 0}, // garbage is zero, not the default
        {"-", 0},
        {"x12", 0},
        {"--5", 0},
        {"2147483647", 2147483647},
        {"99999999999999999999", 2147483647}, // saturates instead of overflowing
        {"-99999999999999999999", -2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseProfileInt(c.value, 77), c.expected) << '"' << c.value << '"';
}

TEST(SettingsRules, SettingsFileIsNamedAfterTheProgram) {
    const struct {
        const char* module;
        const char* expected;
    } cases[] = {
        {"C:\\Tools\\Pelmar.exe", "C:\\Tools\\Pelmar.ini"},
        {"C:\\Tools\\Other.exe", "C:\\Tools\\Other.ini"},
        {"C:\\Tools\\pelmar.EXE", "C:\\Tools\\pelmar.ini"},
        // Only what follows the last '.' is replaced.
        {"C:\\My.Tools\\Pel.mar.exe", "C:\\My.Tools\\Pel.mar.ini"},
        {"C:\\Tools\\Pelmar.e", "C:\\Tools\\Pelmar.ini"},
        {"C:\\Tools\\Pelmar.", "C:\\Tools\\Pelmar.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsPathFor(c.module), c.expected) << c.module;
}

TEST(SettingsRules, LastThreeCharactersAreReplaced) {
    const struct {
        const char* path;
        const char* three;
        const char* expected;
    } cases[] = {
        {"C:\\Tools\\Pelmar.ini", "plr", "C:\\Tools\\Pelmar.plr"},
        {"C:\\Tools\\list.txt", "ple", "C:\\Tools\\list.ple"},
        {"C:\\a.html", "plr", "C:\\a.hplr"}, // the last three, not the extension
        {"abc", "txt", "txt"},
        {"ab", "txt", "abtxt"}, // too short: appended
        {"", "txt", "txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithLastThree(c.path, c.three), c.expected) << c.path;
    EXPECT_EQ(LoginFilePathFor("C:\\Tools\\Pelmar.ini"), "C:\\Tools\\Pelmar.plr");
    EXPECT_EQ(LoginFilePathFor("Z:\\tmp\\Other.ini"), "Z:\\tmp\\Other.plr");
}

TEST(SettingsRules, PathIsSplitAtTheLastBackslash) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
        bool bare;
    } cases[] = {
        {"C:\\Lists\\work.txt", "C:\\Lists", "work.txt", false},
        {"C:\\a\\b\\c.txt", "C:\\a\\b", "c.txt", false},
        {"C:\\root.txt", "C:", "root.txt", false}, // a file in a drive's root
        {"\\\\server\\share\\x.txt", "\\\\server\\share", "x.txt", false},
        {"list.txt", "list.txt", "list.txt", true}, // no folder at all
        {"C:list.txt", "C:list.txt", "C:list.txt", false},
        {"sub/list.txt", "sub/list.txt", "sub/list.txt", false},
        {"C:\\Lists\\", "C:\\Lists", "", false},
        {"", "", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(NamePart(c.path), c.name) << c.path;
        EXPECT_EQ(IsBareName(c.path), c.bare) << c.path;
    }
}

} // namespace
