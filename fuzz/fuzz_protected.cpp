// Any file handed to the protected-list reader: refused or opened, never outside its buffers. The
// input's salt and iteration count are replaced by a fixed key's, so that the reader gets as far as
// the cipher without a derivation per input; and any input sealed as a list text reads back.
#include "crypt/ProtectedList.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

ProtectionKey FixedKey() {
    const uint8_t salt[kProtectedSaltSize] = {};
    ProtectionKey key;
    if (key.Derive("fuzz", salt, kMinIterations) != ProtectResult::Ok)
        std::abort();
    return key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ProtectionKey key = FixedKey();
    ProtectedHeader header;
    ReadProtectedHeader(data, size, header);

    std::vector<uint8_t> file(data, data + size);
    if (size >= kProtectedHeaderSize) {
        for (int i = 0; i < 4; i++)
            file[12 + size_t(i)] = uint8_t(kMinIterations >> (8 * i));
        std::memcpy(&file[16], key.Salt(), kProtectedSaltSize);
    }
    ListKind kind = kPlainList;
    std::string text;
    OpenProtectedList(file.data(), file.size(), key, kind, text);

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> sealed;
    if (SealProtectedList(key, kLoginList, input, sealed) != ProtectResult::Ok ||
        OpenProtectedList(sealed.data(), sealed.size(), key, kind, text) != ProtectResult::Ok || text != input ||
        kind != kLoginList)
        std::abort();
    return 0;
}
