// Making a kept edit again on a list that another program changed, and the hash that tells the change.
#include <gtest/gtest.h>

#include "list/ListEdit.h"

namespace {
using Texts = std::vector<std::string>;

std::vector<ListEntry> Entries(const Texts& texts) {
    std::vector<ListEntry> entries;
    for (const std::string& t : texts)
        entries.push_back({t, "", ""});
    return entries;
}

Texts TextsOf(const std::vector<ListEntry>& entries) {
    Texts texts;
    for (const ListEntry& e : entries)
        texts.push_back(e.text);
    return texts;
}

ListEdit Edit(EditKind kind, size_t index, const char* old, const char* now, bool atEnd = false,
              int step = 0) {
    ListEdit edit;
    edit.step = step;
    edit.kind = kind;
    edit.index = index;
    edit.old.text = old;
    edit.now.text = now;
    edit.atEnd = atEnd;
    return edit;
}

TEST(ListEdit, MadeOnTheChangedListWhereItsEntryIsStillThere) {
    const struct {
        const char* what;
        ListEdit edit;
        Texts changed; // the list as the other program left it
        bool applies;
        Texts after;
    } cases[] = {
        {"modify a kept entry",
         Edit(EditKind::Modify, 1, "b", "B"),
         {"new", "a", "b", "c"},
         true,
         {"new", "a", "B", "c"}},
        {"modify an entry the other removed",
         Edit(EditKind::Modify, 1, "b", "B"),
         {"a", "c"},
         false,
         {"a", "c"}},
        {"modify an entry the other changed",
         Edit(EditKind::Modify, 1, "b", "B"),
         {"a", "b2", "c"},
         false,
         {"a", "b2", "c"}},
        {"modify the nearest of two copies",
         Edit(EditKind::Modify, 3, "x", "y"),
         {"x", "a", "b", "c", "x"},
         true,
         {"x", "a", "b", "c", "y"}},
        {"two copies as near: the earlier",
         Edit(EditKind::Modify, 2, "x", "y"),
         {"a", "x", "b", "x"},
         true,
         {"a", "y", "b", "x"}},
        {"delete a kept entry", Edit(EditKind::Delete, 0, "a", ""), {"z", "a", "b"}, true, {"z", "b"}},
        {"delete an entry already gone", Edit(EditKind::Delete, 0, "a", ""), {"b"}, false, {"b"}},
        {"add after its neighbour",
         Edit(EditKind::Add, 2, "b", "n"),
         {"b", "a", "c"},
         true,
         {"b", "n", "a", "c"}},
        {"add whose neighbour is gone: last",
         Edit(EditKind::Add, 2, "b", "n"),
         {"a", "c"},
         true,
         {"a", "c", "n"}},
        {"add with nothing selected: last",
         Edit(EditKind::Add, 3, "c", "n", true),
         {"c", "a", "d"},
         true,
         {"c", "a", "d", "n"}},
        {"add first", Edit(EditKind::Add, 0, "", "n"), {"a"}, true, {"n", "a"}},
        {"add to an emptied list", Edit(EditKind::Add, 1, "a", "n"), {}, true, {"n"}},
        {"move up past its neighbour",
         Edit(EditKind::Move, 2, "c", "b", false, -1),
         {"a", "b", "c", "d"},
         true,
         {"a", "c", "b", "d"}},
        {"move down, another entry added first",
         Edit(EditKind::Move, 0, "a", "b", false, +1),
         {"x", "a", "b"},
         true,
         {"x", "b", "a"}},
        {"move whose neighbour is no longer beside it",
         Edit(EditKind::Move, 1, "b", "a", false, -1),
         {"a", "x", "b"},
         false,
         {"a", "x", "b"}},
        {"move up from the top", Edit(EditKind::Move, 0, "a", "z", false, -1), {"a", "z"}, false, {"a", "z"}},
    };
    for (const auto& c : cases) {
        std::vector<ListEntry> entries = Entries(c.changed);
        EXPECT_EQ(ReapplyEdit(c.edit, entries), c.applies) << c.what;
        EXPECT_EQ(TextsOf(entries), c.after) << c.what;
    }
}

TEST(ListEdit, ALoginEntryIsTheSameOnlyWithAllItsFields) {
    ListEdit edit = Edit(EditKind::Modify, 0, "site", "site");
    edit.old.login = "me";
    edit.old.password = "old";
    edit.now.login = "me";
    edit.now.password = "new";
    std::vector<ListEntry> changed = {{"site", "me", "other"}};
    EXPECT_FALSE(ReapplyEdit(edit, changed)) << "the other program changed the password";
    EXPECT_EQ(changed[0].password, "other");
    std::vector<ListEntry> kept = {{"bank", "you", "x"}, {"site", "me", "old"}};
    EXPECT_TRUE(ReapplyEdit(edit, kept));
    EXPECT_EQ(kept[1].password, "new");
    EXPECT_EQ(kept[0].password, "x");
}

TEST(ListEdit, TheHashTellsEveryByte) {
    // Known answers of 64-bit FNV-1a.
    EXPECT_EQ(ContentHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(ContentHash("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(ContentHash("foobar"), 0x85944171f73967e8ull);
    EXPECT_NE(ContentHash("a\r\nb\r\n"), ContentHash("a\r\nb\r\n "));
    EXPECT_NE(ContentHash("a\r\nb\r\n"), ContentHash("b\r\na\r\n"));
}
} // namespace
