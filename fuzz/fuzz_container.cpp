// Any file handed to the encrypted-list reader: refused or decoded, never outside its buffers.
#include "crypt/Container.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text;
    if (ReadEncryptedFile(data, size, text)) {
        // An accepted file holds exactly T bytes of text, and writing them again must read back.
        std::string name(reinterpret_cast<const char*>(data + kNameOffset), data[kNameLengthOffset]);
        std::vector<uint8_t> file = EncryptedListBytes(text, name);
        std::string again;
        if (!ReadEncryptedFile(file.data(), file.size(), again) || again != text)
            std::abort();
    }
    return 0;
}
