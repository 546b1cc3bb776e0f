// Find's matching rules and the view-to-model mapping under every command while filtered.
#include <gtest/gtest.h>

#include <sstream>

#include "list/ListView.h"

namespace {
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

// The texts the list box would show.
std::string Shown(const ListModel& model) {
    std::string texts;
    for (size_t v = 0; v < model.ShownCount(); ++v) {
        texts += (texts.empty() ? "" : " ") + model.Entries()[model.ModelIndex(v)].text;
        EXPECT_EQ(model.ViewIndex(model.ModelIndex(v)), long(v));
    }
    return texts;
}
} // namespace

TEST(ListView, MatchesEveryWordIgnoringCaseAndAccents) {
    const struct {
        const char *text, *filter;
        bool matches;
    } cases[] = {
        {"Bank Account", "bank", true},
        {"Bank Account", "ACC bank", true},  // every word, any order
        {"Bank Account", "bank mail", false},
        {"Bank Account", "  ", true},        // no words: everything
        {u8"Café Müller", "cafe muller", true},
        {"Cafe Muller", u8"CAFÉ MÜLLER", true},
        {u8"Straße", "strasse", true},
        {u8"Łódź Žabka Œuvre", u8"lodz zabka oeuvre", true},
        {u8"Ærø", "aero", true},
        {u8"Cafe\u0301", "cafe", true},      // a combining accent
        {u8"ΑΘΗΝΑ Москва", u8"αθηνα москва", true},
        {u8"日本語", u8"本", true},
        {u8"日本語", u8"中", false},
        {"a\xFF" "b", "b", true},            // bytes that are no UTF-8 do no harm
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesAll(FoldForMatch(c.text), FilterWords(c.filter)), c.matches) << c.text << " / " << c.filter;
}

TEST(ListView, ALoginListMatchesSiteAndLoginNeverPassword) {
    ListModel model;
    model.Replace({{"Bank", "alice", "secret1"}, {"Mail", "bob", "alice"}, {"Shop", "carol", "x"}}, kLoginList);
    const struct {
        const char* filter;
        const char* shown;
    } cases[] = {
        {"alice", "Bank"},  // the login, not Mail's password
        {"secret", ""},
        {"bank alice", "Bank"},
        {"kal", ""},        // a word never spans site and login
        {"o", "Mail Shop"},
        {"", "Bank Mail Shop"},
    };
    for (const auto& c : cases) {
        model.SetFilter(c.filter);
        EXPECT_EQ(Shown(model), c.shown) << c.filter;
    }
}

TEST(ListView, EditsWhileFilteredKeepTheFileOrderAndTheMapping) {
    // Each step acts on the shown entry at view; the file (model) and the shown list after it.
    const struct {
        const char* step;
        size_t view;
        const char *file, *shown;
    } cases[] = {
        {"add", 1, "x1 a x2 N b x3 c", "x1 x2 N x3"},      // after the selected shown entry
        {"modify", 3, "x1 a x2 N b M c", "x1 x2 N M"},     // stays shown though it matches no more
        {"delete", 1, "x1 a N b M c", "x1 N M"},
        {"up", 2, "x1 a M N b c", "x1 M N"},               // past its shown neighbour, hidden b stays
        {"up", 1, "M x1 a N b c", "M x1 N"},
        {"down", 1, "M a N x1 b c", "M N x1"},
        {"down", 2, "M a N x1 b c", "M N x1"},             // last: no move
        {"up", 0, "M a N x1 b c", "M N x1"},
    };
    ListModel model;
    model.Replace(Entries("x1 a x2 b x3 c"), kPlainList);
    ASSERT_TRUE(model.SetFilter("X"));
    std::vector<ListEntry> file = Entries("x1 a x2 b x3 c");
    for (const auto& c : cases) {
        std::string step = c.step;
        std::vector<ListEdit> moves;
        size_t model_index = model.ModelIndex(c.view);
        if (step == "add") {
            size_t view = model.Insert(model_index + 1, {"N", "", ""});
            EXPECT_EQ(view, c.view + 1);
            file.insert(file.begin() + long(model_index) + 1, ListEntry{"N", "", ""});
        } else if (step == "modify") {
            EXPECT_EQ(model.Modify(model_index, {"M", "", ""}), c.view);
            file[model_index].text = "M";
        } else if (step == "delete") {
            model.Erase(model_index);
            file.erase(file.begin() + long(model_index));
        } else {
            model.MoveInView(c.view, step == "up" ? -1 : +1, moves);
            // The moves, made one by one on the file as it was, give the model's order.
            for (const ListEdit& move : moves)
                ASSERT_TRUE(ReapplyEdit(move, file)) << step;
        }
        EXPECT_EQ(TextsOf(model.Entries()), c.file) << step << " " << c.view;
        EXPECT_EQ(TextsOf(file), c.file) << step << " " << c.view;
        EXPECT_EQ(Shown(model), c.shown) << step << " " << c.view;
    }
    // Clearing the filter shows them all again; a new filter forgets entries kept in view.
    EXPECT_TRUE(model.SetFilter(""));
    EXPECT_EQ(Shown(model), "M a N x1 b c");
    model.SetFilter("x");
    EXPECT_EQ(Shown(model), "x1");
}

TEST(ListView, ModifyKeepsTheBytesOfFieldsLeftAsTheyWere) {
    ListModel model;
    ListEntry read{"a\xEF\xBF\xBD", "me", "pw"};
    read.textBytes = "a\x81";
    read.passwordBytes = "p\x81";
    model.Replace({read}, kLoginList);
    ListEntry edited = model.Entries()[0]; // as the item dialog hands it back
    edited.password = "new";
    model.Modify(0, edited);
    EXPECT_EQ(model.Entries()[0].textBytes, "a\x81");
    EXPECT_EQ(model.Entries()[0].passwordBytes, "");
}
