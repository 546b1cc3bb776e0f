// The entries of the list on screen and the view the list box shows of them: all of them, or those that
// match the words typed into Find. Every command maps the list box's indices (view) to entries (model).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "list/ListEdit.h"
#include "list/ListText.h"

// Lower case with the accents of Latin-1 Supplement and Latin Extended-A taken off (ß is "ss", æ "ae"),
// combining marks dropped, Greek and Cyrillic capitals lowered; anything else as it is.
std::string FoldForMatch(const std::string& utf8);
// The folded words of a filter text, split at spaces and tabs.
std::vector<std::string> FilterWords(const std::string& filter);
// Whether folded holds every word.
bool MatchesAll(const std::string& folded, const std::vector<std::string>& words);

class ListModel {
  public:
    ListModel() = default;
    ListModel(const ListModel&) = delete;
    ListModel& operator=(const ListModel&) = delete;
    ~ListModel() { Clear(); }

    // Takes the entries of a newly read list; the filter stays.
    void Replace(std::vector<ListEntry> entries, ListKind kind);
    const std::vector<ListEntry>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }
    ListKind Kind() const { return m_kind; }

    // False when the filter's words did not change (nothing to show anew).
    bool SetFilter(const std::string& filter);
    bool Filtered() const { return !m_words.empty(); }
    size_t ShownCount() const { return Filtered() ? m_shown.size() : m_entries.size(); }
    size_t ModelIndex(size_t view) const { return Filtered() ? m_shown[view] : view; }
    // -1 when the entry is not shown.
    long ViewIndex(size_t model) const;

    // The edits keep the view: an entry added or changed while filtered stays shown until the filter
    // changes. Each returns the entry's view index.
    size_t Insert(size_t model, const ListEntry& entry);
    // The fields left as they were keep the bytes they were read from.
    size_t Modify(size_t model, const ListEntry& entry);
    void Erase(size_t model);
    // Moves the entry shown at view past its neighbour in the view (direction -1 up, +1 down); entries
    // between them that the filter hides keep their order. The moves made, one place each, are appended
    // to moves. False when there is no neighbour that way.
    bool MoveInView(size_t view, int direction, std::vector<ListEdit>& moves);

  private:
    void Clear();
    std::string Folded(const ListEntry& entry) const;
    void Refilter();

    std::vector<ListEntry> m_entries;
    std::vector<std::string> m_folded; // per entry: text, and a login list's login, folded for matching
    ListKind m_kind = kPlainList;
    std::vector<std::string> m_words;
    std::vector<size_t> m_shown; // while filtered: the model indices shown, ascending
};
