// Known answers for the portable rules of the small commands: radio groups, copied text, Notepad line.
// line.
#include <gtest/gtest.h>

#include "app/NotepadCommand.h"
#include "app/OptionsRules.h"
#include "deliver/CopyText.h"

namespace {
const RadioGroup kWindowMode = {1009, 1011, 1008};
const RadioGroup kStartMode = {1012, 1013, 1012};
const RadioGroup kSeparator = {1014, 1015, 1013};
const RadioGroup kSendMode = {1016, 1018, 1016};

TEST(OptionsRadioGroups, MapValuesToButtonsAndBack) {
    const struct {
        const RadioGroup* group;
        int value;
        int button;  // 0: no button stands for the value
    } cases[] = {
        {&kWindowMode, 1, 1009}, {&kWindowMode, 2, 1010}, {&kWindowMode, 3, 1011}, {&kWindowMode, 0, 0},
        {&kWindowMode, 7, 0},    {&kStartMode, 0, 1012},  {&kStartMode, 1, 1013},  {&kSeparator, 1, 1014},
        {&kSeparator, 2, 1015},  {&kSeparator, 0, 0},     {&kSendMode, 0, 1016},   {&kSendMode, 1, 1017},
        {&kSendMode, 2, 1018},   {&kSendMode, -1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ButtonForValue(*c.group, c.value), c.button) << c.value;
        if (c.button) {
            EXPECT_EQ(ValueForButton(*c.group, c.button, -99), c.value) << c.button;
        }
    }
}

TEST(OptionsRadioGroups, NoCheckedButtonKeepsTheFallbackNotMinusTheBase) {
    EXPECT_EQ(ValueForButton(kWindowMode, 0, 7), 7);
    EXPECT_EQ(ValueForButton(kSendMode, 0, 0), 0);
    EXPECT_EQ(ValueForButton(kSeparator, 0, 1), 1);
    // A button of another group is no answer for this one either.
    EXPECT_EQ(ValueForButton(kStartMode, 1016, 0), 0);
}

TEST(CopyText, JoinsEntriesWithTheSeparatorOfTheMode) {
    using Texts = std::vector<std::string>;
    const struct {
        Texts texts;
        int separatorMode;
        std::string expected;
    } cases[] = {
        {{"one"}, 1, "one"},
        {{"one", "two", "three"}, 1, "one\r\ntwo\r\nthree"},
        {{"one", "two", "three"}, 2, "one\ttwo\tthree"},
        {{"a", "", "b"}, 1, "a\r\n\r\nb"},
        {{"", ""}, 2, "\t"},
        {{"|3", "x"}, 2, "|3\tx"},
    };
    for (const auto& c : cases) {
        std::string text = ClipboardCopyText(c.texts, c.separatorMode);
        EXPECT_EQ(text, c.expected);
        EXPECT_LT(text.size(), ClipboardBlockUnits(c.texts));  // room for the closing NUL
    }
    EXPECT_EQ(ClipboardBlockUnits({"abc", "de"}), 3u + 2 + 2 * 2 + 1);
    // Counted in UTF-16 units: "Grüße" is five, a character beyond 16 bits two.
    EXPECT_EQ(ClipboardBlockUnits({"Gr\xC3\xBC\xC3\x9F" "e", "\xF0\x9F\x98\x80"}), 5u + 2 + 2 * 2 + 1);
}

TEST(NotepadCommand, OpensTextFilesAndTheBareDefaultBesideTheSettings) {
    const std::string ini = "C:\\Tools\\My Pelmar\\Snippets.ini";
    const struct {
        std::string list;
        std::string expected;
    } cases[] = {
        {"C:\\Lists\\work.txt", "Notepad.exe C:\\Lists\\work.txt"},
        {"C:\\Lists\\WORK.TXT", "Notepad.exe C:\\Lists\\WORK.TXT"},
        {"C:\\My Lists\\a b.txt", "Notepad.exe C:\\My Lists\\a b.txt"},
        {"list.txt", "Notepad.exe C:\\Tools\\My Pelmar\\List.txt"},
        {"LIST.TXT", "Notepad.exe C:\\Tools\\My Pelmar\\List.txt"},
        {"List.txt", "Notepad.exe C:\\Tools\\My Pelmar\\List.txt"},
        {"other.txt", "Notepad.exe other.txt"},
        {"C:\\Lists\\plain.dat", ""},
        {"C:\\Lists\\logins.plr", ""},
        {"C:\\Lists\\secret.ple", ""},
        {"C:\\Lists\\txt", "Notepad.exe C:\\Lists\\txt"},
        {"xt", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NotepadCommandLine(c.list, ini), c.expected) << c.list;
}
} // namespace
