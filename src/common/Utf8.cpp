// Strict UTF-8 decoding, shared by the list encodings and the password line.
#include "common/Utf8.h"

namespace {
bool InRange(unsigned char c, unsigned char lo, unsigned char hi) {
    return c >= lo && c <= hi;
}
} // namespace

bool DecodeUtf8Char(const std::string& s, size_t& pos, char32_t& cp) {
    unsigned char lead = (unsigned char)s[pos++];
    cp = 0xFFFD;
    if (lead < 0x80) {
        cp = lead;
        return true;
    }
    int more = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t value = 0;
    if (InRange(lead, 0xC2, 0xDF)) {
        more = 1, value = lead & 0x1F;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        more = 2, value = lead & 0x0F;
        lo = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        hi = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (InRange(lead, 0xF0, 0xF4)) {
        more = 3, value = lead & 0x07;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return false;
    }
    for (; more > 0; --more, lo = 0x80, hi = 0xBF) {
        if (pos >= s.size() || !InRange((unsigned char)s[pos], lo, hi))
            return false;
        value = (value << 6) | ((unsigned char)s[pos++] & 0x3F);
    }
    cp = value;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}
