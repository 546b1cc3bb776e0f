// The cryptographic primitives from bcrypt.dll (Windows 7 and later): PBKDF2, AES in GCM chaining mode
// and the system's random generator.
#include "crypt/Crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include "framework/SystemDll.h"

namespace {

// bcrypt.dll comes with the first protected or encrypted list; a start with a plain list never needs it.
struct Bcrypt {
    Bcrypt() {
        Load(openAlgorithm, "BCryptOpenAlgorithmProvider");
        Load(closeAlgorithm, "BCryptCloseAlgorithmProvider");
        Load(setProperty, "BCryptSetProperty");
        Load(generateKey, "BCryptGenerateSymmetricKey");
        Load(destroyKey, "BCryptDestroyKey");
        Load(encrypt, "BCryptEncrypt");
        Load(decrypt, "BCryptDecrypt");
        Load(deriveKey, "BCryptDeriveKeyPBKDF2");
        Load(genRandom, "BCryptGenRandom");
    }
    template <typename Function> static void Load(Function& function, const char* name) {
        function = SystemFunction<Function>(L"bcrypt.dll", name);
    }
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithm;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithm;
    decltype(&BCryptSetProperty) setProperty;
    decltype(&BCryptGenerateSymmetricKey) generateKey;
    decltype(&BCryptDestroyKey) destroyKey;
    decltype(&BCryptEncrypt) encrypt;
    decltype(&BCryptDecrypt) decrypt;
    decltype(&BCryptDeriveKeyPBKDF2) deriveKey;
    decltype(&BCryptGenRandom) genRandom;

    bool Complete() const {
        return openAlgorithm && closeAlgorithm && setProperty && generateKey && destroyKey && encrypt && decrypt &&
               deriveKey && genRandom;
    }
};

// Null when bcrypt.dll or one of its functions is missing: every primitive then fails.
const Bcrypt* Api() {
    static const Bcrypt api;
    return api.Complete() ? &api : nullptr;
}

bool Succeeded(NTSTATUS status) { return status >= 0; }

// bcrypt counts in ULONG. (A plain comparison warns where size_t is itself 32 bits.)
bool FitsUlong(uint64_t size) { return size <= 0xFFFFFFFFu; }

// bcrypt takes non-const pointers to inputs it only reads.
PUCHAR In(const void* p) { return static_cast<PUCHAR>(const_cast<void*>(p)); }

class Algorithm {
public:
    Algorithm(LPCWSTR name, ULONG flags) {
        ok_ = Api() && Succeeded(Api()->openAlgorithm(&handle_, name, nullptr, flags));
    }
    ~Algorithm() {
        if (ok_)
            Api()->closeAlgorithm(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return ok_ ? handle_ : nullptr; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
    bool ok_ = false;
};

// An AES-256 key in GCM chaining mode; the key object's memory is managed (and wiped) by bcrypt.
class GcmKey {
public:
    explicit GcmKey(const uint8_t* key) : aes_(BCRYPT_AES_ALGORITHM, 0) {
        ok_ = aes_.Get() &&
              Succeeded(Api()->setProperty(aes_.Get(), BCRYPT_CHAINING_MODE, In(BCRYPT_CHAIN_MODE_GCM),
                                           sizeof(BCRYPT_CHAIN_MODE_GCM), 0)) &&
              Succeeded(Api()->generateKey(aes_.Get(), &handle_, nullptr, 0, In(key), ULONG(kAesKeySize), 0));
    }
    ~GcmKey() {
        if (ok_)
            Api()->destroyKey(handle_);
    }
    GcmKey(const GcmKey&) = delete;
    GcmKey& operator=(const GcmKey&) = delete;
    BCRYPT_KEY_HANDLE Get() const { return ok_ ? handle_ : nullptr; }

private:
    Algorithm aes_;
    BCRYPT_KEY_HANDLE handle_ = nullptr;
    bool ok_ = false;
};

// One GCM pass over size bytes: encrypting writes the tag, decrypting checks it.
bool RunGcm(bool encrypt, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
            const uint8_t* in, size_t size, uint8_t* out, const uint8_t* tag) {
    if (!FitsUlong(size) || !FitsUlong(aadSize))
        return false;
    GcmKey gcm(key);
    if (!gcm.Get())
        return false;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = In(nonce);
    info.cbNonce = ULONG(kGcmNonceSize);
    info.pbAuthData = aadSize ? In(aad) : nullptr;
    info.cbAuthData = ULONG(aadSize);
    info.pbTag = In(tag);
    info.cbTag = ULONG(kGcmTagSize);
    // A null output only asks for the size and skips the tag: an empty text still gets real buffers.
    uint8_t spareIn = 0, spareOut = 0;
    PUCHAR input = size ? In(in) : &spareIn;
    PUCHAR output = size ? out : &spareOut;
    ULONG written = 0;
    NTSTATUS status =
        (encrypt ? Api()->encrypt : Api()->decrypt)(gcm.Get(), input, ULONG(size), &info, nullptr, 0, output,
                                                    ULONG(size), &written, 0);
    return Succeeded(status);
}

} // namespace

bool DeriveKeyPbkdf2Sha256(const void* password, size_t passwordSize, const uint8_t* salt, size_t saltSize,
                           uint32_t iterations, uint8_t* key, size_t keySize) {
    if (!FitsUlong(passwordSize) || !FitsUlong(saltSize) || !FitsUlong(keySize))
        return false;
    static const uint8_t kNoPassword = 0; // an empty password still gets a valid pointer
    Algorithm hmac(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    PUCHAR input = In(passwordSize ? password : &kNoPassword);
    return hmac.Get() && Succeeded(Api()->deriveKey(hmac.Get(), input, ULONG(passwordSize), In(salt),
                                                    ULONG(saltSize), iterations, key, ULONG(keySize), 0));
}

bool AesGcmEncrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* plain, size_t size, uint8_t* cipher, uint8_t* tag) {
    return RunGcm(true, key, nonce, aad, aadSize, plain, size, cipher, tag);
}

bool AesGcmDecrypt(const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, size_t aadSize,
                   const uint8_t* cipher, size_t size, const uint8_t* tag, uint8_t* plain) {
    // A wrong tag (STATUS_AUTH_TAG_MISMATCH) and any other failure alike: nothing is handed out.
    bool ok = RunGcm(false, key, nonce, aad, aadSize, cipher, size, plain, tag);
    if (!ok)
        WipeSecret(plain, size);
    return ok;
}

bool RandomBytes(uint8_t* out, size_t size) {
    return FitsUlong(size) && Api() &&
           Succeeded(Api()->genRandom(nullptr, out, ULONG(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

void WipeSecret(void* data, size_t size) {
    if (size)
        SecureZeroMemory(data, size);
}
