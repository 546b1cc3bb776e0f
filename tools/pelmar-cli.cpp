// pelmar-cli: shows, encrypts, decrypts, protects and unprotects list files, imports logins from CSV
// exports, and runs the raw LZHUF codec, for scripts and support.
// Exit 0 success, 1 usage error, 2 bad file, wrong password, a password longer than the program admits
// (128 characters), I/O error or no memory. Outputs are written to a temporary file beside the target and
// renamed, so a failure leaves no partial file. show prints UTF-8, reading ANSI lists in Windows-1252 or
// the --codepage given; encrypt and decrypt keep a list's encoding.
#include "CliCodePage.h"
#include "CliIo.h"
#include "common/Text.h"
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"
#include "crypt/PasswordLine.h"
#include "crypt/ProtectedList.h"
#include "list/CsvImport.h"
#include "list/ListFileCodec.h"
#include "list/ListFileRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include "crypt/PasswordCaseWin.h"
#include "framework/WideText.h"

#include <cwchar>
#include <windows.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailed = 2;

const char kUsage[] =
    "usage: pelmar-cli lzhuf-encode IN OUT\n"
    "       pelmar-cli lzhuf-decode IN OUT\n"
    "       pelmar-cli show FILE [--password PW] [--codepage N]\n"
    "       pelmar-cli encrypt IN OUT [--password PW] [--codepage N]\n"
    "       pelmar-cli decrypt IN OUT [--password PW] [--codepage N]\n"
    "       pelmar-cli protect IN OUT [--password PW]\n"
    "       pelmar-cli unprotect IN OUT [--password PW]\n"
    "       pelmar-cli import-csv IN.csv OUT.plr|OUT.plk [--password PW] [--codepage N]\n";

struct Args {
    std::string command;
    std::vector<std::string> files;
    bool hasPassword = false;
    std::string password;
    bool hasCodePage = false;
    unsigned codePage = kDefaultCliCodePage;
    const AnsiCodePage* ansi = nullptr; // opened once the command is known
};

// Lengths are stored in 32 bits. (A plain comparison warns where size_t is itself 32 bits.)
bool FitsLengthField(uint64_t size) {
    return size <= UINT32_MAX;
}

int Fail(const std::string& message) {
    std::cerr << "pelmar-cli: " << message << "\n";
    return kExitFailed;
}

int UsageError(const std::string& message) {
    std::cerr << "pelmar-cli: " << message << "\n" << kUsage;
    return kExitUsage;
}

bool ParseCodePage(const std::string& text, unsigned& codePage) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    codePage = unsigned(std::stoul(text));
    return codePage > 0 && codePage <= 65535;
}

bool ParseArgs(int argc, char** argv, Args& args) {
    if (argc < 2)
        return false;
    args.command = argv[1];
    for (int i = 2; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--password") {
            if (i + 1 >= argc || args.hasPassword)
                return false;
            args.hasPassword = true;
            args.password = argv[++i];
            std::fill(argv[i], argv[i] + args.password.size(), '\0'); // off the process list from now on
        } else if (arg == "--codepage") {
            if (i + 1 >= argc || args.hasCodePage || !ParseCodePage(argv[++i], args.codePage))
                return false;
            args.hasCodePage = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return false;
        } else {
            args.files.push_back(arg);
        }
    }
    return true;
}

bool ReadFile(const std::string& path, Bytes& bytes) { return ReadWholeRegularFile(path, bytes); }

// A list file as a text of bytes.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    Bytes file;
    if (!ReadFile(path, file))
        return false;
    bytes.assign(file.begin(), file.end());
    return true;
}

// A new output that holds a list in the clear is readable by its owner only.
int WriteOutput(const std::string& path, const void* data, size_t size,
                Exposure exposure = Exposure::Public) {
    return ReplaceWholeFile(path, data, size, exposure) ? kExitOk : Fail("cannot write " + path);
}

const char kPasswordRequired[] = "password required (--password or a line on standard input)";

// The password for a command: --password, else the first line of standard input. One longer than the
// program's password dialog admits could never be typed there, so no file may depend on it: refused
// with status 2. A missing password ends the command through missing (a failure or a usage error).
int TakePassword(const Args& args, std::string& password, int (*missing)(const std::string&),
                 const std::string& why) {
    PasswordInput input = PasswordInput::Read;
    if (args.hasPassword)
        password = args.password;
    else
        input = ReadPasswordLine(password);
    if (input == PasswordInput::TooLong ||
        (input == PasswordInput::Read && PasswordUnits(password) > kMaxProtectedPassword))
        return Fail("a password has at most " + std::to_string(kMaxProtectedPassword) + " characters");
    return input == PasswordInput::Missing ? missing(why) : kExitOk;
}

// The name the program would store: the target after its last backslash, and here also its last '/',
// in the list's code page where it fits.
std::string CliNameField(const Args& args, const std::string& path) {
    std::string name = NameField(path);
    size_t slash = name.rfind('/');
    return EncodeNameField(slash == std::string::npos ? name : name.substr(slash + 1), *args.ansi);
}

int LzhufEncodeFile(const Args& args) {
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    if (!FitsLengthField(in.size()))
        return Fail("input too large");
    Bytes out;
    out.reserve(in.size() + in.size() / 8 + 16); // the stream of random bytes is barely longer
    VectorSink sink(out);
    LzhufEncode(in.data(), uint32_t(in.size()), sink);
    return WriteOutput(args.files[1], out.data(), out.size());
}

// Decoded text in one block that grows as the stream decodes, up to the stored length. A large block
// grows by realloc, which can move its pages instead of copying them as a vector would.
class DecodedStream : public ByteSink {
public:
    DecodedStream(size_t limit, size_t initial) : limit_(limit) { Reserve(std::min(limit, initial)); }
    DecodedStream(const DecodedStream&) = delete;
    DecodedStream& operator=(const DecodedStream&) = delete;
    ~DecodedStream() override { std::free(data_); }
    void Put(uint8_t b) override { PutBytes(&b, 1); }
    void PutBytes(const uint8_t* p, size_t n) override {
        if (n > limit_ - size_) {
            n = limit_ - size_;
            overflow_ = true;
        }
        if (n > capacity_ - size_)
            Reserve(std::min(limit_, std::max(size_ + n, capacity_ * 2)));
        if (n)
            std::memcpy(data_ + size_, p, n);
        size_ += n;
    }
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool Overflowed() const { return overflow_; }

private:
    void Reserve(size_t capacity) {
        void* grown = std::realloc(data_, std::max<size_t>(capacity, 1));
        if (!grown)
            throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(grown);
        capacity_ = capacity;
    }

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t limit_;
    bool overflow_ = false;
};

int LzhufDecodeFile(const Args& args) {
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    if (in.size() < 4)
        return Fail("bad stream: shorter than its length field");
    uint32_t length = LzhufStoredLength(in.data(), 0, in.size());
    if (length > LzhufMaxTextLength(in.size() - 4))
        return Fail("bad stream: stored length too large for the stream");
    // Room for as much text as the stream has bytes; past that it grows only as the stream decodes.
    DecodedStream out(length, in.size());
    LzhufDecodeStats stats;
    LzhufDecode(in.data(), 0, in.size(), out, stats);
    if (!stats.complete || out.Overflowed())
        return Fail("bad stream: truncated or damaged");
    return WriteOutput(args.files[1], out.Data(), out.Size());
}

// The text inside an encrypted list: marked Unicode as UTF-8, ANSI and unmarked UTF-8 as their bytes (kept
// by encrypt and decrypt, stray bytes too, converted by show only).
bool KeptAsBytes(TextEncoding encoding) {
    return encoding == TextEncoding::Ansi || encoding == TextEncoding::Utf8;
}

std::string InnerText(const std::string& bytes, TextEncoding& encoding) {
    encoding = DetectEncoding(bytes);
    return KeptAsBytes(encoding) ? bytes : DecodeListBytes(bytes, Windows1252()).text;
}

std::string InnerBytes(const std::string& text, TextEncoding encoding) {
    return KeptAsBytes(encoding) ? text : EncodeListText(text, encoding, Windows1252()).bytes;
}

// The password as a text in this encoding holds it: the argument is UTF-8, put into the code page
// for an ANSI text; an argument that is not UTF-8 is taken as the bytes it is (ANSI texts only).
bool PasswordAsStored(const Args& args, const std::string& typed, TextEncoding encoding, std::string& stored) {
    stored = typed;
    if (!IsValidUtf8(typed))
        return encoding == TextEncoding::Ansi;
    return encoding != TextEncoding::Ansi || args.ansi->FromUtf8(typed, stored);
}

// The stored password against the typed one, in the text's encoding: on Windows as the program compares
// them (the system's comparison of the decoded texts), natively by the portable fold.
bool PasswordsMatchAsProgram(const Args& args, TextEncoding encoding, const std::string& stored,
                             const std::string& typed) {
#ifdef _WIN32
    return WinPasswordCase(encoding == TextEncoding::Ansi ? args.codePage : CP_UTF8).Same(stored, typed);
#else
    (void)args, (void)encoding;
    return PortablePasswordCase().Same(stored, typed);
#endif
}

// Reads an encrypted list, checks the stored password and splits the entries after the password line.
// The entries come in the text's own form (see InnerText).
int LoadEncrypted(const Args& args, const std::string& path, std::vector<ListEntry>& entries,
                  TextEncoding& encoding) {
    std::string file, text;
    if (!ReadWholeFile(path, file))
        return Fail("cannot read " + path);
    ListFileResult opened = OpenEncryptedText(file, text);
    if (opened == ListFileResult::NoMemory)
        throw std::bad_alloc();
    if (opened != ListFileResult::Ok)
        return Fail("File error! " + path + " is not a valid encrypted list");
    text = InnerText(text, encoding);
    PasswordLine line = SplitPasswordLine(text);
    std::string password, expected;
    WipeOnExit wipeText{text}, wipeStored{line.password}, wipePassword{password}, wipeExpected{expected};
    if (!line.password.empty())
        if (int rc = TakePassword(args, password, Fail, kPasswordRequired))
            return rc;
    bool matches = PasswordAsStored(args, password, encoding, expected) &&
                   PasswordsMatchAsProgram(args, encoding, line.password, expected);
    if (!line.password.empty() && !matches)
        return Fail("Incorrect Password! File not opened.");
    entries = ParseListText(text.data() + line.entriesOffset, text.size() - line.entriesOffset, kPlainList);
    return kExitOk;
}

int ListFileFailure(ListFileResult result, const std::string& path) {
    switch (result) {
    case ListFileResult::NotThisKind:
    case ListFileResult::Damaged: return Fail("File error! " + path + " is not a valid protected list");
    case ListFileResult::WrongPasswordOrDamaged:
        return Fail("Incorrect password, or the file is damaged! File not opened.");
    case ListFileResult::NotExact:
        return Fail(path + ": a login or password line would not come back byte for byte");
    case ListFileResult::NoMemory: return Fail("not enough memory for " + path);
    default: return Fail("the system's cryptography failed");
    }
}

// A new key that could not be made.
int ProtectFailure(ProtectResult result, const std::string& path) {
    return ListFileFailure(
        result == ProtectResult::NoMemory ? ListFileResult::NoMemory : ListFileResult::SystemError, path);
}

// The password of a protected list, asked for only once its header is ours.
int TakeProtectedPassword(const Args& args, const std::string& path, const std::string& bytes,
                          std::string& password) {
    ProtectedHeader header;
    if (ReadProtectedHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), header) !=
        ProtectResult::Ok)
        return ListFileFailure(ListFileResult::Damaged, path);
    return TakePassword(args, password, Fail, kPasswordRequired);
}

// Reads a protected list: its kind and the list file it stands for, a login list's fields shifted again.
int LoadProtected(const Args& args, const std::string& path, ListKind& kind, std::string& listFile) {
    std::string bytes, password;
    WipeOnExit wipePassword{password};
    if (!ReadWholeFile(path, bytes))
        return Fail("cannot read " + path);
    if (int rc = TakeProtectedPassword(args, path, bytes, password))
        return rc;
    ProtectionKey key;
    ListFileResult result = UnsealListFile(bytes, password, key, kind, listFile);
    return result == ListFileResult::Ok ? kExitOk : ListFileFailure(result, path);
}

int LoadAnyList(const Args& args, const std::string& path, ListKind& kind, std::vector<ListEntry>& entries) {
    if (EndsWithIgnoreCase(path, "plk")) {
        std::string file;
        WipeOnExit wipeFile{file};
        int rc = LoadProtected(args, path, kind, file);
        if (rc == kExitOk)
            entries = ReadTextList(file, kind, *args.ansi).entries;
        return rc;
    }
    if (kind == kEncryptedList) {
        TextEncoding encoding;
        int rc = LoadEncrypted(args, path, entries, encoding);
        if (rc == kExitOk && KeptAsBytes(encoding))
            for (ListEntry& e : entries)
                e.text = DecodeText(e.text, encoding, *args.ansi);
        return rc;
    }
    Bytes file;
    if (!ReadFile(path, file))
        return Fail("cannot read " + path);
    entries = ReadTextList(std::string(file.begin(), file.end()), kind, *args.ansi).entries;
    return kExitOk;
}

int Show(const Args& args) {
    const std::string& path = args.files[0];
    ListKind kind = KindFromName(path);
    std::vector<ListEntry> entries;
    int rc = LoadAnyList(args, path, kind, entries);
    if (rc != kExitOk)
        return rc;
    std::string out;
    for (const ListEntry& e : entries) {
        out += e.text;
        if (kind == kLoginList)
            out += "\t" + e.login + "\t" + e.password;
        out += "\n";
    }
    std::cout << out << std::flush;
    return std::cout ? kExitOk : Fail("cannot write to standard output");
}

int Encrypt(const Args& args) {
    std::string password, text;
    WipeOnExit wipePassword{password}, wipeText{text};
    if (int rc = TakePassword(args, password, UsageError,
                              "encrypt needs a password (--password or a line on standard input)"))
        return rc;
    if (PasswordUnits(password) > kMaxEncryptedPassword ||
        password.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return UsageError("a password has at most 10 characters and no line breaks");
    std::string name = CliNameField(args, args.files[1]);
    if (name.size() > kMaxNameLength)
        return UsageError("the output file name is longer than 255 bytes");
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    TextEncoding encoding;
    std::string list = InnerText(std::string(in.begin(), in.end()), encoding);
    std::string stored;
    WipeOnExit wipeList{list}, wipeStored{stored};
    if (!PasswordAsStored(args, password, encoding, stored))
        return UsageError("the password cannot be written in this list's encoding");
    std::vector<ListEntry> entries = ParseListText(list.data(), list.size(), kPlainList);
    text = InnerBytes(stored + "\r\n" + BuildListText(entries, kPlainList), encoding);
    if (DetectEncoding(text) != encoding) // ANSI bytes that would read back as Unicode, as the program saves
        text = EncodeListText(args.ansi->ToUtf8(text), TextEncoding::Utf8Bom, *args.ansi).bytes;
    if (!FitsLengthField(text.size()))
        return Fail("list too large");
    std::string file = SealEncryptedText(text, name);
    WipeOnExit wipeFile{file};
    return WriteOutput(args.files[1], file.data(), file.size(), Exposure::OwnerOnly);
}

int Decrypt(const Args& args) {
    std::vector<ListEntry> entries;
    TextEncoding encoding;
    int rc = LoadEncrypted(args, args.files[0], entries, encoding);
    if (rc != kExitOk)
        return rc;
    std::string text = InnerBytes(BuildListText(entries, kPlainList), encoding);
    WipeOnExit wipeText{text};
    return WriteOutput(args.files[1], text.data(), text.size(), Exposure::OwnerOnly);
}

int Protect(const Args& args) {
    std::string password;
    WipeOnExit wipePassword{password};
    const char needsPassword[] = "protect needs a password (--password or a line on standard input)";
    if (int rc = TakePassword(args, password, UsageError, needsPassword))
        return rc;
    if (password.empty())
        return UsageError(needsPassword);
    const std::string& path = args.files[0];
    ListKind kind = KindFromName(path);
    if (kind == kEncryptedList || kind == kProtectedList)
        return UsageError("protect takes a plain list or a login list (.plr)");
    Bytes in;
    if (!ReadFile(path, in))
        return Fail("cannot read " + path);
    std::string file(in.begin(), in.end()), out;
    WipeOnExit wipeFile{file};
    ProtectionKey key;
    ProtectResult created = key.Create(password);
    if (created != ProtectResult::Ok)
        return ProtectFailure(created, path);
    ListFileResult result = SealListFile(key, kind, file, out);
    return result == ListFileResult::Ok ? WriteOutput(args.files[1], out.data(), out.size())
                                        : ListFileFailure(result, path);
}

// Writes the list file the protected list was made from: a login list with its fields shifted again.
int Unprotect(const Args& args) {
    ListKind kind = kPlainList;
    std::string file;
    WipeOnExit wipeFile{file};
    int rc = LoadProtected(args, args.files[0], kind, file);
    if (rc != kExitOk)
        return rc;
    return WriteOutput(args.files[1], file.data(), file.size(), Exposure::OwnerOnly);
}

// A login list that logins are imported into: its entries, its encoding and, protected, the key it opened
// with (or a new one), so it is written back as it was found.
struct LoginListFile {
    std::vector<ListEntry> entries;
    TextEncoding encoding = TextEncoding::Ansi;
    ProtectionKey key;
    ~LoginListFile() {
        for (ListEntry& e : entries) {
            WipeSecret(e.text);
            WipeSecret(e.login);
            WipeSecret(e.password);
        }
    }
};

bool OutputExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::u8path(path), error);
}

void TakeLoginEntries(ListFile& parsed, LoginListFile& list) {
    list.entries.swap(parsed.entries);
    list.encoding = parsed.encoding;
}

int ReadPlainLoginList(const Args& args, const std::string& path, LoginListFile& list) {
    if (!OutputExists(path))
        return kExitOk;
    Bytes file;
    if (!ReadFile(path, file))
        return Fail("cannot read " + path);
    std::string bytes(file.begin(), file.end());
    WipeOnExit wipeBytes{bytes};
    std::fill(file.begin(), file.end(), uint8_t(0));
    ListFile parsed = ReadTextList(bytes, kLoginList, *args.ansi);
    TakeLoginEntries(parsed, list);
    return kExitOk;
}

// An existing protected login list opens with its own password; a new one is sealed under the password.
int ReadProtectedLoginList(const Args& args, const std::string& path, LoginListFile& list) {
    std::string password;
    WipeOnExit wipePassword{password};
    const char needsPassword[] = "import-csv into a .plk needs its password (--password or a line on standard input)";
    if (int rc = TakePassword(args, password, UsageError, needsPassword))
        return rc;
    if (password.empty())
        return UsageError(needsPassword);
    if (!OutputExists(path)) {
        ProtectResult created = list.key.Create(password);
        return created == ProtectResult::Ok ? kExitOk : ProtectFailure(created, path);
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return Fail("cannot read " + path);
    ListKind kind = kPlainList;
    ListFile parsed;
    ListFileResult result =
        ReadProtectedList(bytes, password, list.key, kLoginList, *args.ansi, kind, parsed);
    if (result == ListFileResult::Ok && kind == kLoginList) {
        TakeLoginEntries(parsed, list);
        return kExitOk;
    }
    for (ListEntry& e : parsed.entries)
        WipeEntry(e);
    if (result != ListFileResult::Ok)
        return ListFileFailure(result, path);
    return Fail(path + " is a protected plain list, not a login list");
}

// Written as the program writes its login list: shifted fields, ANSI while the code page holds them.
int WriteLoginList(const Args& args, const std::string& path, LoginListFile& list) {
    if (!list.key.IsSet()) {
        EncodedText file = WriteTextList(list.entries, kLoginList, list.encoding, *args.ansi);
        WipeOnExit wipeFile{file.bytes};
        return WriteOutput(path, file.bytes.data(), file.bytes.size(), Exposure::OwnerOnly);
    }
    EncodedText out;
    ListFileResult result =
        WriteProtectedList(list.entries, kLoginList, list.encoding, list.key, *args.ansi, out);
    return result == ListFileResult::Ok ? WriteOutput(path, out.bytes.data(), out.bytes.size())
                                        : ListFileFailure(result, path);
}

// Adds the logins of a browser's or password manager's CSV export to a login list; the summary of what
// was imported and skipped goes to standard error.
int ImportCsv(const Args& args) {
    const std::string& out = args.files[1];
    ListKind kind = KindFromName(out);
    if (kind != kLoginList && kind != kProtectedList)
        return UsageError("import-csv writes a login list (.plr or .plk)");
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    std::string bytes(in.begin(), in.end());
    std::fill(in.begin(), in.end(), uint8_t(0));
    LoginCsv csv = ReadLoginCsv(bytes, *args.ansi);
    WipeSecret(bytes);
    if (!csv.understood)
        return Fail(args.files[0] + ": " + csv.refusal + ", nothing imported");
    LoginListFile list;
    int rc =
        kind == kLoginList ? ReadPlainLoginList(args, out, list) : ReadProtectedLoginList(args, out, list);
    if (rc != kExitOk)
        return rc;
    size_t imported = AppendLogins(list.entries, csv);
    rc = WriteLoginList(args, out, list);
    if (rc == kExitOk)
        std::cerr << ImportSummary(csv, imported) << "\n";
    return rc;
}

struct Command {
    const char* name;
    size_t files;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"lzhuf-encode", 2, LzhufEncodeFile},
    {"lzhuf-decode", 2, LzhufDecodeFile},
    {"show", 1, Show},
    {"encrypt", 2, Encrypt},
    {"decrypt", 2, Decrypt},
    {"protect", 2, Protect},
    {"unprotect", 2, Unprotect},
    {"import-csv", 2, ImportCsv},
};

int RunCommand(int argc, char** argv) {
    Args args;
    WipeOnExit wipePassword{args.password};
    if (!ParseArgs(argc, argv, args))
        return UsageError("bad arguments");
    for (const Command& command : kCommands) {
        if (args.command != command.name)
            continue;
        if (args.files.size() != command.files)
            return UsageError(args.command + " takes " + std::to_string(command.files) + " file name(s)");
        if (args.hasPassword && command.run != Show && command.run != Encrypt && command.run != Decrypt &&
            command.run != Protect && command.run != Unprotect && command.run != ImportCsv)
            return UsageError(args.command + " takes no password");
        if (args.hasCodePage && command.run != Show && command.run != Encrypt && command.run != Decrypt &&
            command.run != ImportCsv)
            return UsageError(args.command + " takes no code page");
        args.ansi = OpenCodePage(args.codePage);
        if (!args.ansi)
            return UsageError("code page " + std::to_string(args.codePage) + " is not known here");
        return command.run(args);
    }
    return UsageError("unknown command '" + args.command + "'");
}

#ifdef _WIN32
// The wide command line as UTF-8, as the native build gets it, so that paths and passwords beyond the
// ANSI code page arrive whole. The wide copies are wiped once taken, and the UTF-8 ones at the end.
int RunCommand(int argc, wchar_t** wideArgv) {
    std::vector<std::string> utf8(static_cast<size_t>(argc));
    std::vector<char*> argv(size_t(argc) + 1, nullptr);
    for (size_t i = 0; i < utf8.size(); ++i) {
        size_t length = std::wcslen(wideArgv[i]);
        utf8[i] = Narrow(wideArgv[i], length);
        SecureZeroMemory(wideArgv[i], length * sizeof(wchar_t));
        argv[i] = &utf8[i][0];
    }
    int rc = RunCommand(argc, argv.data());
    for (std::string& arg : utf8)
        WipeSecret(arg);
    return rc;
}
#endif

// Whatever goes wrong ends with a message and status 2, never with an abort.
template <class Char> int Run(int argc, Char** argv) {
    try {
        return RunCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::length_error&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return Run(argc, argv);
}
#else
int main(int argc, char** argv) {
    return Run(argc, argv);
}
#endif
