// One confirmed edit of the list (Add, Modify, Delete, or a move one place up or down), kept so that it can
// be made again on a list file that another program changed meanwhile, and the hash that tells such a change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "list/ListText.h"

enum class EditKind { Add, Modify, Delete, Move };

// Holds entries with their passwords: wipes them when it goes.
struct ListEdit {
    EditKind kind = EditKind::Add;
    size_t index = 0;   // Add: the new entry's place; the others: the edited entry's place before
    ListEntry old;      // Modify, Delete, Move: the entry as it was; Add: the entry just before the new one
    ListEntry now;      // Add, Modify: the entry as the user left it; Move: the neighbour it passed
    bool atEnd = false; // Add with nothing selected: the new entry goes last
    int step = 0;       // Move: -1 up, +1 down
    ~ListEdit();
};

// Makes edit on entries, another program's version of the list. Modify and Delete need the edited entry
// (all its fields) still there and take the copy nearest its old place; Add goes after the entry it
// followed (nearest copy), or last when that one is gone. Move needs the moved entry and the neighbour
// it passed still side by side. False, entries untouched, when the edit no longer applies.
bool ReapplyEdit(const ListEdit& edit, std::vector<ListEntry>& entries);

// FNV-1a over 64 bits: tells whether a file still holds the bytes last read or written. A sync client
// that touches only the time stamp changes nothing here.
uint64_t ContentHash(const std::string& bytes);
