// Reading the CSV exports of browsers and password managers (RFC 4180 with the spreadsheets' variations)
// into login entries, in one pass over the file.
#include "list/CsvImport.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_set>

#include "common/Text.h"
#include "common/Wipe.h"

namespace {

void WipeEntries(std::vector<ListEntry>& entries) {
    for (ListEntry& e : entries)
        WipeEntry(e);
    entries.clear();
}

// A UTF-16 file with the big-endian mark reads as its little-endian twin.
std::string CsvText(const std::string& bytes, const AnsiCodePage& codePage) {
    if (bytes.size() < 2 || (unsigned char)bytes[0] != 0xFE || (unsigned char)bytes[1] != 0xFF)
        return DecodeListBytes(bytes, codePage).text;
    std::string swapped = bytes;
    for (size_t i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    std::string text = DecodeListBytes(swapped, codePage).text;
    WipeString(swapped);
    return text;
}

// One record's fields. The strings are reused from record to record and wiped when done with, since
// they hold passwords.
struct Record {
    std::vector<std::string> fields;
    size_t count = 0;
    bool brokenQuote = false;

    ~Record() {
        for (std::string& f : fields)
            WipeString(f);
    }
    std::string& Start() {
        if (count == fields.size())
            fields.emplace_back();
        WipeString(fields[count]);
        return fields[count++];
    }
    const std::string& Field(int column) const {
        static const std::string none;
        return column >= 0 && size_t(column) < count ? fields[size_t(column)] : none;
    }
    bool Blank() const { return count == 1 && fields[0].empty(); }
};

// The rest of a quoted field, past its opening quote: a doubled quote is one quote, and commas and line
// breaks are text. Returns false when the file ends before the closing quote.
bool ReadQuoted(const std::string& text, size_t& pos, std::string& field) {
    for (;;) {
        size_t quote = text.find('"', pos);
        if (quote == std::string::npos) {
            pos = text.size();
            return false;
        }
        field.append(text, pos, quote - pos);
        pos = quote + 1;
        if (pos >= text.size() || text[pos] != '"')
            return true;
        field += '"';
        ++pos;
    }
}

// Reads the record at pos and moves pos past its line break (CR LF, LF or CR). False at the end.
bool ReadRecord(const std::string& text, size_t& pos, char separator, Record& record) {
    record.count = 0;
    if (pos >= text.size())
        return false;
    const char stops[4] = {separator, '\r', '\n', '"'};
    std::string* field = &record.Start();
    size_t fieldStart = pos;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"' && pos == fieldStart) {
            if (!ReadQuoted(text, ++pos, *field))
                record.brokenQuote = true;
        } else if (c == separator) {
            field = &record.Start();
            fieldStart = ++pos;
        } else if (c == '\r' || c == '\n') {
            pos += c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
            break;
        } else {
            // Text up to the next character that matters; a quote inside a field is kept as it is.
            size_t end = text.find_first_of(stops, pos + 1, sizeof stops);
            end = end == std::string::npos ? text.size() : end;
            field->append(text, pos, end - pos);
            pos = end;
        }
    }
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string Trimmed(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

// Where each part of a login is, by the column names of the six exports.
struct Columns {
    int label = -1, url = -1, login = -1, password = -1, totp = -1, type = -1;
};

const struct {
    const char* name;
    int Columns::*role;
} kColumnNames[] = {
    {"name", &Columns::label},
    {"title", &Columns::label},
    {"account", &Columns::label},
    {"url", &Columns::url},
    {"login_uri", &Columns::url},
    {"web site", &Columns::url},
    {"username", &Columns::login},
    {"login_username", &Columns::login},
    {"login name", &Columns::login},
    {"password", &Columns::password},
    {"login_password", &Columns::password},
    {"totp", &Columns::totp},
    {"login_totp", &Columns::totp},
    {"otpauth", &Columns::totp},
    {"type", &Columns::type},
};

Columns ColumnsOf(const Record& header) {
    Columns columns;
    for (size_t i = 0; i < header.count; ++i) {
        std::string name = Lower(Trimmed(header.fields[i]));
        for (const auto& known : kColumnNames)
            if (name == known.name && columns.*known.role < 0)
                columns.*known.role = int(i);
    }
    // Only Bitwarden's export marks what a row is; a "type" column elsewhere is just an extra column.
    if (columns.password >= 0 && Lower(Trimmed(header.fields[size_t(columns.password)])) != "login_password")
        columns.type = -1;
    return columns;
}

// The host of a URL: "https://user@accounts.example.com:8443/login?x" gives "accounts.example.com".
std::string UrlHost(const std::string& url) {
    std::string s = Trimmed(url);
    size_t scheme = s.find("://");
    size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    size_t end = s.find_first_of("/?#", start);
    std::string host = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    size_t colon = host.rfind(':');
    if (colon != std::string::npos && colon + 1 < host.size() &&
        host.find_first_not_of("0123456789", colon + 1) == std::string::npos)
        host.erase(colon);
    return host;
}

// A site label is one line: each line break in it becomes a space.
std::string OneLine(const std::string& label) {
    std::string line;
    line.reserve(label.size());
    for (size_t i = 0; i < label.size(); ++i) {
        char c = label[i];
        if (c == '\r' && i + 1 < label.size() && label[i + 1] == '\n')
            continue;
        line += c == '\r' || c == '\n' ? ' ' : c;
    }
    return line;
}

std::string SiteLabel(const Record& row, const Columns& columns) {
    std::string label = row.Field(columns.label);
    if (label.empty())
        label = UrlHost(row.Field(columns.url));
    if (label.empty())
        label = row.Field(columns.login);
    return OneLine(label);
}

// A login line ends at CR, LF or NUL, and so does a stored field that the shift turns into one of them.
bool BreaksLine(const std::string& field) {
    static const char kBreaking[] = {'\r', '\n', '\0', '\x14', '\x17'};
    return field.find_first_of(kBreaking, 0, sizeof kBreaking) != std::string::npos;
}

// Why a row cannot be kept, or Count when it can.
SkipReason Check(const Record& row, const Columns& columns) {
    if (columns.type >= 0 && Lower(Trimmed(row.Field(columns.type))) != "login")
        return SkipReason::NotALogin;
    const std::string& login = row.Field(columns.login);
    const std::string& password = row.Field(columns.password);
    if (login.empty() && password.empty())
        return SkipReason::Empty;
    if (BreaksLine(login) || BreaksLine(password))
        return SkipReason::LineBreak;
    // A stored "*" is the one space that stands for an empty field.
    if (login == "*" || password == "*")
        return SkipReason::Star;
    return SkipReason::Count;
}

void ReadRows(const std::string& text, size_t pos, char separator, const Columns& columns, LoginCsv& csv) {
    size_t feeds = 0, returns = 0; // rows end in LF, CR LF or CR alone
    for (char c : text) {
        feeds += c == '\n';
        returns += c == '\r';
    }
    // No reallocation: it would leave copies of passwords behind.
    csv.logins.reserve(std::max(feeds, returns) + 1);
    Record row;
    while (ReadRecord(text, pos, separator, row)) {
        if (row.Blank())
            continue;
        if (!row.Field(columns.totp).empty())
            ++csv.totpSecrets;
        SkipReason reason = Check(row, columns);
        if (reason != SkipReason::Count) {
            ++csv.skipped[size_t(reason)];
            continue;
        }
        csv.logins.push_back(
            {SiteLabel(row, columns), row.Field(columns.login), row.Field(columns.password)});
    }
    if (row.brokenQuote) {
        WipeEntries(csv.logins);
        csv.refusal = "not a CSV file (a quoted field does not end)";
    }
}

// Reads the header with commas, or with semicolons when only they split it. Returns the separator, or
// '\0' when the file is not CSV.
char ReadHeader(const std::string& text, size_t& pos, Record& header, std::string& refusal) {
    size_t start = pos;
    char separator = ',';
    ReadRecord(text, pos, separator, header);
    if (header.count == 1) {
        Record semicolons;
        size_t next = start;
        ReadRecord(text, next, ';', semicolons);
        if (semicolons.count > 1) {
            separator = ';';
            pos = next;
            std::swap(header.fields, semicolons.fields);
            std::swap(header.count, semicolons.count);
            header.brokenQuote = semicolons.brokenQuote;
        }
    }
    if (header.brokenQuote)
        refusal = "not a CSV file (a quoted field does not end)";
    return header.brokenQuote ? '\0' : separator;
}

void ReadCsvText(const std::string& text, LoginCsv& csv) {
    if (text.find('\0') != std::string::npos) {
        csv.refusal = "not a CSV file (it holds binary data)";
        return;
    }
    size_t pos = text.find_first_not_of("\r\n"); // blank lines before the header
    if (pos == std::string::npos) {
        csv.refusal = "not a CSV file (it is empty)";
        return;
    }
    Record header;
    char separator = ReadHeader(text, pos, header, csv.refusal);
    if (!separator)
        return;
    Columns columns = ColumnsOf(header);
    if (columns.login < 0)
        csv.refusal = "no login column (username) in its header";
    else if (columns.password < 0)
        csv.refusal = "no password column in its header";
    else
        ReadRows(text, pos, separator, columns, csv);
    csv.understood = csv.refusal.empty();
}

// Entries compared by all three fields, held as indices into one list so no field is copied.
struct EntryHash {
    const std::vector<ListEntry>* list;
    size_t operator()(size_t i) const {
        const ListEntry& e = (*list)[i];
        std::hash<std::string_view> h;
        size_t seed = h(e.text);
        seed ^= h(e.login) + 0x9e3779b9 + (seed << 6) + (seed >> 2);
        seed ^= h(e.password) + 0x9e3779b9 + (seed << 6) + (seed >> 2);
        return seed;
    }
};

struct SameEntry {
    const std::vector<ListEntry>* list;
    bool operator()(size_t a, size_t b) const {
        const ListEntry &x = (*list)[a], &y = (*list)[b];
        return x.text == y.text && x.login == y.login && x.password == y.password;
    }
};

const char* const kReasonNames[] = {
    "not a login",
    "line break in login or password",
    "login or password is *",
    "no login and no password",
    "already in the list",
};
static_assert(sizeof kReasonNames / sizeof kReasonNames[0] == size_t(SkipReason::Count), "a name per reason");

} // namespace

LoginCsv::~LoginCsv() {
    WipeEntries(logins);
}

LoginCsv ReadLoginCsv(const std::string& bytes, const AnsiCodePage& codePage) {
    LoginCsv csv;
    std::string text = CsvText(bytes, codePage);
    ReadCsvText(text, csv);
    WipeString(text);
    return csv;
}

size_t AppendLogins(std::vector<ListEntry>& list, LoginCsv& csv) {
    // Copied into a list of the final size and the old one wiped: growing in place would leave copies.
    std::vector<ListEntry> all;
    all.reserve(list.size() + csv.logins.size());
    all.insert(all.end(), list.begin(), list.end());
    WipeEntries(list);
    std::unordered_set<size_t, EntryHash, SameEntry> seen(all.size() * 2 + 1, EntryHash{&all},
                                                          SameEntry{&all});
    for (size_t i = 0; i < all.size(); ++i)
        seen.insert(i);
    size_t appended = 0;
    for (ListEntry& e : csv.logins) {
        all.push_back(e);
        WipeEntry(e);
        if (seen.insert(all.size() - 1).second) {
            ++appended;
            continue;
        }
        WipeEntry(all.back());
        all.pop_back();
        ++csv.skipped[size_t(SkipReason::AlreadyThere)];
    }
    csv.logins.clear();
    list.swap(all);
    return appended;
}

std::string ImportSummary(const LoginCsv& csv, size_t imported) {
    size_t skipped = 0;
    std::string reasons;
    for (size_t r = 0; r < size_t(SkipReason::Count); ++r) {
        if (!csv.skipped[r])
            continue;
        skipped += csv.skipped[r];
        reasons += (reasons.empty() ? "" : ", ") + std::string(kReasonNames[r]) + ": " +
                   DecimalText((long long)csv.skipped[r]);
    }
    std::string summary =
        "imported " + DecimalText((long long)imported) + ", skipped " + DecimalText((long long)skipped);
    if (!reasons.empty())
        summary += " (" + reasons + ")";
    if (csv.totpSecrets)
        summary +=
            "; " + DecimalText((long long)csv.totpSecrets) + " one-time-code (TOTP) secrets not imported";
    return summary;
}
