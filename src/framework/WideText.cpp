// UTF-8 to UTF-16 and back for the wide calls; invalid sequences become U+FFFD.
#include "framework/WideText.h"

#include <climits>

#include "common/Wipe.h"

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > size_t(INT_MAX))
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const wchar_t* wide, size_t length) {
    if (length == 0 || length > size_t(INT_MAX))
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, int(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, int(length), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

void WipeWide(std::wstring& wide) {
    if (!wide.empty())
        WipeMemory(&wide[0], wide.size() * sizeof(wchar_t));
    wide.clear();
}
