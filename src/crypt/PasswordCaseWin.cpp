// Passwords compared by the system, so that letter case is ignored exactly as Windows ignores it.
#include "crypt/PasswordCaseWin.h"

#include <windows.h>

#include <climits>

namespace {
// The wide text of a password; false when its bytes do not decode.
bool Decode(unsigned codePage, const std::string& text, std::wstring& wide) {
    if (text.empty())
        return true;
    if (text.size() > size_t(INT_MAX))
        return false;
    DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int size = int(text.size());
    int count = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (count <= 0)
        return false;
    wide.assign(size_t(count), L'\0');
    return MultiByteToWideChar(codePage, flags, text.data(), size, &wide[0], count) == count;
}

void Wipe(std::wstring& wide) {
    if (!wide.empty())
        SecureZeroMemory(&wide[0], wide.size() * sizeof(wchar_t));
}
} // namespace

WinPasswordCase::WinPasswordCase(unsigned codePage) : m_codePage(codePage) {}

bool WinPasswordCase::Same(const std::string& stored, const std::string& typed) const {
    std::wstring a, b;
    bool same = Decode(m_codePage, stored, a) && Decode(m_codePage, typed, b) &&
                CompareStringW(GetThreadLocale(), NORM_IGNORECASE, a.c_str(), int(a.size()), b.c_str(),
                               int(b.size())) == CSTR_EQUAL;
    Wipe(a);
    Wipe(b);
    return same;
}

const PasswordCase& SystemPasswordCase() {
    static const WinPasswordCase utf8(CP_UTF8);
    return utf8;
}
