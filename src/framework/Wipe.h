// Wiping secrets: passwords and list texts are overwritten before their memory is dropped or reused.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline void WipeString(std::string& s) {
    if (!s.empty())
        SecureZeroMemory(&s[0], s.size());
    s.clear();
}

inline void WipeBytes(std::vector<uint8_t>& bytes) {
    if (!bytes.empty())
        SecureZeroMemory(bytes.data(), bytes.size());
}
