// Comparing names without regard to case.
#include "common/Text.h"

#include <cstring>

namespace {
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
} // namespace

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool EndsWithIgnoreCase(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && EqualsIgnoreCase(text.substr(text.size() - n), suffix);
}

std::string HexText(unsigned long long value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value);
    return digits;
}

std::string DecimalText(long long value) {
    unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value) : value;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    return value < 0 ? "-" + digits : digits;
}
