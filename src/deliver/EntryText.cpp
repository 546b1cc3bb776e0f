// Entry texts in UTF-8: the list boxes hold UTF-16, and every character of it is sent as it stands.
#include "deliver/EntryText.h"

#include "common/Wipe.h"

std::string EntryText(HWND box, int index) {
    LRESULT length = SendMessageW(box, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::wstring wide(size_t(length) + 1, L'\0');
    LRESULT got = SendMessageW(box, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&wide[0]));
    int units = got == LB_ERR || got < 0 ? 0 : int(got);
    // Measured first, so the text is written once and leaves no copies behind.
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &text[0], bytes, nullptr, nullptr);
    WipeMemory(&wide[0], wide.size() * sizeof(wchar_t)); // the text may be a password
    return text;
}
