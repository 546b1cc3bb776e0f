// The cryptographic primitives from OpenSSL's libcrypto: the native twin of the bcrypt.dll version.
#include "crypt/Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// EVP counts in int: longer inputs go through in pieces.
constexpr size_t kMaxPiece = size_t(1) << 30;

bool Update(EVP_CIPHER_CTX* ctx, bool encrypt, const uint8_t* in, size_t size, uint8_t* out) {
    for (size_t done = 0; done < size;) {
        int piece = int(size - done < kMaxPiece ? size - done : kMaxPiece);
        int written = 0;
        int ok = encrypt ? EVP_EncryptUpdate(ctx, out ? out + done : nullptr, &written, in + done, piece)
                         : EVP_DecryptUpdate(ctx, out ? out + done : nullptr, &written, in + done, piece);
        if (!ok)
            return false;
        done += size_t(piece);
    }
    return true;
}

// Key and nonce set, the additional data fed in: ready for the text.
CipherContext StartGcm(bool encrypt, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                       size_t aadSize) {
    CipherContext ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx)
        return ctx;
    int ok = encrypt ? EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key, nonce)
                     : EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key, nonce);
    if (!ok || !Update(ctx.get(), encrypt, aad, aadSize, nullptr))
        ctx.reset();
    return ctx;
}

} // namespace

bool DeriveKeyPbkdf2Sha256(const void* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                           uint32_t iterations, uint8_t* key, size_t keySize) {
    if (passwordSize > INT_MAX || saltSize > INT_MAX || iterations > INT_MAX || keySize > INT_MAX)
        return false;
    return PKCS5_PBKDF2_HMAC(static_cast<const char*>(password), int(passwordSize), salt, int(saltSize),
                             int(iterations), EVP_sha256(), int(keySize), key) == 1;
}

bool AesGcmEncrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* plain, size_t size, uint8_t* cipher, uint8_t* tag) {
    CipherContext ctx = StartGcm(true, key, nonce, aad, aadSize);
    uint8_t rest[16]; // GCM is a stream mode: the final step writes nothing
    int written = 0;
    return ctx && Update(ctx.get(), true, plain, size, cipher) &&
           EVP_EncryptFinal_ex(ctx.get(), rest, &written) == 1 &&
           EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, int(kGcmTagSize), tag) == 1;
}

bool AesGcmDecrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* cipher, size_t size, const uint8_t* tag, uint8_t* plain) {
    CipherContext ctx = StartGcm(false, key, nonce, aad, aadSize);
    uint8_t rest[16];
    int written = 0;
    // The tag is checked only at the end, after the text was already deciphered: wipe it on a mismatch.
    bool ok = ctx && Update(ctx.get(), false, cipher, size, plain) &&
              EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, int(kGcmTagSize),
                                  const_cast<uint8_t*>(tag)) == 1 &&
              EVP_DecryptFinal_ex(ctx.get(), rest, &written) == 1;
    if (!ok)
        WipeSecret(plain, size);
    return ok;
}

bool RandomBytes(uint8_t* out, size_t size) {
    return size <= INT_MAX && RAND_bytes(out, int(size)) == 1;
}

void WipeSecret(void* data, size_t size) {
    if (size)
        OPENSSL_cleanse(data, size);
}
