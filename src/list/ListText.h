// The two text list formats (plain and login), the line rule that reads them and the field shift.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/ListKind.h"
#include "list/TextEncoding.h"

struct ListEntry {
    std::string text; // entry text, or the site label of a login list
    std::string login;
    std::string password;
    // The bytes a field was read from (a login list's fields in clear), where writing its text back would
    // not give them: bytes that do not decode, which show as U+FFFD. Set only while the field still holds
    // the text read from them; an empty one means the text is written.
    std::string textBytes{};
    std::string loginBytes{};
    std::string passwordBytes{};
    TextEncoding bytesEncoding = TextEncoding::Ansi; // the encoding of the file they were read from
};

// Gives shown, an entry as the list shows it now, the bytes of read (the same entry as it was read) for
// every field whose text is as it was read.
void KeepReadBytes(ListEntry& shown, const ListEntry& read);
bool HasReadBytes(const ListEntry& entry);
// Overwrites an entry's texts and empties them (a protected list's entries are secrets, too).
void WipeEntry(ListEntry& entry);

// Splits a whole file text into entries: any run of CR, LF and NUL ends a line, empty lines vanish,
// except that a text starting with such a run yields one empty entry first. A login list takes the
// lines three at a time and unshifts login and password.
std::vector<ListEntry> ParseListText(const char* data, size_t size, ListKind kind);

// The file text of a list: every field followed by CR LF, an empty field as one space, login and
// password shifted (login list only).
std::string BuildListText(const std::vector<ListEntry>& entries, ListKind kind);

// A plain or login list file read into UTF-8 entries, and the encoding to write it back in. A login
// list is UTF-8 only behind a UTF-8 mark: its shifted fields could pass for UTF-8 by chance, so
// without the mark it reads as ANSI, as it always has. Its fields are shifted as bytes either way.
// Each entry keeps the bytes it was read from where its text would not write them back; half a UTF-16
// code unit at the end belongs to the last entry. With passwordLine, the text is an encrypted list's
// (plain): its first line is the stored password, read into passwordLine.
struct ListFile {
    std::vector<ListEntry> entries;
    TextEncoding encoding;
};
ListFile ParseListFile(const std::string& bytes, ListKind kind, const AnsiCodePage& codePage,
                       std::string* passwordLine = nullptr);

// The file bytes of a plain or login list in the given encoding, or in UTF-8 with its mark where an
// ANSI file cannot hold the text (a login list is never written as UTF-16 or unmarked UTF-8), or where
// unmarked UTF-8 with stray bytes would no longer read as UTF-8. A field with bytes kept from a file of
// the same encoding is written from them; ANSI bytes are not kept in a file that turns into UTF-8, whose
// text was read exactly. With passwordLine, an encrypted list's text (plain) starting with it.
EncodedText BuildListFile(const std::vector<ListEntry>& entries, ListKind kind, TextEncoding encoding,
                          const AnsiCodePage& codePage, const std::string* passwordLine = nullptr);

// One field line of a login list as stored, and back.
std::string ShiftLoginField(const std::string& clear);
std::string UnshiftLoginField(const std::string& stored);

// A login list file's text with every login and password line turned to clear bytes, or back to the
// stored shift. Everything else stays byte for byte: line ends, site labels, and fields stored as the
// one space of an empty field. The clear form is what a plain list file of the same lines would hold.
std::string UnshiftLoginText(const std::string& stored);
std::string ShiftLoginText(const std::string& clear);
