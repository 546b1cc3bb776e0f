// Protected list files: the system's primitives against published vectors, the exact bytes of one
// file (the same from bcrypt.dll and from OpenSSL), round trips, and refusal of changed files.
#include "crypt/ProtectedList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "list/ListText.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& hex) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

bool Contains(const Bytes& haystack, const std::string& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// RFC 7914, section 11.
TEST(Crypto, Pbkdf2HmacSha256KnownAnswers) {
    struct Case {
        const char* password;
        const char* salt;
        uint32_t iterations;
        const char* key;
    } const kCases[] = {
        {"passwd", "salt", 1,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
         "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        {"Password", "NaCl", 80000,
         "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
         "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"},
    };
    for (const Case& c : kCases) {
        Bytes key(64);
        std::string password = c.password, salt = c.salt;
        ASSERT_TRUE(DeriveKeyPbkdf2Sha256(password.data(), password.size(),
                                          reinterpret_cast<const uint8_t*>(salt.data()), salt.size(),
                                          c.iterations, key.data(), key.size()));
        EXPECT_EQ(key, Hex(c.key)) << c.password;
    }
}

// Published AES-256-GCM known answers (McGrew and Viega, cases 13 to 16) with a 96-bit nonce.
TEST(Crypto, AesGcmKnownAnswersBothWays) {
    const std::string k = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
    const std::string p = "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                          "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39";
    const std::string c = "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                          "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662";
    const std::string zero(64, '0');
    struct Case {
        std::string key, nonce, plain, aad, cipher, tag;
    } const kCases[] = {
        {zero, zero.substr(0, 24), "", "", "", "530f8afbc74536b9a963b4f1c4cb738b"},
        {zero, zero.substr(0, 24), zero.substr(0, 32), "", "cea7403d4d606b6e074ec5d3baf39d18",
         "d0d1c8a799996bf0265b98b5d48ab919"},
        {k, "cafebabefacedbaddecaf888", p + "1aafd255", "", c + "898015ad",
         "b094dac5d93471bdec1a502270e3cc6c"},
        {k, "cafebabefacedbaddecaf888", p, "feedfacedeadbeeffeedfacedeadbeefabaddad2", c,
         "76fc6ece0f4e1768cddf8853bb2d551b"},
    };
    for (const Case& t : kCases) {
        Bytes key = Hex(t.key), nonce = Hex(t.nonce), plain = Hex(t.plain), aad = Hex(t.aad);
        Bytes cipher(plain.size()), tag(kGcmTagSize), back(plain.size());
        ASSERT_TRUE(AesGcmEncrypt(key.data(), nonce.data(), aad.data(), aad.size(), plain.data(),
                                  plain.size(), cipher.data(), tag.data()));
        EXPECT_EQ(cipher, Hex(t.cipher)) << t.tag;
        EXPECT_EQ(tag, Hex(t.tag));
        ASSERT_TRUE(AesGcmDecrypt(key.data(), nonce.data(), aad.data(), aad.size(), cipher.data(),
                                  cipher.size(), tag.data(), back.data()));
        EXPECT_EQ(back, plain);
        tag[15] ^= 1;
        EXPECT_FALSE(AesGcmDecrypt(key.data(), nonce.data(), aad.data(), aad.size(), cipher.data(),
                                   cipher.size(), tag.data(), back.data()));
        EXPECT_EQ(back, Bytes(plain.size(), 0)) << "a refused text is not handed out";
    }
}

const std::string kPassword = "correct horse";
const std::string kLoginText = "mail\r\nme@example.org\r\nhunter2\r\n";

ProtectionKey FixedKey() {
    ProtectionKey key;
    Bytes salt = Hex("000102030405060708090a0b0c0d0e0f");
    EXPECT_EQ(key.Derive(kPassword, salt.data(), kMinIterations), ProtectResult::Ok);
    return key;
}

// One whole file, fixed salt and nonce: both builds must write exactly these bytes and read them back.
TEST(ProtectedList, ExactFileFromBothImplementations) {
    const Bytes kFile = Hex("50454c4d4152504c"
                            "01010100"
                            "a0860100"
                            "000102030405060708090a0b0c0d0e0f"
                            "a0a1a2a3a4a5a6a7a8a9aaab"
                            "ef72d0612588afd31683c9c4ed12f6d9aaffe3a0422f0a3f92723997584de886f18499f54ad03e"
                            "a6f78c1b49261563");
    Bytes nonce = Hex("a0a1a2a3a4a5a6a7a8a9aaab"), file;
    ASSERT_EQ(SealProtectedList(FixedKey(), kLoginList, kLoginText, nonce.data(), file), ProtectResult::Ok);
    EXPECT_EQ(file, kFile);
    ProtectionKey key;
    ListKind kind = kPlainList;
    std::string text;
    ASSERT_EQ(OpenProtectedList(kFile.data(), kFile.size(), kPassword, key, kind, text), ProtectResult::Ok);
    EXPECT_EQ(kind, kLoginList);
    EXPECT_EQ(text, kLoginText);
}

TEST(ProtectedList, RoundTripsUnderANewAndAKeptKey) {
    const std::pair<ListKind, std::string> kCases[] = {
        {kPlainList, "first\r\n \r\nthird\r\n"},
        {kLoginList, kLoginText},
        {kPlainList, ""},
        {kPlainList, "Gr\xC3\xBC\xC3\x9F"
                     "e \xE2\x82\xAC 5\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n"},
    };
    ProtectionKey key;
    ASSERT_EQ(key.Create("p\xC3\xA4ss", kMinIterations), ProtectResult::Ok);
    for (const auto& c : kCases) {
        Bytes first, second;
        ASSERT_EQ(SealProtectedList(key, c.first, c.second, first), ProtectResult::Ok);
        ASSERT_EQ(SealProtectedList(key, c.first, c.second, second), ProtectResult::Ok);
        EXPECT_NE(first, second) << "every save draws a fresh nonce";
        EXPECT_EQ(first.size(), kProtectedHeaderSize + c.second.size() + kGcmTagSize);
        ProtectionKey opened;
        ListKind kind = kEncryptedList;
        std::string text;
        ASSERT_EQ(OpenProtectedList(first.data(), first.size(), "p\xC3\xA4ss", opened, kind, text),
                  ProtectResult::Ok);
        EXPECT_EQ(kind, c.first);
        EXPECT_EQ(text, c.second);
        ASSERT_EQ(OpenProtectedList(second.data(), second.size(), opened, kind, text), ProtectResult::Ok);
        EXPECT_EQ(text, c.second);
    }
    ProtectionKey other;
    ASSERT_EQ(other.Create("p\xC3\xA4ss", kMinIterations), ProtectResult::Ok);
    EXPECT_NE(Bytes(other.Salt(), other.Salt() + kProtectedSaltSize),
              Bytes(key.Salt(), key.Salt() + kProtectedSaltSize));
}

TEST(ProtectedList, NeitherPasswordNorEntriesInTheFile) {
    ProtectionKey key = FixedKey();
    Bytes file;
    ASSERT_EQ(SealProtectedList(key, kLoginList, kLoginText, file), ProtectResult::Ok);
    for (const char* secret : {"correct horse", "mail", "me@example.org", "hunter2"})
        EXPECT_FALSE(Contains(file, secret)) << secret;
}

// Every field of the header is either checked before a password is asked for, or authenticated.
TEST(ProtectedList, ChangedFilesRefused) {
    Bytes nonce = Hex("a0a1a2a3a4a5a6a7a8a9aaab"), good;
    ASSERT_EQ(SealProtectedList(FixedKey(), kLoginList, kLoginText, nonce.data(), good), ProtectResult::Ok);
    const size_t kTag = good.size() - kGcmTagSize;
    struct Case {
        size_t at;
        uint8_t flip;
        ProtectResult result;
    } const kCases[] = {
        {0, 0x01, ProtectResult::BadFile},                 // magic
        {7, 0x80, ProtectResult::BadFile},                 // magic
        {8, 0x02, ProtectResult::BadFile},                 // version
        {9, 0x01, ProtectResult::WrongPasswordOrDamaged},  // kind: login to plain, still a kind
        {9, 0x02, ProtectResult::BadFile},                 // kind: no such kind
        {10, 0x01, ProtectResult::BadFile},                // derivation
        {11, 0x01, ProtectResult::WrongPasswordOrDamaged}, // reserved
        {12, 0x01, ProtectResult::WrongPasswordOrDamaged}, // iterations 100,001
        {14, 0x01, ProtectResult::BadFile},                // iterations 34,464: too few
        {15, 0x80, ProtectResult::BadFile},                // iterations: too many
        {16, 0x01, ProtectResult::WrongPasswordOrDamaged}, // salt
        {31, 0x80, ProtectResult::WrongPasswordOrDamaged}, // salt
        {32, 0x01, ProtectResult::WrongPasswordOrDamaged}, // nonce
        {43, 0x80, ProtectResult::WrongPasswordOrDamaged}, // nonce
        {44, 0x01, ProtectResult::WrongPasswordOrDamaged}, // ciphertext
        {kTag - 1, 0x80, ProtectResult::WrongPasswordOrDamaged},
        {kTag, 0x01, ProtectResult::WrongPasswordOrDamaged}, // tag
        {kTag + 15, 0x80, ProtectResult::WrongPasswordOrDamaged},
    };
    ProtectionKey key;
    ListKind kind = kPlainList;
    std::string text = "stale";
    for (const Case& c : kCases) {
        Bytes file = good;
        file[c.at] ^= c.flip;
        EXPECT_EQ(OpenProtectedList(file.data(), file.size(), kPassword, key, kind, text), c.result) << c.at;
        EXPECT_FALSE(key.IsSet());
        EXPECT_EQ(text, "");
    }
    EXPECT_EQ(OpenProtectedList(good.data(), good.size(), "Correct horse", key, kind, text),
              ProtectResult::WrongPasswordOrDamaged);
    for (size_t size : {size_t(0), kProtectedHeaderSize + kGcmTagSize - 1})
        EXPECT_EQ(OpenProtectedList(good.data(), size, kPassword, key, kind, text), ProtectResult::BadFile);
    Bytes cut(good.begin(), good.end() - 1);
    EXPECT_EQ(OpenProtectedList(cut.data(), cut.size(), kPassword, key, kind, text),
              ProtectResult::WrongPasswordOrDamaged);
    ProtectionKey otherSalt;
    ASSERT_EQ(otherSalt.Create(kPassword, kMinIterations), ProtectResult::Ok);
    EXPECT_EQ(OpenProtectedList(good.data(), good.size(), otherSalt, kind, text),
              ProtectResult::WrongPasswordOrDamaged);
}

// The payload of a login list holds its login and password lines in clear; line ends stay as they were.
TEST(ProtectedList, LoginTextInClearAndBack) {
    const std::pair<std::string, std::string> kCases[] = {
        {"site\r\nWX\r\nY'\r\n", "site\r\nab\r\nc1\r\n"},
        {"\nWX\n \r\rlabel\n\x57\xF8", "\nab\n \r\rlabel\na\x02"},
        {"a\r\nb\r\nc\r\nd\r\ne", "a\r\nl\r\nm\r\nd\r\no"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(UnshiftLoginText(c.first), c.second);
        EXPECT_EQ(ShiftLoginText(c.second), c.first);
    }
}

} // namespace
