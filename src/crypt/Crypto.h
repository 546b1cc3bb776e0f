// The cryptographic primitives the protected list needs, from the system's own library: bcrypt.dll in
// the Windows builds, OpenSSL's libcrypto in the native build. Nothing here is implemented by hand.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kAesKeySize = 32; // AES-256
constexpr size_t kGcmNonceSize = 12;
constexpr size_t kGcmTagSize = 16;

// PBKDF2 with HMAC-SHA256 over the password bytes; fills keySize bytes of key.
bool DeriveKeyPbkdf2Sha256(const void* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                           uint32_t iterations, uint8_t* key, size_t keySize);

// AES-256-GCM with a 12-byte nonce and a 16-byte tag. cipher (and plain) hold size bytes; in and out
// may not overlap. Decrypt returns false when the tag does not match, and then leaves plain zeroed.
bool AesGcmEncrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* plain, size_t size, uint8_t* cipher, uint8_t* tag);
bool AesGcmDecrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* cipher, size_t size, const uint8_t* tag, uint8_t* plain);

// Random bytes from the system's cryptographic generator.
bool RandomBytes(uint8_t* out, size_t size);

// Overwrites secrets in a way the compiler may not drop.
void WipeSecret(void* data, size_t size);
