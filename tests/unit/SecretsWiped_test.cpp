// Loading and saving a list leave no password and no entry in memory that is given back: every block is
// searched when it is freed.
#include <gtest/gtest.h>

#include "TestAllocator.h"
#include "common/Wipe.h"
#include "list/ListFileCodec.h"
#include "list/ListText.h"
#include "list/TextEncoding.h"

namespace {
void WipeEntries(std::vector<ListEntry>& entries) {
    for (ListEntry& e : entries) {
        WipeString(e.text);
        WipeString(e.login);
        WipeString(e.password);
    }
}

// An encrypted list written and read back, as the program does it, with every copy the caller holds wiped.
void EncryptedRoundTrip(const std::string& password, const std::vector<ListEntry>& list) {
    EncodedText file = WriteEncryptedList(list, TextEncoding::Ansi, password, "list.ple", Windows1252());
    ListFile read;
    EXPECT_EQ(ReadEncryptedList(file.bytes, password, PortablePasswordCase(), Windows1252(), read),
              ListFileResult::Ok);
    EXPECT_EQ(read.entries.size(), list.size());
    WipeEntries(read.entries);
    WipeString(file.bytes);
}

// A login list file built and parsed back.
void LoginRoundTrip(const std::vector<ListEntry>& list) {
    EncodedText file = BuildListFile(list, kLoginList, TextEncoding::Ansi, Windows1252());
    ListFile parsed = ParseListFile(file.bytes, kLoginList, Windows1252());
    EXPECT_EQ(parsed.entries.size(), list.size());
    WipeEntries(parsed.entries);
    WipeString(file.bytes);
}

// A protected plain list's text, as sealed and as opened, in each encoding it can be in.
void PlainTextRoundTrip(const std::vector<ListEntry>& list) {
    for (TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf8Bom, TextEncoding::Utf16Le}) {
        EncodedText file = BuildListFile(list, kPlainList, encoding, Windows1252());
        ListFile parsed = ParseListFile(file.bytes, kPlainList, Windows1252());
        EXPECT_EQ(parsed.entries.size(), list.size());
        WipeEntries(parsed.entries);
        WipeString(file.bytes);
    }
}

// A protected list sealed and opened under a key, as a plain list in each encoding and as a login list.
void ProtectedRoundTrip(const ProtectionKey& key, const std::vector<ListEntry>& list) {
    for (TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf8Bom, TextEncoding::Utf16Le}) {
        for (ListKind layout : {kPlainList, kLoginList}) {
            EncodedText sealed;
            ASSERT_EQ(WriteProtectedList(list, layout, encoding, key, Windows1252(), sealed),
                      ListFileResult::Ok);
            ListKind stored = kPlainList;
            ListFile read;
            EXPECT_EQ(ReadProtectedList(sealed.bytes, key, kLoginList, Windows1252(), stored, read),
                      ListFileResult::Ok);
            EXPECT_EQ(read.entries.size(), list.size());
            WipeEntries(read.entries);
        }
    }
}

TEST(Secrets, LoadAndSaveLeaveNoSecretInFreedMemory) {
    ProtectionKey key;
    ASSERT_EQ(key.Create("key", kMinIterations), ProtectResult::Ok);
    // Short secrets live inside the entries themselves, long ones in blocks of their own: both are tried.
    for (std::string secret : {std::string("Pw0rd9"), std::string("A much longer passphrase 42!")}) {
        std::vector<ListEntry> list;
        for (int i = 0; i < 40; ++i)
            list.push_back({"site " + std::to_string(i), "login", i == 17 ? secret : "other"});
        std::vector<ListEntry> encrypted;
        for (int i = 0; i < 40; ++i)
            encrypted.push_back({i == 17 ? secret : "entry " + std::to_string(i), "", ""});
        std::string password = secret.substr(0, 6);
        test_allocator::WatchForSecret(secret);
        LoginRoundTrip(list);
        EncryptedRoundTrip(password, encrypted);
        PlainTextRoundTrip(encrypted);
        ProtectedRoundTrip(key, list);
        EXPECT_EQ(test_allocator::FreedBlocksHoldingSecret(), 0u) << secret;
        test_allocator::WatchForSecret(password);
        EncryptedRoundTrip(password, {{"a", "", ""}});
        EXPECT_EQ(test_allocator::FreedBlocksHoldingSecret(), 0u) << "password " << password;
        test_allocator::WatchForSecret("");
        WipeEntries(list);
        WipeEntries(encrypted);
    }
}
} // namespace
