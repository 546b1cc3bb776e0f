// The list file formats: the line rule, login field shift, and the text built for saving.
#include "list/ListText.h"

#include "common/Wipe.h"

#include <cstring>

namespace {

constexpr unsigned char kFieldShift = 10;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// Reads the line at pos and moves pos past it and past every line end that follows.
std::string TakeLine(const char* data, size_t size, size_t& pos) {
    size_t start = pos;
    while (pos < size && !IsLineEnd(data[pos]))
        ++pos;
    std::string line(data + start, pos - start);
    while (pos < size && IsLineEnd(data[pos]))
        ++pos;
    return line;
}

void AppendField(std::string& out, const std::string& field) {
    if (field.empty())
        out += ' ';
    else
        out += field; // appended in place: a temporary copy of a password would be freed unwiped
    out += "\r\n";
}

// Replaces a field, wiping what it held (fields are passwords too).
void ReplaceField(std::string& field, std::string value) {
    WipeString(field);
    field.swap(value);
}

void WipeFields(std::vector<ListEntry>& entries) {
    for (ListEntry& e : entries)
        WipeEntry(e);
}

// Converts every field of a login list, stopping at the first that does not convert.
template <typename Convert> bool ConvertFields(std::vector<ListEntry>& entries, Convert convert) {
    for (ListEntry& e : entries)
        if (!convert(e.text) || !convert(e.login) || !convert(e.password))
            return false;
    return true;
}

ListFile ParseLoginListFile(const std::string& bytes, const AnsiCodePage& codePage) {
    bool utf8 = StartsWithUtf8Bom(bytes);
    size_t start = utf8 ? 3 : 0;
    ListFile file{ParseListText(bytes.data() + start, bytes.size() - start, kLoginList),
                  utf8 ? TextEncoding::Utf8Bom : TextEncoding::Ansi};
    ConvertFields(file.entries, [&](std::string& field) {
        ReplaceField(field, utf8 ? ValidUtf8(field) : codePage.ToUtf8(field));
        return true;
    });
    return file;
}

EncodedText BuildLoginListFile(const std::vector<ListEntry>& entries, TextEncoding encoding,
                               const AnsiCodePage& codePage) {
    if (encoding == TextEncoding::Ansi) {
        std::vector<ListEntry> ansi = entries;
        bool fits = ConvertFields(ansi, [&](std::string& field) {
            std::string bytes;
            bool ok = codePage.FromUtf8(field, bytes);
            ReplaceField(field, std::move(bytes));
            return ok;
        });
        std::string bytes = fits ? BuildListText(ansi, kLoginList) : std::string();
        WipeFields(ansi);
        if (fits && !StartsWithUtf8Bom(bytes)) // a first label that would read back as the mark
            return {std::move(bytes), TextEncoding::Ansi};
        WipeString(bytes);
    }
    std::vector<ListEntry> utf8 = entries;
    ConvertFields(utf8, [](std::string& field) {
        ReplaceField(field, ValidUtf8(field));
        return true;
    });
    EncodedText file = {kUtf8Bom, TextEncoding::Utf8Bom};
    std::string text = BuildListText(utf8, kLoginList);
    WipeFields(utf8);
    file.bytes += text;
    WipeString(text);
    return file;
}

} // namespace

void WipeEntry(ListEntry& entry) {
    WipeString(entry.text);
    WipeString(entry.login);
    WipeString(entry.password);
}

ListFile ParseListFile(const std::string& bytes, ListKind kind, const AnsiCodePage& codePage) {
    if (kind == kLoginList)
        return ParseLoginListFile(bytes, codePage);
    // Decoding first lets the line rule see code units: a UTF-16 unit such as 0x010D holds a CR byte.
    DecodedText decoded = DecodeListBytes(bytes, codePage);
    ListFile file{ParseListText(decoded.text.data(), decoded.text.size(), kind), decoded.encoding};
    WipeString(decoded.text); // a protected list's whole text
    return file;
}

EncodedText BuildListFile(const std::vector<ListEntry>& entries, ListKind kind, TextEncoding encoding,
                          const AnsiCodePage& codePage) {
    if (kind == kLoginList)
        return BuildLoginListFile(entries, encoding, codePage);
    std::string text = BuildListText(entries, kind);
    EncodedText file = EncodeListText(text, encoding, codePage);
    WipeString(text);
    return file;
}

std::string ShiftLoginField(const std::string& clear) {
    std::string stored = clear;
    for (char& c : stored)
        c = char((unsigned char)c - kFieldShift);
    return stored;
}

std::string UnshiftLoginField(const std::string& stored) {
    // An empty field is saved as one unshifted space; read it back as empty rather than as "*".
    if (stored == " ")
        return std::string();
    std::string clear = stored;
    for (char& c : clear)
        c = char((unsigned char)c + kFieldShift);
    return clear;
}

std::vector<ListEntry> ParseListText(const char* data, size_t size, ListKind kind) {
    // Room for every entry up front: a growing vector would give back blocks with short passwords in them.
    size_t lines = 0;
    for (size_t pos = 0; pos < size; ++lines) {
        while (pos < size && !IsLineEnd(data[pos]))
            ++pos;
        while (pos < size && IsLineEnd(data[pos]))
            ++pos;
    }
    std::vector<ListEntry> entries;
    entries.reserve(kind == kLoginList ? (lines + 2) / 3 : lines);
    size_t pos = 0;
    while (pos < size) {
        ListEntry entry;
        entry.text = TakeLine(data, size, pos);
        if (kind == kLoginList) {
            // A file that ends inside a group leaves empty fields, so the boxes stay aligned.
            entry.login = UnshiftLoginField(TakeLine(data, size, pos));
            entry.password = UnshiftLoginField(TakeLine(data, size, pos));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string BuildListText(const std::vector<ListEntry>& entries, ListKind kind) {
    std::string out;
    size_t reserve = 0;
    for (const ListEntry& e : entries)
        reserve += e.text.size() + e.login.size() + e.password.size() + 9;
    out.reserve(reserve);
    for (const ListEntry& e : entries) {
        AppendField(out, e.text);
        if (kind == kLoginList) {
            AppendField(out, e.login.empty() ? e.login : ShiftLoginField(e.login));
            AppendField(out, e.password.empty() ? e.password : ShiftLoginField(e.password));
        }
    }
    return out;
}

namespace {

// Shifts the login and password lines of a login list text in place, found by the same line rule that
// ParseListText reads them with.
std::string ShiftLoginLines(std::string text, int delta) {
    size_t pos = 0;
    for (size_t line = 0; pos < text.size(); ++line) {
        size_t start = pos;
        while (pos < text.size() && !IsLineEnd(text[pos]))
            ++pos;
        bool field = line % 3 != 0;
        if (field && !(pos - start == 1 && text[start] == ' '))
            for (size_t i = start; i < pos; ++i)
                text[i] = char((unsigned char)text[i] + delta);
        while (pos < text.size() && IsLineEnd(text[pos]))
            ++pos;
    }
    return text;
}

} // namespace

std::string UnshiftLoginText(const std::string& stored) { return ShiftLoginLines(stored, kFieldShift); }

std::string ShiftLoginText(const std::string& clear) { return ShiftLoginLines(clear, -int(kFieldShift)); }
