// The protected list file: a list text under AES-256-GCM, keyed by PBKDF2-HMAC-SHA256 of the password.
//   0 magic "PELMARPL" (8)   8 version 1   9 list kind (0 plain, 1 login)   10 derivation 1 (PBKDF2)
//   11 zero   12 iterations (4, little-endian)   16 salt (16)   32 nonce (12)   44 ciphertext (n)
//   44+n GCM tag (16). Bytes 0..43 are the additional authenticated data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "crypt/Crypto.h"
#include "common/ListKind.h"

constexpr size_t kProtectedHeaderSize = 44;
constexpr size_t kProtectedSaltSize = 16;
constexpr uint32_t kDefaultIterations = 600000;
constexpr uint32_t kMinIterations = 100000;
// Opening a file costs its iteration count: a file may not make the program hang for minutes.
constexpr uint32_t kMaxIterations = 10000000;

enum class ProtectResult {
    Ok,
    BadFile,                // too short, or magic, version, kind, derivation or iterations not ours
    WrongPasswordOrDamaged, // the GCM tag did not match: the two cannot be told apart
    NoMemory,
    SystemError,            // the system's cryptography failed (no random bytes, say)
};

// What an open protected list keeps instead of its password: the derived key with the salt and
// iteration count it came from. Every save under it draws a fresh nonce; a password entered anew
// makes a new key with a fresh salt. Wiped when destroyed or cleared.
class ProtectionKey {
public:
    ProtectionKey() = default;
    ProtectionKey(const ProtectionKey&) = default;
    ProtectionKey& operator=(const ProtectionKey&) = default;
    ~ProtectionKey() { Clear(); }

    // A new key for a password (UTF-8), with a fresh random salt.
    ProtectResult Create(const std::string& password, uint32_t iterations = kDefaultIterations);
    // The key for a password under a given salt: what opening a file needs.
    ProtectResult Derive(const std::string& password, const uint8_t* salt, uint32_t iterations);
    void Clear();

    bool IsSet() const { return iterations_ != 0; }
    const uint8_t* Key() const { return key_; }
    const uint8_t* Salt() const { return salt_; }
    uint32_t Iterations() const { return iterations_; }

private:
    uint8_t key_[kAesKeySize] = {};
    uint8_t salt_[kProtectedSaltSize] = {};
    uint32_t iterations_ = 0;
};

struct ProtectedHeader {
    ListKind kind = kPlainList;
    uint32_t iterations = 0;
    uint8_t salt[kProtectedSaltSize] = {};
};

// Everything that can be checked before a password is asked for. Ok or BadFile.
ProtectResult ReadProtectedHeader(const uint8_t* data, size_t size, ProtectedHeader& header);

// Opens a file with its password. On Ok, key holds the file's key (to keep for saving), kind the list
// kind and text the list text; on any failure key and text are cleared.
ProtectResult OpenProtectedList(const uint8_t* data, size_t size, const std::string& password,
                                ProtectionKey& key, ListKind& kind, std::string& text);
// Opens a file with a kept key, as long as the file was saved under that key's salt and iteration count;
// otherwise, or when the file was changed, WrongPasswordOrDamaged (ask for the password then).
ProtectResult OpenProtectedList(const uint8_t* data, size_t size, const ProtectionKey& key, ListKind& kind,
                                std::string& text);

// The whole file for a list text (plain or login kind) under a key, with a fresh random nonce.
ProtectResult SealProtectedList(const ProtectionKey& key, ListKind kind, const std::string& text,
                                std::vector<uint8_t>& file);
// The same with a given nonce (kGcmNonceSize bytes): the deterministic part, for known answers.
ProtectResult SealProtectedList(const ProtectionKey& key, ListKind kind, const std::string& text,
                                const uint8_t* nonce, std::vector<uint8_t>& file);
