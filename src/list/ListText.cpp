// The list file formats: the line rule, login field shift, and the text built for saving.
#include "list/ListText.h"

#include <cstring>

namespace {

constexpr unsigned char kFieldShift = 10;

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

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

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

void AppendField(std::string& out, const std::string& field) {
    out += field.empty() ? std::string(" ") : field;
    out += "\r\n";
}

} // namespace

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
    std::vector<ListEntry> entries;
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

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool EndsWithIgnoreCase(const std::string& text, const char* suffix3) {
    size_t n = std::strlen(suffix3);
    return text.size() >= n && EqualsIgnoreCase(text.substr(text.size() - n), suffix3);
}

ListKind KindFromName(const std::string& path) {
    if (EndsWithIgnoreCase(path, "plr"))
        return kLoginList;
    if (EndsWithIgnoreCase(path, "ple"))
        return kEncryptedList;
    return kPlainList;
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
