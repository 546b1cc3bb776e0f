// One confirmed edit of the list (Add, Modify or Delete), kept so that it can be made again on a list
// file that another program changed meanwhile, and the hash that tells such a change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "list/ListText.h"

enum class EditKind { Add, Modify, Delete };

// Holds entries with their passwords: wipes them when it goes.
struct ListEdit {
    EditKind kind = EditKind::Add;
    size_t index = 0;    // Add: the new entry's place; Modify, Delete: the edited entry's place
    ListEntry old;       // Modify, Delete: the entry as it was; Add: the entry just before the new one
    ListEntry now;       // Add, Modify: the entry as the user left it
    bool atEnd = false;  // Add with nothing selected: the new entry goes last
    ~ListEdit();
};

// Makes edit on entries, another program's version of the list. Modify and Delete need the edited entry
// (all its fields) still there and take the copy nearest its old place; Add goes after the entry it
// followed (nearest copy), or last when that one is gone. False, entries untouched, when the edit no
// longer applies.
bool ReapplyEdit(const ListEdit& edit, std::vector<ListEntry>& entries);

// FNV-1a over 64 bits: tells whether a file still holds the bytes last read or written. A sync client
// that touches only the time stamp changes nothing here.
uint64_t ContentHash(const std::string& bytes);
