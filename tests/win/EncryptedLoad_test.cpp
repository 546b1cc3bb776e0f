// Encrypted Open and the encrypted load: password prompts, refused files, and the list left alone.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "crypt/Container.h"
#include "framework/WideText.h"
#include "resource.h"

namespace {
using Items = std::vector<std::string>;

const char kNotice[] = "\r\nis a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";
const char kIncorrect[] = "Incorrect Password! File not opened.";
constexpr int kFileNameCombo = 0x47c;

std::string EncryptedFile(const std::string& plainText, const std::string& name = "list.ple") {
    std::vector<uint8_t> bytes = EncryptedListBytes(plainText, name);
    return std::string(bytes.begin(), bytes.end());
}

void PutU32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        bytes[at + size_t(i)] = char(v >> (8 * i));
}

struct Opened {
    Items entries;
    ListKind kind = kPlainList;
    std::string password;
    Items messages;
};

// Starts on a login list holding "site", then runs Encrypted Open on file through the real dialogs.
// typed: what to type when the password dialog comes (nullptr: press Cancel).
Opened OpenEncrypted(TempDir& dir, const std::string& file, const char* typed) {
    std::string ini = dir.File("Pelmar.ini"), start = dir.File("Pelmar.plr");
    WriteFileBytes(start, "site\r\nW\r\nW\r\n");
    WritePrivateProfileStringA("pelmar", "list", start.c_str(), ini.c_str());
    Opened out;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        auto record = [&](HWND box) {
            out.messages.push_back(MessageBoxText(box));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        };
        WhenDialogAppears("Open an encrypted Listbox File", [&](HWND fd) {
            SetWindowTextA(GetDlgItem(fd, kFileNameCombo), file.c_str());
            PostMessageA(fd, WM_COMMAND, IDOK, 0);
        });
        WhenDialogAppears("Pelmar", record);
        WhenDialogAppears("Enter your Password", [&](HWND pw) {
            if (typed)
                SetDlgItemTextW(pw, IDC_PASSWORD_FIRST, Widen(typed).c_str());
            PostMessageA(pw, WM_COMMAND, typed ? IDOK : IDCANCEL, 0);
        });
        WhenDialogAppears("Pelmar", record);
        SetPassword(dlg, "stale"); // forgotten for the load, given back when it fails
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_ENCRYPTED_OPEN, 0);
        CancelDialogActions();
        out.entries = ListBoxItems(dlg.GetDlgItem(IDC_LIST));
        out.kind = dlg.Files().Kind();
        out.password = dlg.Files().State().password;
    });
    return out;
}

TEST(EncryptedLoad, PasswordPromptDecidesWhetherTheFileOpens) {
    const struct {
        const char* stored;
        const char* typed; // nullptr: Cancel
        bool prompt, opens;
        const char* passwordAfter;
    } cases[] = {
        {"Secret", "sECRET", true, true, "sECRET"}, // any letter case, kept as typed
        {"Secret", "Secre", true, false, "stale"},  // the list on screen keeps its password
        {"Secret", nullptr, true, false, "stale"},
        {"", nullptr, false, true, ""}, // an empty stored password never asks
        {"abcdefghij", "ABCDEFGHIJ", true, true, "ABCDEFGHIJ"},
        // Ukrainian Ghe with upturn and Ie: letters whose case the system knows, as it knows every other
        {"\xD2\x90\xD0\x84", "\xD2\x91\xD1\x94", true, true, "\xD2\x91\xD1\x94"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::string file = dir.File("work.ple");
        WriteFileBytes(file, EncryptedFile(std::string(c.stored) + "\r\nalpha\r\n\r\nbeta\r\n"));
        Opened out = OpenEncrypted(dir, file, c.typed);
        SCOPED_TRACE(std::string(c.stored) + " / " + (c.typed ? c.typed : "<cancel>"));
        Items expected;
        if (c.prompt)
            expected.push_back(file + kNotice);
        if (!c.opens)
            expected.push_back(kIncorrect);
        EXPECT_EQ(out.messages, expected);
        EXPECT_EQ(out.entries, c.opens ? Items({"alpha", "beta"}) : Items({"site"}));
        EXPECT_EQ(out.kind, c.opens ? kEncryptedList : kLoginList);
        EXPECT_EQ(out.password, c.passwordAfter);
        EXPECT_EQ(ReadIni(dir.File("Pelmar.ini"), "list"), c.opens ? file : dir.File("Pelmar.plr"));
    }
}

TEST(EncryptedLoad, DamagedOrForeignFilesAreRefusedAndTheListStays) {
    const std::string good = EncryptedFile("\r\none\r\ntwo\r\n", "a.ple");
    const size_t L = 5;
    auto with = [&](const std::function<void(std::string&)>& change) {
        std::string bytes = good;
        change(bytes);
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
        bool opens;
    } cases[] = {
        {"plain text", "one\r\ntwo\r\n", false},
        {"empty", "", false},
        {"header only, cut short", good.substr(0, 20), false},
        {"header without its NUL", with([](std::string& b) { b[23] = ' '; }), false},
        {"header in other case", with([](std::string& b) { b.replace(0, 6, "PELMAR"); }), true},
        {"cut file", good.substr(0, good.size() - 3), false},
        {"cut file with a matching total", with([&](std::string& b) {
             b.resize(b.size() - 2);
             PutU32(b, 24, uint32_t(b.size()));
         }),
         false},
        {"padded file", good + std::string(8, '\0'), false},
        {"name length past the end", with([](std::string& b) { b[33] = char(250); }), false},
        {"stream expands past T", with([](std::string& b) { PutU32(b, 28, 5); }), false},
        {"stream ends before T", with([&](std::string& b) {
             PutU32(b, 28, 40);
             PutU32(b, 34 + L, 40);
         }),
         false},
        {"huge T", with([&](std::string& b) {
             PutU32(b, 28, 0xFFFFFFF0u);
             PutU32(b, 34 + L, 0xFFFFFFF0u);
         }),
         false},
        {"the unused length byte", with([](std::string& b) { b[32] = char(0xAB); }), true},
        {"another name in the name field", with([](std::string& b) { b.replace(34, 5, "zz.pl"); }), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::string file = dir.File("f.ple");
        WriteFileBytes(file, c.bytes);
        Opened out = OpenEncrypted(dir, file, nullptr);
        EXPECT_EQ(out.messages, c.opens ? Items() : Items({"File error!"}));
        EXPECT_EQ(out.password, c.opens ? "" : "stale");
        EXPECT_EQ(out.entries, c.opens ? Items({"one", "two"}) : Items({"site"}));
        EXPECT_EQ(out.kind, c.opens ? kEncryptedList : kLoginList);
        EXPECT_EQ(ReadFileBytes(file), c.bytes) << "a load never writes";
    }
}
} // namespace
