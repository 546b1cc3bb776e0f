// Comparing names without regard to case: file names, extensions and suffixes.
#pragma once
#include <string>

// ASCII letters compared without case; every other byte must match exactly.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);
bool EndsWithIgnoreCase(const std::string& text, const char* suffix);
