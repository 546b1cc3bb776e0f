// Text inside the program is UTF-8; the system's wide (UTF-16) calls get it through this one pair.
#pragma once
#include <windows.h>

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* wide, size_t length);
inline std::string Narrow(const std::wstring& wide) { return Narrow(wide.data(), wide.size()); }

// Overwrites a wide copy of a secret before it goes.
void WipeWide(std::wstring& wide);
