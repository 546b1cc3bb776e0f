// The two text list formats (plain and login), the line rule that reads them and the field shift.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

enum ListKind { kPlainList = 0, kLoginList = 1, kEncryptedList = 2 };

struct ListEntry {
    std::string text; // entry text, or the site label of a login list
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
