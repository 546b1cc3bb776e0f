// List file encodings: detection, each encoding read and written back, ANSI giving way to UTF-8,
// Windows-1252 and the UTF-8 / UTF-16 conversions, with exact bytes.
#include "list/ListText.h"

#include <gtest/gtest.h>

namespace {

using E = TextEncoding;
const std::string kBom = "\xEF\xBB\xBF";
std::string Bytes(const char* data, size_t size) {
    return std::string(data, size);
}

TEST(Detection, MarkFirstThenValidUtf8WithNonAsciiElseAnsi) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
    } cases[] = {
        {"", E::Ansi},
        {"plain ascii\r\n", E::Ansi},
        {"caf\xE9", E::Ansi},
        {"caf\xC3\xA9", E::Utf8},
        {"\xF0\x9F\x98\x80", E::Utf8},
        {kBom + "abc", E::Utf8Bom},
        {kBom + "\xE9", E::Utf8Bom},
        {Bytes("\xFF\xFE\x61\0", 4), E::Utf16Le},
        {Bytes("\xFE\xFF\0a", 4), E::Ansi}, // big-endian UTF-16 is not read
        {"\xC0\xAF", E::Ansi},              // overlong '/'
        {"\xED\xA0\x80", E::Ansi},          // a surrogate
        {"\xF4\x90\x80\x80", E::Ansi},      // above U+10FFFF
        {"ok \xE2\x82", E::Ansi},           // cut off
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectEncoding(c.bytes), c.encoding) << c.bytes;
}

TEST(Detection, Utf8WithAFewStrayBytesIsUtf8) {
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        while (n-- > 0)
            out += s;
        return out;
    };
    const std::string e = "\xC3\xA9"; // é, one valid sequence
    const struct {
        std::string bytes;
        TextEncoding encoding;
    } cases[] = {
        {repeat(e, 10) + "\xFF", E::Utf8},           // one stray byte for ten sequences
        {repeat(e, 9) + "\xFF", E::Ansi},            // one too few
        {repeat(e, 20) + "x\xE2\x82y", E::Utf8},     // a cut sequence is two stray bytes
        {repeat(e, 19) + "x\xE2\x82y", E::Ansi},
        {e + "\xFF", E::Ansi},
        {"\xE9t\xE9 \xC3\xA9", E::Ansi},              // ANSI with a chance sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectEncoding(c.bytes), c.encoding) << c.bytes;
}

// Windows-1252 as a code page without a character for 0x81, as some code pages lack a few bytes.
class CodePageWithAHole : public AnsiCodePage {
  public:
    std::string ToUtf8(const std::string& ansi) const override {
        std::string out;
        for (char c : ansi)
            out += c == '\x81' ? "\xEF\xBF\xBD" : Windows1252().ToUtf8(std::string(1, c));
        return out;
    }
    bool FromUtf8(const std::string& utf8, std::string& ansi) const override {
        return Windows1252().FromUtf8(utf8, ansi) && ansi.find('\x81') == std::string::npos;
    }
};

TEST(UndecodableBytes, ShowAsReplacementAndStayThroughAnEditElsewhere) {
    const CodePageWithAHole hole;
    const std::string tenE = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    const struct {
        ListKind kind;
        std::string bytes;
        std::vector<std::string> shown; // text (login, password) of each entry
        size_t edited;                   // the entry replaced by a new one, "new" (login "me", password "pw")
        std::string after;
        const AnsiCodePage* codePage = nullptr;
    } cases[] = {
        {kPlainList, kBom + "one\r\nb\xFF" "c\r\n", {"one", "b\xEF\xBF\xBD" "c"}, 0, kBom + "new\r\nb\xFF" "c\r\n"},
        // Half a UTF-16 unit at the end stays with the last entry and at the end of the file.
        {kPlainList,
         Bytes("\xFF\xFE" "a\0\r\0\n\0" "b\0\r\0\n\0" "X", 15),
         {"a", "b\xEF\xBF\xBD"},
         0,
         Bytes("\xFF\xFE" "n\0e\0w\0\r\0\n\0" "b\0\r\0\n\0" "X", 19)},
        {kPlainList,
         Bytes("\xFF\xFE" "\x00\xD8" "x\0\r\0\n\0" "b\0\r\0\n\0", 16), // a lone surrogate
         {"\xEF\xBF\xBDx", "b"},
         1,
         Bytes("\xFF\xFE" "\x00\xD8" "x\0\r\0\n\0" "n\0e\0w\0\r\0\n\0", 20)},
        {kPlainList,
         tenE + "\r\nx\xFFy\r\nz\r\n",
         {tenE, "x\xEF\xBF\xBDy", "z"},
         2,
         tenE + "\r\nx\xFFy\r\nnew\r\n"},
        // Without the ten sequences the stray byte would read as ANSI: the mark keeps the file UTF-8.
        {kPlainList, tenE + "\r\nx\xFFy\r\n", {tenE, "x\xEF\xBF\xBDy"}, 0, kBom + "new\r\nx\xFFy\r\n"},
        {kLoginList,
         kBom + "site\r\nWX\r\n\xF5\r\nmail\r\nc[\r\nfm\r\n", // password 0xFF, stored shifted
         {"site", "ab", "\xEF\xBF\xBD", "mail", "me", "pw"},
         1,
         kBom + "site\r\nWX\r\n\xF5\r\nnew\r\nc[\r\nfm\r\n"},
        {kPlainList, "a\x81\r\nb\r\n", {"a\xEF\xBF\xBD", "b"}, 1, "a\x81\r\nnew\r\n", &hole},
    };
    for (const auto& c : cases) {
        const AnsiCodePage& codePage = c.codePage ? *c.codePage : Windows1252();
        ListFile file = ParseListFile(c.bytes, c.kind, codePage);
        std::vector<std::string> shown;
        for (const ListEntry& e : file.entries) {
            shown.push_back(e.text);
            if (c.kind == kLoginList) {
                shown.push_back(e.login);
                shown.push_back(e.password);
            }
        }
        EXPECT_EQ(shown, c.shown) << c.bytes;
        EXPECT_EQ(BuildListFile(file.entries, c.kind, file.encoding, codePage).bytes, c.bytes);
        ASSERT_LT(c.edited, file.entries.size());
        file.entries[c.edited] = {"new", c.kind == kLoginList ? "me" : "", c.kind == kLoginList ? "pw" : ""};
        EXPECT_EQ(BuildListFile(file.entries, c.kind, file.encoding, codePage).bytes, c.after) << c.bytes;
    }
}

TEST(UndecodableBytes, KeptInAnEncryptedListsTextAndDroppedWhereAnsiTurnsIntoUtf8) {
    std::string password;
    std::string inner = kBom + "pw\r\none\r\nb\xFF\r\n";
    ListFile file = ParseListFile(inner, kPlainList, Windows1252(), &password);
    EXPECT_EQ(password, "pw");
    ASSERT_EQ(file.entries.size(), 2u);
    EXPECT_EQ(file.entries[1].text, "b\xEF\xBF\xBD");
    file.entries[0] = {"new", "", ""};
    EXPECT_EQ(BuildListFile(file.entries, kPlainList, file.encoding, Windows1252(), &password).bytes,
              kBom + "pw\r\nnew\r\nb\xFF\r\n");

    // An ANSI byte without a character can't go into UTF-8 as it is: it is written as it shows.
    const CodePageWithAHole hole;
    file = ParseListFile("a\x81\r\nb\r\n", kPlainList, hole);
    file.entries[1] = {"\xCE\xA9", "", ""};
    EncodedText back = BuildListFile(file.entries, kPlainList, file.encoding, hole);
    EXPECT_EQ(back.encoding, E::Utf8Bom);
    EXPECT_EQ(back.bytes, kBom + "a\xEF\xBF\xBD\r\n\xCE\xA9\r\n");
}

TEST(ListFiles, ReadInTheirEncodingAndWriteBackTheSameBytes) {
    const struct {
        ListKind kind;
        std::string bytes;
        TextEncoding encoding;
        std::vector<std::string> fields; // text (login, password) of each entry, in UTF-8
    } cases[] = {
        {kPlainList, "caf\xE9\r\n\x80\x81\x9F\r\n", E::Ansi, {"caf\xC3\xA9", "\xE2\x82\xAC\xC2\x81\xC5\xB8"}},
        {kPlainList, "caf\xC3\xA9\r\n", E::Utf8, {"caf\xC3\xA9"}},
        {kPlainList, kBom + "a\r\n\xE2\x82\xAC\r\n", E::Utf8Bom, {"a", "\xE2\x82\xAC"}},
        // U+010D holds a CR byte: the line rule works on code units.
        {kPlainList, Bytes("\xFF\xFE\x0D\x01\r\0\n\0b\0\r\0\n\0", 14), E::Utf16Le, {"\xC4\x8D", "b"}},
        // Shifted fields that happen to be valid UTF-8 still read as ANSI: 0xC3 0xA9 is clear 0xCD 0xB3.
        {kLoginList, "site\r\n\xC3\xA9\r\nW\r\n", E::Ansi, {"site", "\xC3\x8D\xC2\xB3", "a"}},
        {kLoginList,
         kBom + "Stra\xC3\x9F\x65\r\n\xB9\x9F\r\nfm\r\n",
         E::Utf8Bom,
         {"Stra\xC3\x9F\x65", "\xC3\xA9", "pw"}},
    };
    for (const auto& c : cases) {
        ListFile file = ParseListFile(c.bytes, c.kind, Windows1252());
        std::vector<std::string> fields;
        for (const ListEntry& e : file.entries) {
            fields.push_back(e.text);
            if (c.kind == kLoginList) {
                fields.push_back(e.login);
                fields.push_back(e.password);
            }
        }
        EXPECT_EQ(file.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(fields, c.fields) << c.bytes;
        EncodedText back = BuildListFile(file.entries, c.kind, file.encoding, Windows1252());
        EXPECT_EQ(back.bytes, c.bytes);
        EXPECT_EQ(back.encoding, c.encoding) << c.bytes;
    }
}

TEST(ListFiles, AnsiGivesWayToUtf8WithMarkOnlyWhenItCannotKeepTheText) {
    const struct {
        ListKind kind;
        ListEntry entry;
        TextEncoding encoding;
        std::string bytes;
    } cases[] = {
        {kPlainList, {"\xE2\x82\xAC \xC3\xA9", "", ""}, E::Ansi, "\x80 \xE9\r\n"},
        {kPlainList, {"\xCE\xA9", "", ""}, E::Utf8Bom, kBom + "\xCE\xA9\r\n"}, // no byte for it
        {kPlainList, {"\xC2\x80", "", ""}, E::Utf8Bom, kBom + "\xC2\x80\r\n"}, // nor for U+0080
        // "Ã©" fits, but its bytes would read back as UTF-8 "é".
        {kPlainList, {"\xC3\x83\xC2\xA9", "", ""}, E::Utf8Bom, kBom + "\xC3\x83\xC2\xA9\r\n"},
        {kLoginList, {"site", "\xCE\xA9", "pw"}, E::Utf8Bom, kBom + "site\r\n\xC4\x9F\r\nfm\r\n"},
        {kLoginList,
         {"\xC3\xAF\xC2\xBB\xC2\xBFx", "a", "b"},
         E::Utf8Bom, // "ï»¿x" would read as the mark
         kBom + "\xC3\xAF\xC2\xBB\xC2\xBFx\r\nW\r\nX\r\n"},
    };
    for (const auto& c : cases) {
        EncodedText file = BuildListFile({c.entry}, c.kind, E::Ansi, Windows1252());
        EXPECT_EQ(file.encoding, c.encoding) << c.entry.text;
        EXPECT_EQ(file.bytes, c.bytes);
        ListFile back = ParseListFile(file.bytes, c.kind, Windows1252());
        EXPECT_EQ(back.encoding, c.encoding) << c.entry.text;
        ASSERT_EQ(back.entries.size(), 1u);
        EXPECT_EQ(back.entries[0].text, c.entry.text);
        EXPECT_EQ(back.entries[0].password, c.entry.password);
    }
}

TEST(Windows1252, EveryByteReadsAndWritesBackAsWindowsMapsIt) {
    const struct {
        unsigned char byte;
        const char* utf8;
    } known[] = {
        {0x41, "A"},        {0x80, "\xE2\x82\xAC"}, {0x81, "\xC2\x81"}, {0x8D, "\xC2\x8D"},
        {0x8F, "\xC2\x8F"}, {0x90, "\xC2\x90"},     {0x9D, "\xC2\x9D"}, {0x9F, "\xC5\xB8"},
        {0xA0, "\xC2\xA0"}, {0xFF, "\xC3\xBF"},
    };
    for (const auto& k : known)
        EXPECT_EQ(Windows1252().ToUtf8(std::string(1, char(k.byte))), k.utf8) << int(k.byte);
    for (int b = 0; b < 256; ++b) {
        std::string ansi;
        EXPECT_TRUE(Windows1252().FromUtf8(Windows1252().ToUtf8(std::string(1, char(b))), ansi));
        EXPECT_EQ(ansi, std::string(1, char(b)));
    }
    std::string ansi;
    EXPECT_FALSE(Windows1252().FromUtf8("\xC4\x80", ansi)); // U+0100
    EXPECT_FALSE(Windows1252().FromUtf8("a\xE9", ansi));    // not UTF-8
}

TEST(Utf16, InvalidPartsBecomeOneReplacementEach) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } toUtf16[] = {
        {"a\xC3\xA9", u"a\u00E9"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xE2\x82\x61", u"\uFFFDa"},            // cut off before 'a'
        {"\xF0\x9F\x98", u"\uFFFD"},             // cut off at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong: no valid lead
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // surrogate
    };
    for (const auto& c : toUtf16)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    const struct {
        std::u16string utf16;
        std::string utf8;
    } toUtf8[] = {
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"a", "\xEF\xBF\xBD\x61"},
        {std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD"},
    };
    for (const auto& c : toUtf8)
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    // Half a code unit at the end of a UTF-16 file.
    EXPECT_EQ(DecodeListBytes(Bytes("\xFF\xFE\x61\0b", 5), Windows1252()).text, "a\xEF\xBF\xBD");
}

} // namespace
