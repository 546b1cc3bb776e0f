// Every kind of list file written and read back through the one codec the program and the cli use, and
// the result each refused file gives.
#include "list/ListFileCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypt/Container.h"

namespace {

std::vector<ListEntry> Entries(std::initializer_list<ListEntry> entries) {
    return entries;
}

void ExpectSameEntries(const std::vector<ListEntry>& got, const std::vector<ListEntry>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].text, want[i].text) << i;
        EXPECT_EQ(got[i].login, want[i].login) << i;
        EXPECT_EQ(got[i].password, want[i].password) << i;
    }
}

const ProtectionKey& TestKey() {
    static ProtectionKey key;
    if (!key.IsSet()) {
        EXPECT_EQ(key.Create("h\xC3\xBCtte 7", kMinIterations), ProtectResult::Ok);
    }
    return key;
}

TEST(ListFileCodec, TextListsComeBackByteForByteInEveryEncoding) {
    struct Case {
        ListKind layout;
        std::string bytes;
        TextEncoding encoding;
    } const kCases[] = {
        {kPlainList, "one\r\ncaf\xE9\r\n \r\n", TextEncoding::Ansi},
        {kPlainList, "one\r\ncaf\xC3\xA9\r\n", TextEncoding::Utf8},
        {kPlainList, "\xEF\xBB\xBFone\r\n", TextEncoding::Utf8Bom},
        {kPlainList, std::string("\xFF\xFEo\0n\0e\0\r\0\n\0", 12), TextEncoding::Utf16Le},
        {kLoginList, "bank\r\n" + ShiftLoginField("me") + "\r\n" + ShiftLoginField("pw") + "\r\n",
         TextEncoding::Ansi},
    };
    for (const Case& c : kCases) {
        ListFile list = ReadTextList(c.bytes, c.layout, Windows1252());
        EXPECT_EQ(list.encoding, c.encoding) << c.bytes;
        EncodedText back = WriteTextList(list.entries, c.layout, list.encoding, Windows1252());
        EXPECT_EQ(back.bytes, c.bytes);
        EXPECT_EQ(back.encoding, c.encoding);
    }
    ListFile login = ReadTextList(kCases[4].bytes, kLoginList, Windows1252());
    ExpectSameEntries(login.entries, Entries({{"bank", "me", "pw"}}));
}

TEST(ListFileCodec, EncryptedListOpensWithItsPasswordOnly) {
    std::vector<ListEntry> entries = Entries({{"first", "", ""}, {"caf\xC3\xA9", "", ""}});
    EncodedText file = WriteEncryptedList(entries, TextEncoding::Ansi, "Secret", "list.ple", Windows1252());
    EXPECT_EQ(file.encoding, TextEncoding::Ansi);
    std::string inner;
    ASSERT_TRUE(
        ReadEncryptedFile(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size(), inner));
    EXPECT_EQ(inner, "Secret\r\nfirst\r\ncaf\xE9\r\n");

    ListFile list;
    EXPECT_EQ(ReadEncryptedList(file.bytes, "sECRET", PortablePasswordCase(), Windows1252(), list),
              ListFileResult::Ok);
    ExpectSameEntries(list.entries, entries);
    EXPECT_EQ(list.encoding, TextEncoding::Ansi);

    ListFile wrong;
    EXPECT_EQ(ReadEncryptedList(file.bytes, "Secre", PortablePasswordCase(), Windows1252(), wrong),
              ListFileResult::WrongPassword);
    EXPECT_TRUE(wrong.entries.empty());
}

TEST(ListFileCodec, RefusedEncryptedFilesSayWhy) {
    std::string file =
        WriteEncryptedList(Entries({{"x", "", ""}}), TextEncoding::Ansi, "pw", "a", Windows1252()).bytes;
    std::string cut = file.substr(0, file.size() - 1);
    std::string longer = file + "!";
    ListFile list;
    for (const std::string& damaged : {cut, longer, file.substr(0, 30)})
        EXPECT_EQ(ReadEncryptedList(damaged, "pw", PortablePasswordCase(), Windows1252(), list),
                  ListFileResult::Damaged);
    EXPECT_EQ(ReadEncryptedList("just a plain list\r\n", "pw", PortablePasswordCase(), Windows1252(), list),
              ListFileResult::NotThisKind);
    EXPECT_TRUE(list.entries.empty());
}

TEST(ListFileCodec, ProtectedListsOpenWithTheKeyOrThePassword) {
    for (ListKind layout : {kPlainList, kLoginList}) {
        std::vector<ListEntry> entries =
            Entries({{"site", layout == kLoginList ? "me" : "", ""}, {"b", "", ""}});
        EncodedText sealed;
        ASSERT_EQ(
            WriteProtectedList(entries, layout, TextEncoding::Utf16Le, TestKey(), Windows1252(), sealed),
            ListFileResult::Ok);
        // A login list is never UTF-16.
        TextEncoding written = layout == kLoginList ? TextEncoding::Utf8Bom : TextEncoding::Utf16Le;
        EXPECT_EQ(sealed.encoding, written);
        EXPECT_TRUE(HoldsSealedList(sealed.bytes));
        ListKind stored = kEncryptedList;
        ListFile list;
        ASSERT_EQ(ReadProtectedList(sealed.bytes, TestKey(), kLoginList, Windows1252(), stored, list),
                  ListFileResult::Ok);
        EXPECT_EQ(stored, layout);
        EXPECT_EQ(list.encoding, written);
        ExpectSameEntries(list.entries, entries);
        if (layout != kLoginList)
            continue;
        ProtectionKey opened;
        ListFile again;
        EXPECT_EQ(ReadProtectedList(sealed.bytes, "H\xC3\xBCtte 7", opened, kLoginList, Windows1252(), stored,
                                    again),
                  ListFileResult::WrongPasswordOrDamaged); // a protected list's password is taken exactly
        EXPECT_TRUE(again.entries.empty());
        EXPECT_EQ(ReadProtectedList(sealed.bytes, "h\xC3\xBCtte 7", opened, kLoginList, Windows1252(), stored,
                                    again),
                  ListFileResult::Ok);
        ExpectSameEntries(again.entries, entries);
    }
}

TEST(ListFileCodec, ALoginListSealedUnderThePlainNameReadsAsLines) {
    EncodedText sealed;
    ASSERT_EQ(WriteProtectedList(Entries({{"site", "me", "pw"}}), kLoginList, TextEncoding::Ansi, TestKey(),
                                 Windows1252(), sealed),
              ListFileResult::Ok);
    ListKind stored = kPlainList;
    ListFile list;
    ASSERT_EQ(ReadProtectedList(sealed.bytes, TestKey(), kProtectedList, Windows1252(), stored, list),
              ListFileResult::Ok);
    EXPECT_EQ(stored, kLoginList);
    ExpectSameEntries(
        list.entries,
        Entries({{"site", "", ""}, {ShiftLoginField("me"), "", ""}, {ShiftLoginField("pw"), "", ""}}));
}

TEST(ListFileCodec, SealedListFilesComeBackByteForByteOrAreRefused) {
    std::string login = "bank\r\n" + ShiftLoginField("m\xE9") + "\r\n \r\n";
    std::string sealed, back;
    ASSERT_EQ(SealListFile(TestKey(), kLoginList, login, sealed), ListFileResult::Ok);
    ProtectionKey key;
    ListKind stored = kPlainList;
    ASSERT_EQ(UnsealListFile(sealed, "h\xC3\xBCtte 7", key, stored, back), ListFileResult::Ok);
    EXPECT_EQ(back, login);
    EXPECT_EQ(stored, kLoginList);
    // A login whose clear form holds a line end would move the lines.
    EXPECT_EQ(SealListFile(TestKey(), kLoginList, "bank\r\n" + ShiftLoginField("a\rb") + "\r\n \r\n", sealed),
              ListFileResult::NotExact);
}

TEST(ListFileCodec, RefusedProtectedFilesSayWhy) {
    std::string sealed;
    ASSERT_EQ(SealListFile(TestKey(), kPlainList, "one\r\n", sealed), ListFileResult::Ok);
    std::string changed = sealed;
    changed[changed.size() - 20] ^= 1;
    std::string text;
    ListKind stored = kPlainList;
    EXPECT_EQ(UnsealListFile(changed, TestKey(), stored, text), ListFileResult::WrongPasswordOrDamaged);
    EXPECT_EQ(UnsealListFile(sealed.substr(0, 40), TestKey(), stored, text), ListFileResult::Damaged);
    EXPECT_EQ(UnsealListFile("one\r\n", TestKey(), stored, text), ListFileResult::Damaged);
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(HoldsSealedList("one\r\n"));
}

} // namespace
