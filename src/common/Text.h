// Comparing names without regard to case: file names, extensions and suffixes.
#pragma once
#include <string>

// ASCII letters compared without case; every other byte must match exactly.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
bool EndsWithIgnoreCase(const std::string& text, const char* suffix);

// Numbers as text without the C library's formatter (which would double the program's size).
std::string DecimalText(long long value);
std::string HexText(unsigned long long value); // lower-case digits, no prefix
