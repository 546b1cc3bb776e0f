// Wiping secrets: passwords and list texts are overwritten before their memory is dropped or reused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes through a volatile pointer, so the compiler cannot drop the stores as dead.
inline void WipeMemory(void* data, size_t size) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (size--)
        *p++ = 0;
}

inline void WipeString(std::string& s) {
    if (!s.empty())
        WipeMemory(&s[0], s.size());
    s.clear();
}

inline void WipeBytes(std::vector<uint8_t>& bytes) {
    if (!bytes.empty())
        WipeMemory(bytes.data(), bytes.size());
}
