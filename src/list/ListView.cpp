// Folding for Find, and the entries with the view the list box shows of them.
#include "list/ListView.h"

#include <algorithm>

#include "common/Utf8.h"
#include "common/Wipe.h"

namespace {
// U+00C0..U+00FF and U+0100..U+017F without their accents; upper-case letters stand for two letters
// (A ae, T th, S ss, J ij, Q oe), '*' for a sign kept as it is.
const char kLatin1[] = "aaaaaaAceeeeiiiidnooooo*ouuuuyTSaaaaaaAceeeeiiiidnooooo*ouuuuyTy";
const char kLatinA[] = "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiJJjjkkkllllllllllnnnnnnnnnooooooQQ"
                       "rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatin1 == 64 + 1, "one letter per character of U+00C0..U+00FF");
static_assert(sizeof kLatinA == 128 + 1, "one letter per character of U+0100..U+017F");

void AppendLetter(std::string& out, char letter) {
    switch (letter) {
    case 'A': out += "ae"; break;
    case 'T': out += "th"; break;
    case 'S': out += "ss"; break;
    case 'J': out += "ij"; break;
    case 'Q': out += "oe"; break;
    default: out += letter; break;
    }
}

char32_t LowerOther(char32_t cp) {
    if ((cp >= 0x391 && cp <= 0x3A9) || (cp >= 0x410 && cp <= 0x42F))
        return cp + 0x20; // Greek and Cyrillic capitals
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 0x50;
    return cp;
}

void AppendFolded(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
        return;
    }
    char letter = cp >= 0xC0 && cp <= 0xFF ? kLatin1[cp - 0xC0] : cp >= 0x100 && cp <= 0x17F ? kLatinA[cp - 0x100] : 0;
    if (letter && letter != '*')
        AppendLetter(out, letter);
    else if (cp < 0x300 || cp > 0x36F) // combining marks are accents, too
        AppendUtf8(out, LowerOther(cp));
}
} // namespace

std::string FoldForMatch(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80) { // the common case, without decoding
            out += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        DecodeUtf8Char(utf8, pos, cp);
        AppendFolded(out, cp);
    }
    return out;
}

std::vector<std::string> FilterWords(const std::string& filter) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < filter.size()) {
        size_t start = filter.find_first_not_of(" \t", pos);
        if (start == std::string::npos)
            break;
        size_t end = filter.find_first_of(" \t", start);
        if (end == std::string::npos)
            end = filter.size();
        std::string word = FoldForMatch(filter.substr(start, end - start));
        if (!word.empty())
            words.push_back(word);
        pos = end;
    }
    return words;
}

bool MatchesAll(const std::string& folded, const std::vector<std::string>& words) {
    for (const std::string& word : words)
        if (folded.find(word) == std::string::npos)
            return false;
    return true;
}

void ListModel::Clear() {
    for (ListEntry& e : m_entries)
        WipeEntry(e);
    for (std::string& f : m_folded)
        WipeString(f); // a login list's logins
    m_entries.clear();
    m_folded.clear();
    m_shown.clear();
}

// The login goes after a line end, which no typed word holds: a word never spans the two fields.
std::string ListModel::Folded(const ListEntry& entry) const {
    return m_kind == kLoginList ? FoldForMatch(entry.text) + '\n' + FoldForMatch(entry.login)
                                : FoldForMatch(entry.text);
}

void ListModel::Replace(std::vector<ListEntry> entries, ListKind kind) {
    // Folded first: running out of memory leaves the entries as they were.
    m_kind = kind;
    std::vector<std::string> folded;
    folded.reserve(entries.size());
    for (const ListEntry& e : entries)
        folded.push_back(Folded(e));
    Clear();
    m_entries.swap(entries);
    m_folded.swap(folded);
    Refilter();
}

void ListModel::Refilter() {
    m_shown.clear();
    if (!Filtered())
        return;
    for (size_t i = 0; i < m_folded.size(); ++i)
        if (MatchesAll(m_folded[i], m_words))
            m_shown.push_back(i);
}

bool ListModel::SetFilter(const std::string& filter) {
    std::vector<std::string> words = FilterWords(filter);
    if (words == m_words)
        return false;
    m_words.swap(words);
    Refilter();
    return true;
}

long ListModel::ViewIndex(size_t model) const {
    if (!Filtered())
        return model < m_entries.size() ? long(model) : -1;
    auto at = std::lower_bound(m_shown.begin(), m_shown.end(), model);
    return at != m_shown.end() && *at == model ? long(at - m_shown.begin()) : -1;
}

size_t ListModel::Insert(size_t model, const ListEntry& entry) {
    m_folded.insert(m_folded.begin() + long(model), Folded(entry));
    m_entries.insert(m_entries.begin() + long(model), entry);
    if (!Filtered())
        return model;
    auto at = std::lower_bound(m_shown.begin(), m_shown.end(), model);
    for (auto i = at; i != m_shown.end(); ++i)
        ++*i;
    return size_t(m_shown.insert(at, model) - m_shown.begin());
}

size_t ListModel::Modify(size_t model, const ListEntry& entry) {
    ListEntry changed = entry;
    for (std::string* bytes : {&changed.textBytes, &changed.loginBytes, &changed.passwordBytes})
        WipeString(*bytes);
    KeepReadBytes(changed, m_entries[model]);
    std::string folded = Folded(changed);
    WipeEntry(m_entries[model]);
    WipeString(m_folded[model]);
    m_entries[model] = std::move(changed);
    m_folded[model] = std::move(folded);
    if (!Filtered())
        return model;
    auto at = std::lower_bound(m_shown.begin(), m_shown.end(), model);
    if (at == m_shown.end() || *at != model)
        at = m_shown.insert(at, model);
    return size_t(at - m_shown.begin());
}

void ListModel::Erase(size_t model) {
    WipeEntry(m_entries[model]);
    WipeString(m_folded[model]);
    m_entries.erase(m_entries.begin() + long(model));
    m_folded.erase(m_folded.begin() + long(model));
    if (!Filtered())
        return;
    auto at = std::lower_bound(m_shown.begin(), m_shown.end(), model);
    if (at != m_shown.end() && *at == model)
        at = m_shown.erase(at);
    for (auto i = at; i != m_shown.end(); ++i)
        --*i;
}

bool ListModel::MoveInView(size_t view, int direction, std::vector<ListEdit>& moves) {
    size_t count = ShownCount();
    if (view >= count || (direction < 0 && view == 0) || (direction > 0 && view + 1 >= count))
        return false;
    size_t neighbourView = direction < 0 ? view - 1 : view + 1;
    size_t from = ModelIndex(view), to = ModelIndex(neighbourView);
    auto first = m_entries.begin();
    auto folded = m_folded.begin();
    if (direction < 0) {
        std::rotate(first + long(to), first + long(from), first + long(from) + 1);
        std::rotate(folded + long(to), folded + long(from), folded + long(from) + 1);
    } else {
        std::rotate(first + long(from), first + long(from) + 1, first + long(to) + 1);
        std::rotate(folded + long(from), folded + long(from) + 1, folded + long(to) + 1);
    }
    // One place at a time, as the file would see it: the moved entry passes each entry in between.
    const ListEntry& moved = m_entries[to];
    for (size_t i = from; i != to; i = direction < 0 ? i - 1 : i + 1) {
        ListEdit move;
        move.kind = EditKind::Move;
        move.index = i;
        move.step = direction;
        move.old.text = moved.text;
        move.now.text = m_entries[i].text; // the entry passed lies where the moved one was
        moves.push_back(move);
    }
    if (Filtered()) {
        // The two swap places in the view; the neighbour now lies next to the moved entry.
        m_shown[neighbourView] = to;
        m_shown[view] = direction < 0 ? to + 1 : to - 1;
    }
    return true;
}
