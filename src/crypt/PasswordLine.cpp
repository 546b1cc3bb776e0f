// The password line of an encrypted list.
#include "crypt/PasswordLine.h"

namespace {
// Lower case of a Windows-1252 letter, as the system's case-insensitive comparison folds it.
unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A; // S with caron
    case 0x8C: return 0x9C; // OE
    case 0x8E: return 0x9E; // Z with caron
    case 0x9F: return 0xFF; // Y with diaeresis
    default: return c;
    }
}
} // namespace

std::string ComposePasswordLine(const std::string& password, const std::string& listText) {
    // Reserved up front so that no reallocation leaves a copy of the password behind.
    std::string text;
    text.reserve(password.size() + 2 + listText.size());
    text.append(password).append("\r\n").append(listText);
    return text;
}

PasswordLine SplitPasswordLine(const std::string& text) {
    size_t end = text.find_first_of(std::string("\r\n\0", 3));
    if (end == std::string::npos)
        end = text.size();
    size_t offset = end + 2;
    return {text.substr(0, end), offset < text.size() ? offset : text.size()};
}

bool PasswordsMatch(const std::string& stored, const std::string& typed) {
    if (stored.size() != typed.size())
        return false;
    for (size_t i = 0; i < stored.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(stored[i])) != FoldCase(static_cast<unsigned char>(typed[i])))
            return false;
    return true;
}
