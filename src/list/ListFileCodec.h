// A list file's bytes and what they stand for, for every kind of list file: bytes, kind and password or
// key in, entries and encoding out, and back. No file access and no questions: the program and the cli
// read and write the files, ask for passwords and choose their own message for each result.
#pragma once
#include <string>
#include <vector>

#include "common/AnsiCodePage.h"
#include "crypt/PasswordLine.h"
#include "crypt/ProtectedList.h"
#include "list/ListText.h"

enum class ListFileResult {
    Ok,
    NotThisKind,            // no encrypted or protected list at all: its header is not ours
    Damaged,                // our header, but counts, stream or header fields that do not hold together
    WrongPassword,          // an encrypted list that stores another password
    WrongPasswordOrDamaged, // a protected list whose tag did not match: the two cannot be told apart
    NotExact,               // a login or password line that would not come back byte for byte once sealed
    NoMemory,               // a decoder that ran out of memory (elsewhere std::bad_alloc is thrown)
    SystemError,            // the system's cryptography failed
};

// A plain or login list file.
ListFile ReadTextList(const std::string& bytes, ListKind layout, const AnsiCodePage& codePage);
EncodedText WriteTextList(const std::vector<ListEntry>& entries, ListKind layout, TextEncoding encoding,
                          const AnsiCodePage& codePage);

// An encrypted list, opened with password as compared by passwordCase. On anything but Ok, list is empty.
ListFileResult ReadEncryptedList(const std::string& bytes, const std::string& password,
                                 const PasswordCase& passwordCase, const AnsiCodePage& codePage,
                                 ListFile& list);
// The text inside an encrypted list as it is stored (the password line, then the entries, in the file's
// own encoding), and back: for the cli, which keeps a list's bytes as they are.
ListFileResult OpenEncryptedText(const std::string& bytes, std::string& text);
std::string SealEncryptedText(const std::string& text, const std::string& nameField);
// Its file: the password line and the entries (ANSI where the code page holds them), and the name field
// (see EncodeNameField). The bytes hold the password in clear: wipe them once written.
EncodedText WriteEncryptedList(const std::vector<ListEntry>& entries, TextEncoding encoding,
                               const std::string& password, const std::string& nameField,
                               const AnsiCodePage& codePage);

// A protected list's text as the list file it stands for (a login list's fields shifted again), opened
// with a kept key, or with a password (key then gets the file's key). stored is the kind it was sealed as.
// On anything but Ok, listFile is empty.
ListFileResult UnsealListFile(const std::string& bytes, const ProtectionKey& key, ListKind& stored,
                              std::string& listFile);
ListFileResult UnsealListFile(const std::string& bytes, const std::string& password, ProtectionKey& key,
                              ListKind& stored, std::string& listFile);
// The same list file read: as a login list where it was sealed as one and is read as the login list
// (wanted kLoginList), otherwise as plain lines (where a protected list lies decides how it reads).
ListFileResult ReadProtectedList(const std::string& bytes, const ProtectionKey& key, ListKind wanted,
                                 const AnsiCodePage& codePage, ListKind& stored, ListFile& list);
ListFileResult ReadProtectedList(const std::string& bytes, const std::string& password, ProtectionKey& key,
                                 ListKind wanted, const AnsiCodePage& codePage, ListKind& stored,
                                 ListFile& list);

// A list file (plain or login layout) sealed under key: a login list's login and password lines go in
// clear. NotExact where a field byte would turn into a line end and move the lines.
ListFileResult SealListFile(const ProtectionKey& key, ListKind layout, const std::string& listFile,
                            std::string& sealed);
// Entries sealed as the list file of layout in encoding; out.encoding is the one used.
ListFileResult WriteProtectedList(const std::vector<ListEntry>& entries, ListKind layout,
                                  TextEncoding encoding, const ProtectionKey& key,
                                  const AnsiCodePage& codePage, EncodedText& out);

// Whether bytes hold an encrypted or a protected list, by their first bytes alone.
bool HoldsSealedList(const std::string& bytes);
