// The password line of an encrypted list.
#include "crypt/PasswordLine.h"

#include "common/Utf8.h"

namespace {
// Lower case of a Windows-1252 letter, as the system's case-insensitive comparison folds it.
unsigned char FoldAnsiCase(unsigned char c) {
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

// Lower case of a letter of the Latin, Greek and Cyrillic alphabets.
char32_t FoldCase(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c == 0x178)
        return 0xFF;
    bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1))
        return c + 1;
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// The code points of valid UTF-8 (into out, where given); false for anything else.
bool DecodeUtf8(const std::string& text, std::u32string* out) {
    for (size_t pos = 0; pos < text.size();) {
        char32_t c;
        if (!DecodeUtf8Char(text, pos, c))
            return false;
        if (out)
            out->push_back(c);
    }
    return true;
}

bool SameBytesIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAnsiCase(static_cast<unsigned char>(a[i])) != FoldAnsiCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
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
    // One line end, as the line rule reads it: CR LF, or a CR, LF or NUL alone.
    size_t offset = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    return {text.substr(0, end), offset < text.size() ? offset : text.size()};
}

bool PasswordsMatch(const std::string& stored, const std::string& typed) {
    std::u32string a, b;
    if (!DecodeUtf8(stored, &a) || !DecodeUtf8(typed, &b))
        return SameBytesIgnoringCase(stored, typed); // bytes of an ANSI code page
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

namespace {
class FoldedCase : public PasswordCase {
  public:
    bool Same(const std::string& stored, const std::string& typed) const override {
        return PasswordsMatch(stored, typed);
    }
};
} // namespace

const PasswordCase& PortablePasswordCase() {
    static const FoldedCase folded;
    return folded;
}

size_t PasswordUnits(const std::string& password) {
    if (!DecodeUtf8(password, nullptr))
        return password.size();
    size_t units = 0;
    for (char c : password) {
        unsigned char byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80; // a character starts here
        units += byte >= 0xF0;          // and needs a surrogate pair
    }
    return units;
}
