// Making a kept edit again on a list that another program changed, and the hash that tells the change.
#include <gtest/gtest.h>

#include <sstream>

#include "list/ListEdit.h"

namespace {
// A list written as its entry texts between spaces.
std::vector<ListEntry> Entries(const std::string& texts) {
    std::vector<ListEntry> entries;
    std::istringstream in(texts);
    for (std::string t; in >> t;)
        entries.push_back({t, "", ""});
    return entries;
}

std::string TextsOf(const std::vector<ListEntry>& entries) {
    std::string texts;
    for (const ListEntry& e : entries)
        texts += (texts.empty() ? "" : " ") + e.text;
    return texts;
}

TEST(ListEdit, MadeOnTheChangedListWhereItsEntryIsStillThere) {
    const struct {
        EditKind kind;
        size_t index;
        const char *old, *now;
        int step;                    // Move: the step; Add: 1 when nothing was selected
        const char *changed, *after; // after is "-" when the edit no longer applies
    } cases[] = {
        {EditKind::Modify, 1, "b", "B", 0, "new a b c", "new a B c"},
        {EditKind::Modify, 1, "b", "B", 0, "a b2 c", "-"},
        {EditKind::Modify, 3, "x", "y", 0, "x a b c x", "x a b c y"}, // the nearest copy
        {EditKind::Modify, 2, "x", "y", 0, "a x b x", "a y b x"},     // as near: the earlier
        {EditKind::Delete, 0, "a", "", 0, "z a b", "z b"},
        {EditKind::Delete, 0, "a", "", 0, "b", "-"},
        {EditKind::Add, 2, "b", "n", 0, "b a c", "b n a c"},
        {EditKind::Add, 2, "b", "n", 0, "a c", "a c n"},     // its neighbour gone: last
        {EditKind::Add, 3, "c", "n", 1, "c a d", "c a d n"}, // nothing was selected: last
        {EditKind::Add, 0, "", "n", 0, "a", "n a"},
        {EditKind::Move, 2, "c", "b", -1, "a b c d", "a c b d"},
        {EditKind::Move, 0, "a", "b", +1, "x a b", "x b a"},
        {EditKind::Move, 1, "b", "a", -1, "a x b", "-"}, // no longer side by side
        {EditKind::Move, 0, "a", "z", -1, "a z", "-"},
    };
    for (const auto& c : cases) {
        ListEdit edit;
        edit.kind = c.kind;
        edit.index = c.index;
        edit.old.text = c.old;
        edit.now.text = c.now;
        edit.step = c.step;
        edit.atEnd = c.kind == EditKind::Add && c.step == 1;
        std::vector<ListEntry> entries = Entries(c.changed);
        bool applies = std::string(c.after) != "-";
        EXPECT_EQ(ReapplyEdit(edit, entries), applies) << c.changed << " " << c.old;
        EXPECT_EQ(TextsOf(entries), applies ? c.after : c.changed) << c.changed << " " << c.old;
    }
}

TEST(ListEdit, ALoginEntryIsTheSameOnlyWithAllItsFields) {
    ListEdit edit;
    edit.kind = EditKind::Modify;
    edit.old = {"site", "me", "old"};
    edit.now = {"site", "me", "new"};
    std::vector<ListEntry> changed = {{"site", "me", "other"}}, kept = {{"bank", "x", "y"}, edit.old};
    EXPECT_FALSE(ReapplyEdit(edit, changed)) << "the other program changed the password";
    EXPECT_TRUE(ReapplyEdit(edit, kept));
    EXPECT_EQ(kept[1].password, "new");
}

TEST(ListEdit, TheHashIsFnv1a64) {
    EXPECT_EQ(ContentHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(ContentHash("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(ContentHash("foobar"), 0x85944171f73967e8ull);
}
} // namespace
