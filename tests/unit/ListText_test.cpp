// The line rule, login field shift and list text building, with the files' exact bytes.
#include "list/ListText.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::string& file, ListKind kind = kPlainList) {
    std::vector<std::string> out;
    for (const ListEntry& e : ParseListText(file.data(), file.size(), kind))
        out.push_back(e.text);
    return out;
}

using Lines = std::vector<std::string>;

TEST(LineRule, SplitsOnEveryRunOfLineEnds) {
    const struct {
        std::string file;
        Lines entries;
    } cases[] = {
        {"", {}},
        {"\r\nA\r\nB\r\n", {"", "A", "B"}},
        {"A\r\n\r\n\r\nB", {"A", "B"}},
        {"X\rY\nZ", {"X", "Y", "Z"}},
        {"last line without end", {"last line without end"}},
        {"\r\n", {""}},
        {"\n\n\nA", {"", "A"}},
        {std::string("A\0B", 3), {"A", "B"}},
        {"a b\tc\r\n", {"a b\tc"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Texts(c.file), c.entries) << "file: " << c.file;
}

TEST(LoginList, ReadsGroupsOfThreeAndShiftsFields) {
    // 'a' (0x61) is stored as 0x57; 0x02 as 0xF8.
    std::string file = "site\r\n\x57\x57\r\n\xF8\r\nsecond\r\n";
    auto entries = ParseListText(file.data(), file.size(), kLoginList);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "site");
    EXPECT_EQ(entries[0].login, "aa");
    EXPECT_EQ(entries[0].password, "\x02");
    // The file ends inside the second group: its fields are empty so the boxes stay aligned.
    EXPECT_EQ(entries[1].text, "second");
    EXPECT_EQ(entries[1].login, "");
    EXPECT_EQ(entries[1].password, "");
}

TEST(LoginList, FourLinesGiveTwoEntries) {
    std::string file = "one\r\ntwo\r\nthree\r\nfour";
    auto entries = ParseListText(file.data(), file.size(), kLoginList);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].text, "four");
}

TEST(LoginList, EmptyFieldsRoundTripAsEmpty) {
    std::vector<ListEntry> list = {{"", "", ""}, {"bank", "me", "p*w"}};
    std::string file = BuildListText(list, kLoginList);
    EXPECT_EQ(file, " \r\n \r\n \r\nbank\r\n\x63\x5b\r\n\x66\x20\x6d\r\n");
    auto back = ParseListText(file.data(), file.size(), kLoginList);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].text, " "); // a site label is stored unchanged
    EXPECT_EQ(back[0].login, "");
    EXPECT_EQ(back[0].password, "");
    EXPECT_EQ(back[1].login, "me");
    EXPECT_EQ(back[1].password, "p*w");
}

TEST(FieldShift, WrapsAroundBothWays) {
    EXPECT_EQ(ShiftLoginField("\x02"), "\xF8");
    EXPECT_EQ(UnshiftLoginField("\xF8"), "\x02");
    for (int b = 1; b < 256; ++b) {
        std::string clear(1, char(b));
        if (ShiftLoginField(clear) == " ")
            continue; // the one byte that collides with the empty-field marker
        EXPECT_EQ(UnshiftLoginField(ShiftLoginField(clear)), clear) << b;
    }
}

TEST(PlainList, BuildsCrLfLinesWithEmptyAsSpace) {
    EXPECT_EQ(BuildListText({}, kPlainList), "");
    EXPECT_EQ(BuildListText({{"a", "", ""}, {"", "", ""}, {"b c", "", ""}}, kPlainList), "a\r\n \r\nb c\r\n");
}

} // namespace
