// Protected lists in the program: the four commands through the real file and password dialogs, the
// refusals that leave everything as it was, and the protected login list.
#include <gtest/gtest.h>

#include "ListFileDrivers.h"
#include "crypt/ProtectedList.h"

using namespace drivers;

namespace {
using Items = std::vector<std::string>;

const char kIncorrect[] = "Incorrect password, or the file is damaged! File not opened.";
const Items kProtectedFilter = {"Protected List Files (*.plk)"};

void RunCommand(CListDlg& dlg, UINT id) {
    Command(dlg, id);
    EXPECT_TRUE(AllDialogActionsRan()) << "a dialog the test expected did not come";
    CancelDialogActions();
}

// A protected list file made here, at the lowest iteration count a file may have, so it opens quickly.
std::string ProtectedFile(ListKind kind, const std::string& text, const std::string& password) {
    ProtectionKey key;
    std::vector<uint8_t> file;
    EXPECT_EQ(key.Create(password, kMinIterations), ProtectResult::Ok);
    EXPECT_EQ(SealProtectedList(key, kind, text, file), ProtectResult::Ok);
    return std::string(file.begin(), file.end());
}

// The kind and text of a protected file, opened with a key or with its password.
std::pair<ListKind, std::string> Unsealed(const std::string& path, const ProtectionKey& key) {
    std::string bytes = ReadFileBytes(path), text;
    ListKind kind = kPlainList;
    ProtectResult result =
        OpenProtectedList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key, kind, text);
    return {kind, result == ProtectResult::Ok ? text : "<not opened>"};
}

std::pair<ListKind, std::string> Unsealed(const std::string& path, const char* password) {
    std::string bytes = ReadFileBytes(path);
    ProtectedHeader header;
    ProtectionKey key;
    if (ReadProtectedHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), header) ==
        ProtectResult::Ok)
        key.Derive(password, header.salt, header.iterations);
    return Unsealed(path, key);
}

uint32_t U32At(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

TEST(ProtectedNew, OpensWithoutAPromptAndEachSaveDrawsANewNonceUnderTheSameSalt) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "old\r\n"), file = dir.File("new.plk");
    FileDialogSeen seen;
    std::string before, after;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerFileDialog("Open a new Listbox File", file, &seen);
        AnswerPassword("Set your password", "Long pass phrase", "Long pass phrase");
        bool asked = false;
        Trap("Enter your Password", asked);
        Command(dlg, ID_PROTECTED_NEW);
        CancelDialogActions();
        EXPECT_FALSE(asked) << "the new list opens with the key it was written under";
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"Modify this first item"});
        EXPECT_EQ(dlg.Files().Kind(), kProtectedList);
        EXPECT_EQ(ReadIni(ini, "list"), file);
        before = ReadFileBytes(file);

        // What Add does after inserting: an in-place save, asking nothing.
        InsertEntry(dlg, dlg.Files().Model().Size(), "second");
        EXPECT_TRUE(dlg.Files().Save(SaveMode::InPlace));
        after = ReadFileBytes(file);
    });
    EXPECT_EQ(seen.initialName, "NewList.plk");
    EXPECT_EQ(seen.filters, kProtectedFilter);
    ASSERT_EQ(after.size(), 44 + std::string("Modify this first item\r\nsecond\r\n").size() + 16);
    EXPECT_EQ(after.substr(0, 10), std::string("PELMARPL\x01\x00", 10)) << "a plain list";
    EXPECT_EQ(U32At(after, 12), kDefaultIterations);
    EXPECT_EQ(after.substr(16, 16), before.substr(16, 16)) << "the kept key's salt";
    EXPECT_NE(after.substr(32, 12), before.substr(32, 12)) << "a fresh nonce";
    EXPECT_EQ(Unsealed(file, "Long pass phrase").second, "Modify this first item\r\nsecond\r\n");
}

TEST(ProtectedOpen, AWrongPasswordADamagedOrAForeignFileChangesNothing) {
    const std::string good = ProtectedFile(kPlainList, "alpha\r\nbeta\r\n", "Pass word");
    std::string tampered = good, weak = good, login = good;
    tampered[50] = char(tampered[50] ^ 1);
    weak[14] = 0; // 100,000 iterations become 34,464: below the floor
    login[9] = 1; // the authenticated header says login list: the tag fails
    const struct {
        const char* name;
        std::string bytes;
        const char* typed; // nullptr: Cancel, or no prompt expected when message is "File error!"
        const char* message;
    } cases[] = {
        {"right", good, "Pass word", ""},
        {"case differs", good, "pass word", kIncorrect},
        {"tampered", tampered, "Pass word", kIncorrect},
        {"header changed", login, "Pass word", kIncorrect},
        {"too few iterations", weak, nullptr, "File error!"},
        {"plain text", "alpha\r\nbeta\r\n", nullptr, "File error!"},
        {"cancelled", good, nullptr, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string ini = StartWith(dir, "Pelmar.plr", "site\r\nW\r\nX\r\n"), file = dir.File("list.plk");
        WriteFileBytes(file, c.bytes);
        bool opens = std::string(c.name) == "right", prompted = std::string(c.message) != "File error!";
        FileDialogSeen seen;
        std::string message;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetPassword(dlg, "stale");
            AnswerFileDialog("Open a protected Listbox File", file, &seen);
            if (prompted)
                AnswerPassword("Enter your Password", c.typed);
            if (*c.message)
                AnswerMessageBox(&message);
            RunCommand(dlg, ID_PROTECTED_OPEN);
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)),
                      (opens ? Items{"alpha", "beta"} : Items{"site"}))
                << c.name;
            EXPECT_EQ(Passwords(dlg), opens ? Items{} : Items{"b"})
                << c.name;
            EXPECT_EQ(dlg.Files().Kind(), opens ? kProtectedList : kLoginList) << c.name;
            EXPECT_EQ(dlg.Files().State().file, opens ? file : dir.File("Pelmar.plr")) << c.name;
            EXPECT_EQ(dlg.Files().State().password, opens ? "" : "stale") << c.name;
            EXPECT_EQ(dlg.Files().State().key.IsSet(), opens) << c.name;
        });
        EXPECT_EQ(message, c.message) << c.name;
        EXPECT_EQ(seen.filters, kProtectedFilter) << c.name;
        EXPECT_EQ(ReadIni(ini, "list"), opens ? file : dir.File("Pelmar.plr")) << c.name;
    }
}

TEST(ProtectedSaveAs, WritesTheListFilesBytesUnderANewKeyAndKeepsTheClearFile) {
    TempDir dir;
    std::string ini = StartWith(dir, "work.txt", "a\r\nb\r\n"), target = dir.File("work.plk");
    FileDialogSeen seen;
    std::string firstSalt;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerFileDialog("Save As", target, &seen);
        AnswerPassword("Set your password", "First", "First");
        RunCommand(dlg, ID_PROTECTED_SAVE_AS);
        EXPECT_EQ(dlg.Files().Kind(), kProtectedList);
        EXPECT_EQ(Unsealed(target, dlg.Files().State().key),
                  std::make_pair(kPlainList, std::string("a\r\nb\r\n")));
        firstSalt = ReadFileBytes(target).substr(16, 16);

        // Saving it again under a new password draws a new salt; File > Save as only saves it in place.
        std::string copy = dir.File("copy.plk");
        AnswerFileDialog("Save As", copy);
        AnswerPassword("Set your password", "Second", "Second");
        RunCommand(dlg, ID_PROTECTED_SAVE_AS);
        EXPECT_NE(ReadFileBytes(copy).substr(16, 16), firstSalt);
        EXPECT_EQ(Unsealed(copy, dlg.Files().State().key).second, "a\r\nb\r\n");
        bool asked = false;
        Trap("Save As", asked);
        Command(dlg, ID_FILE_SAVE_AS);
        CancelDialogActions();
        EXPECT_FALSE(asked);
        EXPECT_EQ(ReadIni(ini, "list"), copy);
    });
    EXPECT_NE(seen.initialName.find("work.plk"), std::string::npos) << seen.initialName;
    EXPECT_EQ(seen.filters, kProtectedFilter);
    EXPECT_EQ(ReadFileBytes(dir.File("work.txt")), "a\r\nb\r\n");
}

TEST(ProtectedLogin, ProtectLoginFileMovesTheLoginListAndItsHalvesStillDeliver) {
    for (bool deleteOld : {true, false}) {
        TempDir dir;
        const std::string stored = "site\r\nW\r\nX\r\n"; // login "a", password "b"
        std::string ini = StartWith(dir, "Pelmar.plr", stored);
        std::string plr = dir.File("Pelmar.plr"), plk = dir.File("Pelmar.plk"), other = dir.File("other.txt");
        WriteFileBytes(other, "other\r\n");
        std::string question;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            AnswerPassword("Set your password", "Login key", "Login key");
            AnswerNextBox(deleteOld, &question);
            RunCommand(dlg, ID_PROTECT_LOGIN_FILE);
            EXPECT_EQ(dlg.Files().Kind(), kLoginList);
            EXPECT_EQ(ReadIni(ini, "list"), plk);
            EXPECT_EQ(Unsealed(plk, dlg.Files().State().key),
                      std::make_pair(kLoginList, std::string("site\r\na\r\nb\r\n")));

            // An edit saves to the protected file only.
            SetEntries(dlg, {"site", "mail"}, {"a", "c"}, {"b", "d"});
            EXPECT_TRUE(dlg.Files().Save(SaveMode::InPlace));
            EXPECT_EQ(Unsealed(plk, dlg.Files().State().key).second, "site\r\na\r\nb\r\nmail\r\nc\r\nd\r\n");

            // Load login file reads the protected file, kept old file or not, and asks for its password.
            EXPECT_TRUE(dlg.Files().Load(other, kPlainList));
            AnswerPassword("Enter your Password", "Login key");
            RunCommand(dlg, ID_LOAD_LOGIN_FILE);
            EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"site", "mail"}));
            EXPECT_EQ(Logins(dlg), (Items{"a", "c"}));
            EXPECT_EQ(Passwords(dlg), (Items{"b", "d"}));
            EXPECT_EQ(dlg.Files().State().file, plk);
        });
        EXPECT_NE(question.find(plk), std::string::npos) << question;
        EXPECT_NE(question.find(plr), std::string::npos) << question;
        EXPECT_EQ(ReadFileBytes(plr), deleteOld ? "<missing>" : stored);
    }
}

TEST(ProtectedLogin, ProtectLoginFileSealsTheLoginFileAndAsksBeforeReplacingTheProtectedOne) {
    // A stale protected login file: the newer logins of Pelmar.plr must not be wiped for it.
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "start\r\n");
    std::string plr = dir.File("Pelmar.plr"), plk = dir.File("Pelmar.plk");
    const std::string fresh = "new site\r\nW\r\nX\r\n"; // login "a", password "b"
    const std::string stale = ProtectedFile(kLoginList, "old site\r\nme\r\nold\r\n", "Old key");
    WriteFileBytes(plr, fresh);
    WriteFileBytes(plk, stale);
    std::string kept, prompt, wipe, plkAfterNo;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerNextBox(false, &kept);
        Command(dlg, ID_PROTECT_LOGIN_FILE);
        CancelDialogActions();
        EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        plkAfterNo = ReadFileBytes(plk);

        AnswerNextBox(true, nullptr);
        WhenDialogAppears("Set your password", [&](HWND d) {
            prompt = WindowText(GetDlgItem(d, IDC_PASSWORD_PROMPT));
            SetDlgItemTextA(d, IDC_PASSWORD_FIRST, "New key");
            SetDlgItemTextA(d, IDC_PASSWORD_SECOND, "New key");
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        });
        AnswerNextBox(true, &wipe);
        RunCommand(dlg, ID_PROTECT_LOGIN_FILE);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"new site"});
        EXPECT_EQ(Unsealed(plk, dlg.Files().State().key),
                  std::make_pair(kLoginList, std::string("new site\r\na\r\nb\r\n")));
    });
    EXPECT_NE(kept.find(plk), std::string::npos) << kept;
    EXPECT_NE(kept.find(plr), std::string::npos) << kept;
    EXPECT_EQ(plkAfterNo, stale);
    EXPECT_EQ(prompt, "Enter a password for Pelmar.plk:");
    EXPECT_NE(wipe.find("Wipe and delete " + plr), std::string::npos) << wipe;
    EXPECT_EQ(ReadFileBytes(plr), "<missing>");
}

TEST(ProtectedLogin, AProtectedPlainListUnderTheProtectedLoginFilesNameIsNeverTheLoginList) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "start\r\n");
    std::string plr = dir.File("Pelmar.plr"), plk = dir.File("Pelmar.plk");
    const std::string logins = "bank\r\nW\r\nX\r\n";
    const std::string notes = ProtectedFile(kPlainList, "one\r\ntwo\r\nthree\r\n", "pw");
    WriteFileBytes(plr, logins);
    WriteFileBytes(plk, notes);
    std::string refusal;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        // Protect login file refuses it before any password.
        AnswerNextBox(true, &refusal);
        RunCommand(dlg, ID_PROTECT_LOGIN_FILE);
        EXPECT_EQ(dlg.Files().Kind(), kPlainList);
        // Load login file reads the login file itself, asking nothing.
        bool asked = false;
        Trap("Enter your Password", asked);
        Command(dlg, ID_LOAD_LOGIN_FILE);
        CancelDialogActions();
        EXPECT_FALSE(asked);
        EXPECT_EQ(Logins(dlg), Items{"a"});
        // Opened by its name, it is the protected plain list it is.
        AnswerFileDialog("Open a protected Listbox File", plk);
        AnswerPassword("Enter your Password", "pw");
        RunCommand(dlg, ID_PROTECTED_OPEN);
        EXPECT_EQ(dlg.Files().Kind(), kProtectedList);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), (Items{"one", "two", "three"}));
    });
    EXPECT_EQ(refusal, plk + "\r\nholds a protected list that is not the login list, and is not replaced."
                             "\r\nMove or rename it to protect the login list.");
    EXPECT_EQ(ReadFileBytes(plr), logins);
}

TEST(ProtectedLogin, ProtectedSaveAsOnTheLoginListProtectsTheLoginFile) {
    TempDir dir;
    const std::string stored = "site\r\nW\r\nX\r\n";
    std::string ini = StartWith(dir, "Pelmar.plr", stored), plk = dir.File("Pelmar.plk");
    std::string wipe;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerPassword("Set your password", "Login key", "Login key");
        AnswerNextBox(false, &wipe);
        RunCommand(dlg, ID_PROTECTED_SAVE_AS);
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
        EXPECT_EQ(Unsealed(plk, dlg.Files().State().key),
                  std::make_pair(kLoginList, std::string("site\r\na\r\nb\r\n")));
    });
    EXPECT_NE(wipe.find("Wipe and delete"), std::string::npos) << wipe;
    EXPECT_EQ(ReadFileBytes(dir.File("Pelmar.plr")), stored);
}

TEST(ProtectedLogin, ADamagedProtectedLoginFileSaysTheLoginFileIsStillThere) {
    TempDir dir;
    std::string ini = StartWith(dir, "start.txt", "start\r\n");
    std::string plr = dir.File("Pelmar.plr"), plk = dir.File("Pelmar.plk");
    WriteFileBytes(plr, "bank\r\nW\r\nX\r\n");
    WriteFileBytes(plk, "not a protected file");
    std::string message;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        AnswerNextBox(true, &message);
        RunCommand(dlg, ID_LOAD_LOGIN_FILE);
        EXPECT_EQ(ListBoxItems(dlg.GetDlgItem(IDC_LIST)), Items{"start"});
    });
    EXPECT_EQ(message, "File error!\r\n\r\n" + plk + " is damaged.\r\nThe unprotected login file " + plr +
                           " is still there.");
}

TEST(ProtectedLogin, TheStartUpListAsksForThePasswordOfTheProtectedLoginFile) {
    TempDir dir;
    std::string ini = StartWith(dir, "other.txt", "other\r\n"), plk = dir.File("Pelmar.plk");
    WriteFileBytes(plk, ProtectedFile(kLoginList, "bank\r\nme\r\nsecret\r\n", "pw"));
    RunMainDialog(ini, [&](CListDlg& dlg) {
        // The start-up load itself: the window's set-up runs it before the test's body could answer.
        WritePrivateProfileStringA("pelmar", "list", plk.c_str(), ini.c_str());
        AnswerPassword("Enter your Password", "pw");
        dlg.Files().LoadStartupList();
        EXPECT_TRUE(AllDialogActionsRan());
        CancelDialogActions();
        EXPECT_EQ(dlg.Files().Kind(), kLoginList);
        EXPECT_EQ(Logins(dlg), Items{"me"});
        EXPECT_EQ(Passwords(dlg), Items{"secret"});
    });
}
} // namespace
