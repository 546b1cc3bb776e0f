// The system's conversions behind the ANSI code page of list files.
#include "list/AnsiCodePageWin.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace {
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

int CheckedLength(size_t size) {
    if (size > size_t(INT_MAX))
        throw std::length_error("text too long to convert");
    return int(size);
}
} // namespace

WinAnsiCodePage::WinAnsiCodePage(unsigned codePage) : m_codePage(codePage == CP_ACP ? GetACP() : codePage) {}

std::string WinAnsiCodePage::ToUtf8(const std::string& ansi) const {
    // A system set to UTF-8 as its ANSI code page (a Windows 10 option) needs no conversion.
    if (m_codePage == CP_UTF8 || ansi.empty())
        return ValidUtf8(ansi);
    int size = CheckedLength(ansi.size());
    int count = MultiByteToWideChar(m_codePage, 0, ansi.data(), size, nullptr, 0);
    if (count <= 0)
        throw std::runtime_error("the code page cannot be read");
    std::wstring wide(size_t(count), L'\0');
    MultiByteToWideChar(m_codePage, 0, ansi.data(), size, &wide[0], count);
    // The system reads a byte its code page has no character for as a private-use character (0xAA of
    // Windows-1253 as U+F8F9): show and type it as U+FFFD, its bytes are kept apart.
    for (wchar_t& unit : wide)
        if (unit >= 0xE000 && unit <= 0xF8FF)
            unit = 0xFFFD;
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

bool WinAnsiCodePage::FromUtf8(const std::string& utf8, std::string& ansi) const {
    ansi.clear();
    if (!IsValidUtf8(utf8))
        return false;
    if (m_codePage == CP_UTF8 || utf8.empty()) {
        ansi = utf8;
        return true;
    }
    std::u16string units = Utf8ToUtf16(utf8);
    std::wstring wide(units.begin(), units.end());
    int size = CheckedLength(wide.size());
    // No best fit: a character without its own byte must not turn into a look-alike or '?'.
    BOOL usedDefault = FALSE;
    int count = WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide.c_str(), size, nullptr, 0, nullptr,
                                    &usedDefault);
    if (count <= 0 || usedDefault)
        return false;
    ansi.assign(size_t(count), '\0');
    WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide.c_str(), size, &ansi[0], count, nullptr,
                        &usedDefault);
    if (usedDefault)
        ansi.clear();
    return !usedDefault;
}

bool IsInstalledCodePage(unsigned codePage) {
    return IsValidCodePage(codePage) != FALSE;
}
