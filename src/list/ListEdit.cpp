// Making a kept edit again on a list another program changed.
#include "list/ListEdit.h"

#include "common/Wipe.h"

#include <utility>

namespace {
const size_t kNotFound = size_t(-1);

bool SameEntry(const ListEntry& a, const ListEntry& b) {
    return a.text == b.text && a.login == b.login && a.password == b.password;
}

// The copy of entry nearest to place (the earlier of two as near), or kNotFound: duplicates are common
// in lists, and the one the user saw is most likely where it was.
size_t NearestCopy(const std::vector<ListEntry>& entries, const ListEntry& entry, size_t place) {
    size_t best = kNotFound, bestDistance = kNotFound;
    for (size_t i = 0; i < entries.size(); ++i) {
        size_t distance = i < place ? place - i : i - place;
        if (distance < bestDistance && SameEntry(entries[i], entry)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool SwapWithNeighbour(std::vector<ListEntry>& entries, size_t at, int step, const ListEntry& neighbour) {
    size_t other = at + size_t(step); // wraps past the end when at is 0 and step -1
    if (other >= entries.size() || !SameEntry(entries[other], neighbour))
        return false;
    std::swap(entries[at], entries[other]);
    return true;
}
} // namespace

// A protected list's texts are secrets too.
ListEdit::~ListEdit() {
    WipeEntry(old);
    WipeEntry(now);
}

bool ReapplyEdit(const ListEdit& edit, std::vector<ListEntry>& entries) {
    if (edit.kind == EditKind::Add) {
        size_t at = edit.atEnd ? entries.size() : 0;
        if (!edit.atEnd && edit.index > 0) {
            size_t before = NearestCopy(entries, edit.old, edit.index - 1);
            at = before == kNotFound ? entries.size() : before + 1;
        }
        entries.insert(entries.begin() + ptrdiff_t(at), edit.now);
        return true;
    }
    size_t at = NearestCopy(entries, edit.old, edit.index);
    if (at == kNotFound)
        return false;
    if (edit.kind == EditKind::Move)
        return SwapWithNeighbour(entries, at, edit.step, edit.now);
    if (edit.kind == EditKind::Modify)
        entries[at] = edit.now;
    else
        entries.erase(entries.begin() + ptrdiff_t(at));
    return true;
}

uint64_t ContentHash(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}
