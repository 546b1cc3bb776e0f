// The two text list formats (plain and login), the line rule that reads them and the field shift.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

enum ListKind { kPlainList = 0, kLoginList = 1, kEncryptedList = 2 };

struct ListEntry {
    std::string text;  // entry text, or the site label of a login list
    std::string login;
    std::string password;
};

// Splits a whole file text into entries: any run of CR, LF and NUL ends a line, empty lines vanish,
// except that a text starting with such a run yields one empty entry first. A login list takes the
// lines three at a time and unshifts login and password.
std::vector<ListEntry> ParseListText(const char* data, size_t size, ListKind kind);

// The file text of a list: every field followed by CR LF, an empty field as one space, login and
// password shifted (login list only).
std::string BuildListText(const std::vector<ListEntry>& entries, ListKind kind);

// One field line of a login list as stored, and back.
std::string ShiftLoginField(const std::string& clear);
std::string UnshiftLoginField(const std::string& stored);

// The kind a file name implies by its last three characters (any case): "plr" login, "ple" encrypted.
ListKind KindFromName(const std::string& path);

bool EqualsIgnoreCase(const std::string& a, const std::string& b);
bool EndsWithIgnoreCase(const std::string& text, const char* suffix3);

// A login list file's text with every login and password line turned to clear bytes, or back to the
// stored shift. Everything else stays byte for byte: line ends, site labels, and fields stored as the
// one space of an empty field. The clear form is what a plain list file of the same lines would hold.
std::string UnshiftLoginText(const std::string& stored);
std::string ShiftLoginText(const std::string& clear);
