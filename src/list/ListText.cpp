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

// Reads one field's bytes into text, and keeps the bytes where writing the text back would not give them.
void ReadField(const std::string& bytes, TextEncoding encoding, const AnsiCodePage& codePage, std::string& text,
               std::string& kept) {
    if (encoding != TextEncoding::Utf16Le && !HasNonAscii(bytes)) {
        text = bytes;
        return;
    }
    text = DecodeText(bytes, encoding, codePage);
    std::string back;
    bool exact = EncodeText(text, encoding, codePage, back) && back == bytes;
    WipeString(back);
    if (!exact)
        kept = bytes;
}

// Turns a field's bytes into its text, keeping them where needed.
void ReadStoredField(std::string& field, std::string& kept, TextEncoding encoding, const AnsiCodePage& codePage) {
    std::string text;
    ReadField(field, encoding, codePage, text, kept);
    ReplaceField(field, std::move(text));
}

// Kept bytes go back into a file of their own encoding; UTF-8 with or without its mark is the same text.
bool CanKeep(TextEncoding from, TextEncoding to) {
    auto utf8 = [](TextEncoding e) { return e == TextEncoding::Utf8 || e == TextEncoding::Utf8Bom; };
    return from == to || (utf8(from) && utf8(to));
}

// One field's bytes: those it was read from where they may be kept, else its text in the encoding.
bool FieldBytes(const std::string& text, const std::string& kept, bool keep, TextEncoding encoding,
                const AnsiCodePage& codePage, std::string& bytes) {
    if (keep && !kept.empty()) {
        bytes = kept;
        return true;
    }
    return EncodeText(text, encoding, codePage, bytes);
}

// Turns a field's text into its bytes in encoding; false when the ANSI code page lacks a character.
bool StoreField(std::string& field, const std::string& kept, bool keep, TextEncoding encoding,
                const AnsiCodePage& codePage) {
    std::string bytes;
    bool ok = FieldBytes(field, kept, keep, encoding, codePage, bytes);
    ReplaceField(field, std::move(bytes));
    return ok;
}

// Every field of a login list as bytes in encoding, stopping at the first that does not fit.
bool StoreLoginFields(std::vector<ListEntry>& entries, TextEncoding encoding, const AnsiCodePage& codePage) {
    for (ListEntry& e : entries) {
        bool keep = CanKeep(e.bytesEncoding, encoding);
        if (!StoreField(e.text, e.textBytes, keep, encoding, codePage) ||
            !StoreField(e.login, e.loginBytes, keep, encoding, codePage) ||
            !StoreField(e.password, e.passwordBytes, keep, encoding, codePage))
            return false;
    }
    return true;
}

ListFile ParseLoginListFile(const std::string& bytes, const AnsiCodePage& codePage) {
    bool utf8 = StartsWithUtf8Bom(bytes);
    size_t start = utf8 ? 3 : 0;
    ListFile file{ParseListText(bytes.data() + start, bytes.size() - start, kLoginList),
                  utf8 ? TextEncoding::Utf8Bom : TextEncoding::Ansi};
    for (ListEntry& e : file.entries) {
        e.bytesEncoding = file.encoding;
        ReadStoredField(e.text, e.textBytes, file.encoding, codePage);
        ReadStoredField(e.login, e.loginBytes, file.encoding, codePage);
        ReadStoredField(e.password, e.passwordBytes, file.encoding, codePage);
    }
    return file;
}

EncodedText BuildLoginListFile(const std::vector<ListEntry>& entries, TextEncoding encoding,
                               const AnsiCodePage& codePage) {
    if (encoding == TextEncoding::Ansi) {
        std::vector<ListEntry> ansi = entries;
        bool fits = StoreLoginFields(ansi, TextEncoding::Ansi, codePage);
        std::string bytes = fits ? BuildListText(ansi, kLoginList) : std::string();
        WipeFields(ansi);
        if (fits && !StartsWithUtf8Bom(bytes)) // a first label that would read back as the mark
            return {std::move(bytes), TextEncoding::Ansi};
        WipeString(bytes);
    }
    std::vector<ListEntry> utf8 = entries;
    StoreLoginFields(utf8, TextEncoding::Utf8Bom, codePage);
    EncodedText file = {kUtf8Bom, TextEncoding::Utf8Bom};
    std::string text = BuildListText(utf8, kLoginList);
    WipeFields(utf8);
    file.bytes += text;
    WipeString(text);
    return file;
}

// Where the lines of a text lie in its bytes: after the mark, in code units of one byte, or of two in
// UTF-16 (a unit such as 0x010D holds a CR byte). Half a unit at the end is the tail.
class LineReader {
  public:
    LineReader(const std::string& bytes, TextEncoding encoding)
        : m_bytes(bytes), m_unit(encoding == TextEncoding::Utf16Le ? 2 : 1),
          m_pos(encoding == TextEncoding::Utf8Bom ? 3 : encoding == TextEncoding::Utf16Le ? 2 : 0),
          m_end(m_pos + (bytes.size() - m_pos) / m_unit * m_unit) {}

    bool AtEnd() const { return m_pos >= m_end; }
    // The bytes of the line at the cursor; the cursor stops at its end.
    std::string Line() {
        size_t start = m_pos;
        while (!AtEnd() && !AtLineEnd())
            m_pos += m_unit;
        return m_bytes.substr(start, m_pos - start);
    }
    void SkipLineEnds() {
        while (AtLineEnd())
            m_pos += m_unit;
    }
    // One line end as an encrypted list's password line ends: CR LF, or a CR, LF or NUL alone.
    void SkipOneLineEnd() {
        bool crlf = At('\r', m_pos) && At('\n', m_pos + m_unit);
        m_pos = m_pos + (crlf ? 2 : 1) * m_unit < m_end ? m_pos + (crlf ? 2 : 1) * m_unit : m_end;
    }
    size_t CountLines() const {
        LineReader rest = *this;
        size_t lines = 0;
        for (; !rest.AtEnd(); ++lines) {
            while (!rest.AtEnd() && !rest.AtLineEnd())
                rest.m_pos += m_unit;
            rest.SkipLineEnds();
        }
        return lines;
    }
    std::string Tail() const { return m_bytes.substr(m_end); }

  private:
    bool At(char c, size_t pos) const {
        return pos < m_end && m_bytes[pos] == c && (m_unit == 1 || m_bytes[pos + 1] == '\0');
    }
    bool AtLineEnd() const { return At('\r', m_pos) || At('\n', m_pos) || At('\0', m_pos); }

    const std::string& m_bytes;
    size_t m_unit, m_pos, m_end;
};

// Half a UTF-16 unit at the end of the file stays with the last entry, shown as U+FFFD, and is written
// back at the end of the file.
void KeepTail(ListFile& file, const std::string& tail, const AnsiCodePage& codePage) {
    if (file.entries.empty()) {
        file.entries.emplace_back();
        file.entries.back().bytesEncoding = file.encoding;
    }
    ListEntry& last = file.entries.back();
    if (last.textBytes.empty())
        EncodeText(last.text, file.encoding, codePage, last.textBytes);
    last.textBytes += tail;
    AppendUtf8(last.text, 0xFFFD);
}

ListFile ParsePlainListFile(const std::string& bytes, const AnsiCodePage& codePage, std::string* passwordLine) {
    ListFile file{{}, DetectEncoding(bytes)};
    LineReader lines(bytes, file.encoding);
    if (passwordLine) {
        std::string line = lines.Line();
        ReplaceField(*passwordLine, DecodeText(line, file.encoding, codePage));
        WipeString(line);
        lines.SkipOneLineEnd();
    }
    // Room for every entry up front: a growing vector would give back blocks with passwords in them.
    file.entries.reserve(lines.CountLines() + 1);
    while (!lines.AtEnd()) {
        ListEntry entry;
        entry.bytesEncoding = file.encoding;
        std::string line = lines.Line();
        lines.SkipLineEnds();
        ReadField(line, file.encoding, codePage, entry.text, entry.textBytes);
        WipeString(line);
        file.entries.push_back(std::move(entry));
    }
    std::string tail = lines.Tail();
    if (!tail.empty())
        KeepTail(file, tail, codePage);
    return file;
}

// The lines of a plain list (after the password line, if any) in encoding, without a mark; false when
// the ANSI code page lacks a character.
bool AppendPlainLines(const std::vector<ListEntry>& entries, TextEncoding encoding, const AnsiCodePage& codePage,
                      const std::string* passwordLine, std::string& out) {
    bool utf16 = encoding == TextEncoding::Utf16Le;
    const std::string lineEnd = utf16 ? std::string("\r\0\n\0", 4) : "\r\n";
    const std::string space = utf16 ? std::string(" \0", 2) : " ";
    size_t size = out.size() + 8 + (passwordLine ? 2 * passwordLine->size() : 0);
    for (const ListEntry& e : entries)
        size += 2 * e.text.size() + e.textBytes.size() + 6;
    out.reserve(size); // no reallocation leaves a copy behind
    std::string field, tail;
    bool ok = !passwordLine || EncodeText(*passwordLine, encoding, codePage, field);
    if (passwordLine)
        out.append(field).append(lineEnd);
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        const ListEntry& e = entries[i];
        WipeString(field);
        ok = FieldBytes(e.text, e.textBytes, CanKeep(e.bytesEncoding, encoding), encoding, codePage, field);
        if (utf16 && field.size() % 2 != 0) { // half a unit read at the end of the file goes back there
            tail.assign(1, field.back());
            field.pop_back();
        }
        out.append(field.empty() ? space : field).append(lineEnd);
    }
    out += tail;
    WipeString(field);
    return ok;
}

EncodedText BuildPlainListFile(const std::vector<ListEntry>& entries, TextEncoding encoding,
                               const AnsiCodePage& codePage, const std::string* passwordLine) {
    EncodedText file = {std::string(), encoding};
    if (encoding == TextEncoding::Ansi) {
        // Bytes that would read back as Unicode (UTF-8, or a mark) would change the text.
        if (AppendPlainLines(entries, encoding, codePage, passwordLine, file.bytes) &&
            DetectEncoding(file.bytes) == TextEncoding::Ansi)
            return file;
        WipeString(file.bytes);
        file.encoding = TextEncoding::Utf8Bom;
    }
    file.bytes = file.encoding == TextEncoding::Utf8Bom ? kUtf8Bom
                 : file.encoding == TextEncoding::Utf16Le ? "\xFF\xFE"
                                                           : "";
    AppendPlainLines(entries, file.encoding, codePage, passwordLine, file.bytes);
    bool unmarked = file.encoding == TextEncoding::Utf8 && HasNonAscii(file.bytes);
    if (unmarked && DetectEncoding(file.bytes) != TextEncoding::Utf8) {
        // Too few valid sequences left beside the stray bytes kept to pass for UTF-8: the mark keeps it so.
        std::string marked;
        marked.reserve(3 + file.bytes.size());
        marked.append(kUtf8Bom).append(file.bytes);
        WipeString(file.bytes);
        file = {std::move(marked), TextEncoding::Utf8Bom};
    }
    return file;
}

} // namespace

ListFile ParseListFile(const std::string& bytes, ListKind kind, const AnsiCodePage& codePage,
                       std::string* passwordLine) {
    if (kind == kLoginList)
        return ParseLoginListFile(bytes, codePage);
    return ParsePlainListFile(bytes, codePage, passwordLine);
}

EncodedText BuildListFile(const std::vector<ListEntry>& entries, ListKind kind, TextEncoding encoding,
                          const AnsiCodePage& codePage, const std::string* passwordLine) {
    if (kind == kLoginList)
        return BuildLoginListFile(entries, encoding, codePage);
    return BuildPlainListFile(entries, encoding, codePage, passwordLine);
}

void KeepReadBytes(ListEntry& shown, const ListEntry& read) {
    shown.bytesEncoding = read.bytesEncoding;
    if (shown.text == read.text)
        shown.textBytes = read.textBytes;
    if (shown.login == read.login)
        shown.loginBytes = read.loginBytes;
    if (shown.password == read.password)
        shown.passwordBytes = read.passwordBytes;
}

bool HasReadBytes(const ListEntry& entry) {
    return !entry.textBytes.empty() || !entry.loginBytes.empty() || !entry.passwordBytes.empty();
}

void WipeEntry(ListEntry& entry) {
    for (std::string* field : {&entry.text, &entry.login, &entry.password, &entry.textBytes, &entry.loginBytes,
                               &entry.passwordBytes})
        WipeString(*field);
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
