// Building and reading protected list files, and the key an open protected list keeps.
#include "crypt/ProtectedList.h"

#include "common/LittleEndian.h"

#include <cstring>
#include <new>

namespace {

const uint8_t kMagic[8] = {'P', 'E', 'L', 'M', 'A', 'R', 'P', 'L'};
constexpr uint8_t kVersion = 1;
constexpr uint8_t kPbkdf2HmacSha256 = 1;
constexpr size_t kVersionOffset = 8;
constexpr size_t kKindOffset = 9;
constexpr size_t kDerivationOffset = 10;
constexpr size_t kIterationsOffset = 12;
constexpr size_t kSaltOffset = 16;
constexpr size_t kNonceOffset = 32;

bool IsStoredKind(int kind) {
    return kind == kPlainList || kind == kLoginList;
}

void WriteHeader(const ProtectionKey& key, ListKind kind, const uint8_t* nonce, uint8_t* out) {
    std::memcpy(out, kMagic, sizeof kMagic);
    out[kVersionOffset] = kVersion;
    out[kKindOffset] = uint8_t(kind);
    out[kDerivationOffset] = kPbkdf2HmacSha256;
    out[11] = 0;
    WriteLe32(out + kIterationsOffset, key.Iterations());
    std::memcpy(out + kSaltOffset, key.Salt(), kProtectedSaltSize);
    std::memcpy(out + kNonceOffset, nonce, kGcmNonceSize);
}

void WipeText(std::string& text) {
    if (!text.empty())
        WipeSecret(&text[0], text.size());
    text.clear();
}

} // namespace

ProtectResult ProtectionKey::Create(const std::string& password, uint32_t iterations) {
    uint8_t salt[kProtectedSaltSize];
    if (!RandomBytes(salt, sizeof salt)) {
        Clear();
        return ProtectResult::SystemError;
    }
    return Derive(password, salt, iterations);
}

ProtectResult ProtectionKey::Derive(const std::string& password, const uint8_t* salt, uint32_t iterations) {
    uint8_t saltCopy[kProtectedSaltSize]; // salt may be this key's own
    std::memcpy(saltCopy, salt, sizeof saltCopy);
    Clear();
    if (iterations == 0 || !DeriveKeyPbkdf2Sha256(password.data(), password.size(), saltCopy, sizeof saltCopy,
                                                  iterations, key_, sizeof key_)) {
        Clear();
        return ProtectResult::SystemError;
    }
    std::memcpy(salt_, saltCopy, sizeof salt_);
    iterations_ = iterations;
    return ProtectResult::Ok;
}

void ProtectionKey::Clear() {
    WipeSecret(key_, sizeof key_);
    WipeSecret(salt_, sizeof salt_);
    iterations_ = 0;
}

ProtectResult ReadProtectedHeader(const uint8_t* data, size_t size, ProtectedHeader& header) {
    if (size < kProtectedHeaderSize + kGcmTagSize || std::memcmp(data, kMagic, sizeof kMagic) != 0 ||
        data[kVersionOffset] != kVersion || !IsStoredKind(data[kKindOffset]) ||
        data[kDerivationOffset] != kPbkdf2HmacSha256)
        return ProtectResult::BadFile;
    uint32_t iterations = ReadLe32(data + kIterationsOffset);
    if (iterations < kMinIterations || iterations > kMaxIterations)
        return ProtectResult::BadFile;
    header.kind = ListKind(data[kKindOffset]);
    header.iterations = iterations;
    std::memcpy(header.salt, data + kSaltOffset, kProtectedSaltSize);
    return ProtectResult::Ok;
}

ProtectResult OpenProtectedList(const uint8_t* data, size_t size, const ProtectionKey& key, ListKind& kind,
                                std::string& text) {
    WipeText(text);
    ProtectedHeader header;
    ProtectResult result = ReadProtectedHeader(data, size, header);
    if (result != ProtectResult::Ok)
        return result;
    if (!key.IsSet() || key.Iterations() != header.iterations ||
        std::memcmp(key.Salt(), header.salt, kProtectedSaltSize) != 0)
        return ProtectResult::WrongPasswordOrDamaged;
    size_t n = size - kProtectedHeaderSize - kGcmTagSize;
    std::string plain;
    try {
        plain.assign(n, '\0');
    } catch (const std::bad_alloc&) {
        return ProtectResult::NoMemory;
    }
    if (!AesGcmDecrypt(key.Key(), data + kNonceOffset, data, kProtectedHeaderSize,
                       data + kProtectedHeaderSize, n, data + kProtectedHeaderSize + n,
                       reinterpret_cast<uint8_t*>(&plain[0])))
        return ProtectResult::WrongPasswordOrDamaged;
    text.swap(plain);
    kind = header.kind;
    return ProtectResult::Ok;
}

ProtectResult OpenProtectedList(const uint8_t* data, size_t size, const std::string& password,
                                ProtectionKey& key, ListKind& kind, std::string& text) {
    key.Clear();
    WipeText(text);
    ProtectedHeader header;
    ProtectResult result = ReadProtectedHeader(data, size, header);
    if (result != ProtectResult::Ok)
        return result;
    ProtectionKey candidate;
    result = candidate.Derive(password, header.salt, header.iterations);
    if (result == ProtectResult::Ok)
        result = OpenProtectedList(data, size, candidate, kind, text);
    if (result == ProtectResult::Ok)
        key = candidate;
    return result;
}

ProtectResult SealProtectedList(const ProtectionKey& key, ListKind kind, const std::string& text,
                                const uint8_t* nonce, std::vector<uint8_t>& file) {
    file.clear();
    if (!key.IsSet() || !IsStoredKind(kind))
        return ProtectResult::BadFile;
    try {
        file.assign(kProtectedHeaderSize + text.size() + kGcmTagSize, 0);
    } catch (const std::bad_alloc&) {
        return ProtectResult::NoMemory;
    }
    uint8_t* out = file.data();
    WriteHeader(key, kind, nonce, out);
    if (!AesGcmEncrypt(key.Key(), nonce, out, kProtectedHeaderSize,
                       reinterpret_cast<const uint8_t*>(text.data()), text.size(), out + kProtectedHeaderSize,
                       out + kProtectedHeaderSize + text.size())) {
        file.clear();
        return ProtectResult::SystemError;
    }
    return ProtectResult::Ok;
}

ProtectResult SealProtectedList(const ProtectionKey& key, ListKind kind, const std::string& text,
                                std::vector<uint8_t>& file) {
    uint8_t nonce[kGcmNonceSize];
    if (!RandomBytes(nonce, sizeof nonce)) {
        file.clear();
        return ProtectResult::SystemError;
    }
    return SealProtectedList(key, kind, text, nonce, file);
}
