// List file encodings: detection, reading into UTF-8, writing back, Windows-1252 and UTF-8 / UTF-16.
#include "list/TextEncoding.h"

#include "common/Utf8.h"
#include "common/Wipe.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool InRange(unsigned char c, unsigned char lo, unsigned char hi) {
    return c >= lo && c <= hi;
}

// One character, U+FFFD for an invalid part.
char32_t NextCodePoint(const std::string& utf8, size_t& pos) {
    char32_t cp;
    DecodeUtf8Char(utf8, pos, cp);
    return cp;
}

void AppendUtf16Le(std::string& out, char16_t unit) {
    out += char(unit & 0xFF);
    out += char(unit >> 8);
}

std::string Utf16LeBytesToUtf8(const std::string& bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    size_t pos = 0;
    for (; pos + 1 < bytes.size(); pos += 2)
        units += char16_t((unsigned char)bytes[pos] | ((unsigned char)bytes[pos + 1] << 8));
    std::string text = Utf16ToUtf8(units);
    if (!units.empty())
        WipeMemory(&units[0], units.size() * sizeof(char16_t));
    if (pos < bytes.size())
        AppendUtf8(text, kReplacement); // half a code unit at the end
    return text;
}

std::string Utf8ToUtf16LeBytes(const std::string& utf8) {
    std::u16string units = Utf8ToUtf16(utf8);
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units)
        AppendUtf16Le(bytes, unit);
    if (!units.empty())
        WipeMemory(&units[0], units.size() * sizeof(char16_t));
    return bytes;
}

// Unmarked bytes that are UTF-8 but for a few stray bytes, which an ANSI reading would turn into
// mis-read characters for good.
bool LooksLikeUtf8(const std::string& bytes) {
    size_t valid = 0, stray = 0;
    char32_t cp;
    for (size_t pos = 0; pos < bytes.size();) {
        size_t start = pos;
        bool ok = DecodeUtf8Char(bytes, pos, cp);
        if (!ok)
            stray += pos - start;
        else if (cp >= 0x80)
            ++valid;
    }
    return stray == 0 ? valid > 0 : valid >= 2 && stray <= valid / 10;
}

class Cp1252 : public AnsiCodePage {
  public:
    std::string ToUtf8(const std::string& ansi) const override {
        std::string out;
        out.reserve(ansi.size());
        for (char c : ansi) {
            unsigned char b = (unsigned char)c;
            AppendUtf8(out, InRange(b, 0x80, 0x9F) ? char32_t(kCp1252High[b - 0x80]) : char32_t(b));
        }
        return out;
    }
    bool FromUtf8(const std::string& utf8, std::string& ansi) const override {
        ansi.clear();
        ansi.reserve(utf8.size());
        for (size_t pos = 0; pos < utf8.size();) {
            char32_t cp;
            int byte = DecodeUtf8Char(utf8, pos, cp) ? ByteOf(cp) : -1;
            if (byte < 0)
                return false;
            ansi += char(byte);
        }
        return true;
    }

  private:
    static int ByteOf(char32_t cp) {
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
            return int(cp);
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == cp)
                return 0x80 + i;
        return -1;
    }
};

} // namespace

const char kUtf8Bom[4] = "\xEF\xBB\xBF";

bool HasNonAscii(const std::string& bytes) {
    for (char c : bytes)
        if ((unsigned char)c >= 0x80)
            return true;
    return false;
}

const AnsiCodePage& Windows1252() {
    static const Cp1252 codePage;
    return codePage;
}

bool StartsWithUtf8Bom(const std::string& bytes) {
    return bytes.compare(0, 3, kUtf8Bom) == 0;
}

TextEncoding DetectEncoding(const std::string& bytes) {
    if (StartsWithUtf8Bom(bytes))
        return TextEncoding::Utf8Bom;
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE)
        return TextEncoding::Utf16Le;
    return LooksLikeUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

std::string DecodeText(const std::string& bytes, TextEncoding encoding, const AnsiCodePage& codePage) {
    switch (encoding) {
    case TextEncoding::Ansi: return codePage.ToUtf8(bytes);
    case TextEncoding::Utf16Le: return Utf16LeBytesToUtf8(bytes);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: break;
    }
    return ValidUtf8(bytes);
}

bool EncodeText(const std::string& utf8, TextEncoding encoding, const AnsiCodePage& codePage, std::string& bytes) {
    switch (encoding) {
    case TextEncoding::Ansi: return codePage.FromUtf8(utf8, bytes);
    case TextEncoding::Utf16Le: bytes = Utf8ToUtf16LeBytes(utf8); return true;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: break;
    }
    bytes = ValidUtf8(utf8);
    return true;
}

DecodedText DecodeListBytes(const std::string& bytes, const AnsiCodePage& codePage) {
    TextEncoding encoding = DetectEncoding(bytes);
    size_t mark = encoding == TextEncoding::Utf8Bom ? 3 : encoding == TextEncoding::Utf16Le ? 2 : 0;
    std::string text = bytes.substr(mark);
    DecodedText decoded = {DecodeText(text, encoding, codePage), encoding};
    WipeString(text); // lists hold passwords
    return decoded;
}

namespace {
// The UTF-8 mark and the text; lists hold passwords, so the copy made on the way is wiped.
EncodedText WithMark(const std::string& utf8, TextEncoding encoding) {
    std::string valid = ValidUtf8(utf8);
    EncodedText out = {std::string(), encoding};
    out.bytes.reserve(3 + valid.size());
    out.bytes.append(kUtf8Bom).append(valid);
    WipeString(valid);
    return out;
}
} // namespace

EncodedText EncodeListText(const std::string& utf8, TextEncoding encoding, const AnsiCodePage& codePage) {
    switch (encoding) {
    case TextEncoding::Ansi: {
        // Bytes that would read back as Unicode (valid UTF-8, or a mark) would change the text.
        std::string ansi;
        if (codePage.FromUtf8(utf8, ansi) && DetectEncoding(ansi) == TextEncoding::Ansi)
            return {std::move(ansi), TextEncoding::Ansi};
        WipeString(ansi);
        return WithMark(utf8, TextEncoding::Utf8Bom);
    }
    case TextEncoding::Utf8: return {ValidUtf8(utf8), encoding};
    case TextEncoding::Utf8Bom: return WithMark(utf8, encoding);
    case TextEncoding::Utf16Le: break;
    }
    std::string units = Utf8ToUtf16LeBytes(utf8);
    EncodedText out = {"\xFF\xFE", TextEncoding::Utf16Le};
    out.bytes.append(units);
    WipeString(units);
    return out;
}

bool IsValidUtf8(const std::string& text) {
    char32_t cp;
    for (size_t pos = 0; pos < text.size();)
        if (!DecodeUtf8Char(text, pos, cp))
            return false;
    return true;
}

std::string ValidUtf8(const std::string& text) {
    if (IsValidUtf8(text))
        return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t pos = 0; pos < text.size();)
        AppendUtf8(out, NextCodePoint(text, pos));
    return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = NextCodePoint(utf8, pos);
        if (cp < 0x10000) {
            out += char16_t(cp);
        } else {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t unit = utf16[i];
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[++i] - 0xDC00));
        else
            AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    return out;
}
