// Key sequences inside entries: which braces are tokens, what stays text byte for byte, and the words the
// item dialog shows.
#include <gtest/gtest.h>

#include "deliver/KeySequence.h"

// Failures show the items, not their bytes.
void PrintTo(const SequenceItem& item, std::ostream* out) {
    *out << "{" << int(item.kind) << " vk " << int(item.vk) << " n " << item.count << " \"" << item.text
         << "\"}";
}

namespace {
using S = SequenceItem;
S Text(const std::string& t) {
    return {S::kText, 0, 0, t};
}
S Key(uint8_t vk, int count = 1) {
    return {S::kKey, vk, count, {}};
}
S Of(S::Kind kind, int count = 0) {
    return {kind, 0, count, {}};
}

TEST(KeySequence, TokensCountsLimitsAndEscapes) {
    const struct {
        std::string entry;
        KeySequence items;
    } cases[] = {
        {"a{TAB}b{ENTER}", {Text("a"), Key(0x09), Text("b"), Key(0x0D)}},
        {"{UP}{DOWN}{LEFT}{RIGHT}{HOME}{END}",
         {Key(0x26), Key(0x28), Key(0x25), Key(0x27), Key(0x24), Key(0x23)}},
        {"{ESC}{BACKSPACE}{DELETE}{SPACE}", {Key(0x1B), Key(0x08), Key(0x2E), Key(0x20)}},
        {"{TAB 3}x{DOWN 500}", {Key(0x09, 3), Text("x"), Key(0x28, 500)}},
        {"{DELAY 0}{DELAY 10000}{DELAY=0}{DELAY=1000}",
         {Of(S::kPause, 0), Of(S::kPause, 10000), Of(S::kKeyDelay, 0), Of(S::kKeyDelay, 1000)}},
        {"{DATE} {TIME}{CLIPBOARD}", {Of(S::kDate), Text(" "), Of(S::kTime), Of(S::kClipboard)}},
        // Beside a token the escapes are braces, and braces that are no token stay as written.
        {"{{}x{}}{TAB}", {Text("{x}"), Key(0x09)}},
        {"{TAB}{{}{}}{", {Key(0x09), Text("{}{")}},
        {"{foo}{TAB}}", {Text("{foo}"), Key(0x09), Text("}")}},
        {"{{TAB}", {Text("{"), Key(0x09)}},
        // Out of range, lower case, blanks, signs: text.
        {"{TAB 0}{TAB 501}{TAB 00003}{ENTER}", {Text("{TAB 0}{TAB 501}{TAB 00003}"), Key(0x0D)}},
        {"{DELAY 10001}{DELAY=1001}{DELAY -1}{DELAY}{ENTER}",
         {Text("{DELAY 10001}{DELAY=1001}{DELAY -1}{DELAY}"), Key(0x0D)}},
        {"{tab}{Tab}{TAB }{ TAB}{TAB  2}{TAB 999999}{ENTER}",
         {Text("{tab}{Tab}{TAB }{ TAB}{TAB  2}{TAB 999999}"), Key(0x0D)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseKeySequence(c.entry), c.items) << c.entry;
        EXPECT_TRUE(HasTokens(c.items)) << c.entry;
    }
}

TEST(KeySequence, EntriesWithoutATokenStayByteForByte) {
    for (const std::string& entry : std::vector<std::string>{
             "", "plain", "{foo}", "{tab}", "{\"a\":{}}", "{{}", "{}}", "x{{}y{}}z", "{TAB 0}",
             "{DELAY 20000}", "{", "}", "|3", "a\xC3\xA9{", std::string("\0{TAB", 5)}) {
        KeySequence items = ParseKeySequence(entry);
        ASSERT_EQ(items.size(), 1u) << entry;
        EXPECT_EQ(items[0], Text(entry)) << entry;
        EXPECT_FALSE(HasTokens(items)) << entry;
    }
}

TEST(KeySequence, DescriptionsInPlainWords) {
    const struct {
        std::string entry, words;
    } cases[] = {
        {"user{TAB}pw{ENTER}", "Text, Tab, text, Enter"},
        {"{TAB 3}{DELAY 500}x{DELAY=20}{DOWN}", "Tab 3 times, pause 500 ms, text, typing delay 20 ms, Down"},
        {"{DATE} {TIME}{CLIPBOARD}", "Date, text, time, clipboard text"},
        {"{foo}", "Typed as written"},
        {"", "Typed as written"},
        {"|3", "Down 3 times"},
        {"|0", "Nothing is typed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeEntry(c.entry), c.words) << c.entry;
}
} // namespace
