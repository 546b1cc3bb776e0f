// Importing logins from CSV exports: one file per export format, the refusals, and appending to a list.
#include "list/CsvImport.h"

#include <gtest/gtest.h>

namespace {

using Logins = std::vector<std::vector<std::string>>;

Logins AsRows(const std::vector<ListEntry>& entries) {
    Logins rows;
    for (const ListEntry& e : entries)
        rows.push_back({e.text, e.login, e.password});
    return rows;
}

std::string Utf16LeWithMark(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return bytes;
}

std::string Utf16BeWithMark(const std::string& utf8) {
    std::string bytes = Utf16LeWithMark(utf8);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

TEST(CsvImport, ReadsTheExportOfEachBrowserAndPasswordManager) {
    const struct {
        const char* format;
        std::string bytes;
        Logins logins;
        const char* summary;
    } cases[] = {
        {"browsers: quotes, commas, doubled quotes, a note over two lines, CR LF",
         "name,url,username,password,note\r\n"
         "\"Mail, personal\",https://mail.example.com/,ann,\"pa\"\"ss,word\",\"line one\r\nline two\"\r\n"
         ",https://accounts.example.com/login,bob,secret,\r\n"
         "\r\n",
         {{"Mail, personal", "ann", "pa\"ss,word"}, {"accounts.example.com", "bob", "secret"}},
         "imported 2, skipped 0"},
        {"Firefox: UTF-8 mark, every field quoted, LF rows, non-ASCII, a port",
         "\xEF\xBB\xBF\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
         "\"timeCreated\",\"timeLastUsed\",\"timePasswordChanged\"\n"
         "\"https://j\xC3\xBCrgen@www.example.org:8443/a?b\",\"j\xC3\xBCrgen\",\"p\xC3\xA4ss\",\"\","
         "\"https://www.example.org\",\"{1}\",\"1\",\"2\",\"3\"\n",
         {{"www.example.org", "j\xC3\xBCrgen", "p\xC3\xA4ss"}},
         "imported 1, skipped 0"},
        {"Bitwarden: only logins, the one-time-code secret counted",
         "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_"
         "totp\n"
         "Work,1,login,Git,\"multi\nline, note\",,0,https://git.example.com,dev,hunter2,otpauth://totp/x\n"
         ",,note,Secret note,text,,,,,,\n"
         ",,LOGIN,,,,,,,,\n",
         {{"Git", "dev", "hunter2"}},
         "imported 1, skipped 2 (not a login: 1, no login and no password: 1); "
         "1 one-time-code (TOTP) secrets not imported"},
        {"KeePassXC: UTF-16 with its mark, a label with a line break, no label or URL",
         Utf16LeWithMark(
             "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\"\r\n"
             "\"Root\",\"\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0\r\nmail\",\"ivan\",\"\xE2\x82\xAC"
             "1\","
             "\"\",\"\",\"\",\"0\"\r\n"
             "\"Root\",\"\",\"only-login\",\"pw\",\"\",\"\",\"\",\"0\"\r\n"),
         {{"\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 mail", "ivan",
           "\xE2\x82\xAC"
           "1"},
          {"only-login", "only-login", "pw"}},
         "imported 2, skipped 0"},
        {"LastPass: a secure note, a star, a line break in a password",
         "url,username,password,totp,extra,name,grouping,fav\n"
         "https://shop.example.com,me,pw1,,,Shop,,0\n"
         "http://sn,,,,note text,Note,,0\n"
         "https://a.example.com,*,pw2,,,A,,0\n"
         "https://b.example.com,me,\"two\nlines\",JBSWY3DP,,B,,0\n",
         {{"Shop", "me", "pw1"}},
         "imported 1, skipped 3 (line break in login or password: 1, login or password is *: 1, "
         "no login and no password: 1); 1 one-time-code (TOTP) secrets not imported"},
        {"KeePass 2 re-saved by a spreadsheet: semicolons, Windows-1252",
         "Account;Login Name;Password;Web Site;Comments\r\n"
         "Caf\xE9;gar\xE7on;x,y;http://cafe.example.com;\"a;b\"\r\n",
         {{"Caf\xC3\xA9", "gar\xC3\xA7on", "x,y"}},
         "imported 1, skipped 0"},
        {"columns in another order and case, extra columns, UTF-16 big-endian",
         Utf16BeWithMark("Extra,PASSWORD,UserName,URL\nq,pw,u,https://x.example.com\n"),
         {{"x.example.com", "u", "pw"}},
         "imported 1, skipped 0"},
    };
    for (const auto& c : cases) {
        LoginCsv csv = ReadLoginCsv(c.bytes, Windows1252());
        EXPECT_TRUE(csv.understood) << c.format << ": " << csv.refusal;
        EXPECT_EQ(AsRows(csv.logins), c.logins) << c.format;
        std::vector<ListEntry> list;
        size_t imported = AppendLogins(list, csv);
        EXPECT_EQ(ImportSummary(csv, imported), c.summary) << c.format;
    }
}

TEST(CsvImport, RefusesFilesWithoutLoginsWithAReason) {
    const struct {
        std::string bytes;
        const char* refusal;
    } cases[] = {
        {"", "not a CSV file (it is empty)"},
        {"\r\n\r\n", "not a CSV file (it is empty)"},
        {"name,url,password\nA,https://a,pw\n", "no login column (username) in its header"},
        {"name;username;notes\n", "no password column in its header"},
        {"Just some notes\nthat are not a table\n", "no login column (username) in its header"},
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "not a CSV file (it holds binary data)"},
        {"name,username,password\nA,me,\"never closed\n", "not a CSV file (a quoted field does not end)"},
    };
    for (const auto& c : cases) {
        LoginCsv csv = ReadLoginCsv(c.bytes, Windows1252());
        EXPECT_FALSE(csv.understood) << c.bytes;
        EXPECT_EQ(csv.refusal, c.refusal) << c.bytes;
        EXPECT_TRUE(csv.logins.empty()) << c.bytes;
    }
}

TEST(CsvImport, AppendsAfterTheListAndSkipsLoginsAlreadyThere) {
    std::vector<ListEntry> list = {{"b", "y", "2"}, {"a", "x", "1"}};
    LoginCsv csv = ReadLoginCsv("name,username,password\n"
                                "a,x,1\n"  // already in the list
                                "a,x,11\n" // another password: a login of its own
                                "c,z,3\n"
                                "c,z,3\n", // twice in the file
                                Windows1252());
    size_t imported = AppendLogins(list, csv);
    EXPECT_EQ(imported, 2u);
    EXPECT_EQ(AsRows(list), (Logins{{"b", "y", "2"}, {"a", "x", "1"}, {"a", "x", "11"}, {"c", "z", "3"}}));
    EXPECT_EQ(ImportSummary(csv, imported), "imported 2, skipped 2 (already in the list: 2)");
}

} // namespace
