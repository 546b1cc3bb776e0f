// Where list files live, which kind they are read and saved as, and the password line of encrypted lists.
#include <gtest/gtest.h>

#include "crypt/PasswordLine.h"
#include "list/ListFileRules.h"

namespace {
const char kFolder[] = "C:\\Tools\\";
const char kLogin[] = "C:\\Tools\\Pelmar.plr";

TEST(ListFileRules, BareNamesLieBesideTheProgram) {
    const struct {
        const char *name, *resolved;
    } cases[] = {
        {"List.txt", "C:\\Tools\\List.txt"},
        {"list.TXT", "C:\\Tools\\List.txt"}, // the default in any case is the starter list
        {"notes.txt", "C:\\Tools\\notes.txt"},
        {"D:\\x\\notes.txt", "D:\\x\\notes.txt"},
        {"sub/notes.txt", "sub/notes.txt"},
        {"C:notes.txt", "C:notes.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveListPath(c.name, kFolder), c.resolved) << c.name;
}

TEST(ListFileRules, KindComesFromTheNameAndTheProgramsLoginFile) {
    EXPECT_EQ(KindFromName("C:\\x\\Pelmar.plr"), kLoginList);
    EXPECT_EQ(KindFromName("C:\\x\\a.PlR"), kLoginList);
    EXPECT_EQ(KindFromName("C:\\x\\a.PLE"), kEncryptedList);
    EXPECT_EQ(KindFromName("C:\\x\\aple"), kEncryptedList);
    EXPECT_EQ(KindFromName("C:\\x\\a.txt"), kPlainList);
    EXPECT_EQ(KindFromName("le"), kPlainList);
    EXPECT_EQ(KindFromName(""), kPlainList);

    EXPECT_EQ(KindForLoad("c:\\tools\\PELMAR.PLR", kPlainList, kLogin), kLoginList);
    EXPECT_EQ(KindForLoad("D:\\a.ple", kPlainList, kLogin), kEncryptedList);
    EXPECT_EQ(KindForLoad("D:\\a.txt", kEncryptedList, kLogin), kEncryptedList); // as asked
    EXPECT_EQ(KindForLoad("D:\\a.plr", kPlainList, kLogin), kPlainList);
    // Only the program's own login file is a login list, whatever the start-up setting's name says.
    EXPECT_EQ(KindForLoad("D:\\bak\\Pelmar.plr", kLoginList, kLogin), kPlainList);
    EXPECT_EQ(KindForLoad("C:\\Tools\\notes.plr", kLoginList, kLogin), kPlainList);

    EXPECT_EQ(KindOfChosenName("D:\\a.PLE"), kEncryptedList);
    EXPECT_EQ(KindOfChosenName("D:\\a.plr"), kPlainList);
}

TEST(ListFileRules, ProtectedListsByNameAndTheProtectedLoginFile) {
    const char kProtectedLogin[] = "C:\\Tools\\Pelmar.plk";
    EXPECT_EQ(ProtectedLoginFile(kLogin), kProtectedLogin);
    EXPECT_EQ(KindFromName("D:\\a.PlK"), kProtectedList);
    EXPECT_EQ(KindOfChosenName("D:\\a.plk"), kProtectedList);
    const struct {
        const char* path;
        ListKind requested, kind;
        bool sealed;
    } loads[] = {
        {"c:\\tools\\PELMAR.PLK", kProtectedList, kLoginList, true}, // the login list, protected
        {"C:\\Tools\\Pelmar.plk", kPlainList, kLoginList, true},
        {"C:\\Tools\\Pelmar.plr", kLoginList, kLoginList, false},
        {"D:\\bak\\Pelmar.plk", kLoginList, kProtectedList, true}, // a copy elsewhere is no login list
        {"D:\\a.plk", kEncryptedList, kProtectedList, true},
        {"D:\\a.txt", kProtectedList, kProtectedList, true}, // as asked
        {"D:\\a.ple", kProtectedList, kEncryptedList, false},
    };
    for (const auto& c : loads) {
        ListKind kind = KindForLoad(c.path, c.requested, kLogin);
        EXPECT_EQ(kind, c.kind) << c.path;
        EXPECT_EQ(ReadsProtected(kind, c.path, kLogin), c.sealed) << c.path;
    }
    // Once protected, the login list is read from its protected file, even where the old one was kept.
    EXPECT_EQ(FileToRead("c:\\TOOLS\\pelmar.plr", kLogin, true), kProtectedLogin);
    EXPECT_EQ(FileToRead("c:\\TOOLS\\pelmar.plr", kLogin, false), "c:\\TOOLS\\pelmar.plr");
    EXPECT_EQ(FileToRead("D:\\Pelmar.plr", kLogin, true), "D:\\Pelmar.plr");
}

TEST(ListFileRules, TheLoginFilesNamesBelongToTheLoginListAlone) {
    for (const char* name : {"C:\\Tools\\Pelmar.plr", "c:\\TOOLS\\pelmar.PLK"})
        EXPECT_TRUE(IsLoginFileName(name, kLogin)) << name;
    for (const char* name : {"C:\\Tools\\Pelmar.ple", "D:\\bak\\Pelmar.plr", "C:\\Tools\\notes.plk"})
        EXPECT_FALSE(IsLoginFileName(name, kLogin)) << name;

    // What Pelmar.plk holds decides whether it stands for the login file (a damaged one does, so that its
    // damage is told) and what Protect login file does: refuse, seal Pelmar.plr (asking before it
    // replaces Pelmar.plk) or, without Pelmar.plr, seal Pelmar.plk anew under a new password.
    using Held = ProtectedLoginContent;
    const struct {
        Held held;
        bool standsIn;
        ProtectLoginPlan withLoginFile, withoutLoginFile;
    } cases[] = {
        {Held::None, false, {false, true, false}, {false, true, false}},
        {Held::LoginList, true, {false, true, true}, {false, false, false}},
        {Held::Damaged, true, {false, true, true}, {false, false, false}},
        {Held::PlainList, false, {true, false, false}, {true, false, false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileToRead(kLogin, kLogin, c.held), c.standsIn ? "C:\\Tools\\Pelmar.plk" : kLogin);
        EXPECT_EQ(FileToRead("D:\\a.txt", kLogin, c.held), "D:\\a.txt");
        for (bool exists : {true, false}) {
            ProtectLoginPlan plan = PlanProtectLogin(exists, c.held),
                             want = exists ? c.withLoginFile : c.withoutLoginFile;
            EXPECT_EQ(plan.refuse, want.refuse) << int(c.held) << exists;
            EXPECT_EQ(plan.fromLoginFile, want.fromLoginFile) << int(c.held) << exists;
            EXPECT_EQ(plan.askToReplace, want.askToReplace) << int(c.held) << exists;
        }
    }
}

TEST(ListFileRules, EverySaveModeHasItsTargetAndKind) {
    const std::string current = "D:\\lists\\work.txt", guard = "D:\\lists\\work.txt";
    const struct {
        SaveMode mode;
        ListKind kind;
        std::string unloaded;
        SavePlan plan;
    } cases[] = {
        {SaveMode::InPlace, kPlainList, "", {current, kPlainList, false}},
        {SaveMode::As, kPlainList, "", {current, kPlainList, true}},
        {SaveMode::EncryptedAs, kPlainList, "", {"D:\\lists\\work.ple", kEncryptedList, true}},
        {SaveMode::InPlace, kEncryptedList, "", {"D:\\lists\\work.ple", kEncryptedList, false}},
        {SaveMode::ProtectedAs, kEncryptedList, "", {"D:\\lists\\work.plk", kProtectedList, true}},
        {SaveMode::InPlace, kProtectedList, "", {"D:\\lists\\work.plk", kProtectedList, false}},
        {SaveMode::EncryptedAs, kProtectedList, "", {"D:\\lists\\work.ple", kEncryptedList, true}},
        // A login list is always saved in place to the login file, never encrypted.
        {SaveMode::As, kLoginList, "", {kLogin, kLoginList, false}},
        {SaveMode::EncryptedAs, kLoginList, "", {kLogin, kLoginList, false}},
        {SaveMode::ProtectedAs, kLoginList, "", {kLogin, kLoginList, false}},
        // The file that failed to load at start-up is never replaced in place: the user picks a file.
        {SaveMode::InPlace, kPlainList, "d:\\LISTS\\work.txt", {"", kPlainList, true}},
        {SaveMode::InPlace, kPlainList, "D:\\other.txt", {current, kPlainList, false}},
    };
    for (const auto& c : cases) {
        SavePlan plan = PlanSave(c.mode, c.kind, current, kLogin, c.unloaded);
        EXPECT_EQ(plan.file, c.plan.file) << int(c.mode) << " " << c.kind;
        EXPECT_EQ(plan.kind, c.plan.kind) << int(c.mode) << " " << c.kind;
        EXPECT_EQ(plan.chooseName, c.plan.chooseName) << int(c.mode) << " " << c.kind;
    }
}

TEST(PasswordLine, ComposedAndSplitBothWays) {
    EXPECT_EQ(ComposePasswordLine("Key", "a\r\nb\r\n"), "Key\r\na\r\nb\r\n");
    const struct {
        std::string text, password;
        size_t offset;
    } cases[] = {
        {"Key\r\na\r\n", "Key", 5},
        {"\r\na\r\n", "", 2},
        {std::string("Key\0a", 5), "Key", 4},
        {"Key\na\r\n", "Key", 4}, // a lone line end is one line end
        {"Key\r\r\na", "Key", 4},
        {"Key", "Key", 3}, // no entries: the offset stays inside the text
        {"", "", 0},
    };
    for (const auto& c : cases) {
        PasswordLine line = SplitPasswordLine(c.text);
        EXPECT_EQ(line.password, c.password) << c.text;
        EXPECT_EQ(line.entriesOffset, c.offset) << c.text;
    }
}

TEST(PasswordLine, PasswordsMatchWithoutRegardToCase) {
    EXPECT_TRUE(PasswordsMatch("Secret", "sECRET"));
    EXPECT_TRUE(PasswordsMatch("\xC9t\xE9", "\xE9T\xC9")); // Été in Windows-1252
    EXPECT_TRUE(PasswordsMatch("\x8A\x9F", "\x9A\xFF"));
    EXPECT_TRUE(PasswordsMatch("", ""));
    EXPECT_FALSE(PasswordsMatch("Secret", "Secret "));
    EXPECT_FALSE(PasswordsMatch("\xD7", "\xF7")); // multiplication and division signs are not letters
    EXPECT_FALSE(PasswordsMatch("a1", "A2"));
    EXPECT_TRUE(PasswordsMatch("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));               // Été in UTF-8
    EXPECT_TRUE(PasswordsMatch("\xD0\x9F\xD0\xB0\xD1\x80", "\xD0\xBF\xD0\x90\xD0\xA0")); // Пар / пАР
    EXPECT_FALSE(PasswordsMatch("\xC3\x89", "\xC3\xAA"));
}

TEST(PasswordLine, PasswordUnitsCountAsTheDialogDoes) {
    EXPECT_EQ(PasswordUnits(""), 0u);
    EXPECT_EQ(PasswordUnits("\xC3\xA9t\xE2\x82\xAC"), 3u);   // é t €
    EXPECT_EQ(PasswordUnits("\xF0\x9F\x94\x91"), 2u);         // a key emoji: a surrogate pair
    EXPECT_EQ(PasswordUnits("\xE9t\xA3"), 3u);                  // ANSI bytes, one each
    EXPECT_EQ(PasswordUnits("\xF9\x80\x80\x80"), 4u);         // ANSI "ù€€€", not one character
    EXPECT_EQ(PasswordUnits(std::string(43, 'a') + std::string(43, '\xD0') + "x"), 87u);
}
} // namespace
