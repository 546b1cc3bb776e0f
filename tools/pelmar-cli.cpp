// pelmar-cli: shows, encrypts, decrypts, protects and unprotects list files and runs the raw LZHUF
// codec, for scripts and support.
// Exit 0 success, 1 usage error, 2 bad file, wrong password or I/O error. Outputs are written to a
// temporary file beside the target and renamed, so a failure leaves no partial file.
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"
#include "crypt/ProtectedList.h"
#include "list/ListText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailed = 2;
constexpr size_t kMaxPasswordLength = 10; // what the password dialog admits

const char kUsage[] =
    "usage: pelmar-cli lzhuf-encode IN OUT\n"
    "       pelmar-cli lzhuf-decode IN OUT\n"
    "       pelmar-cli show FILE [--password PW]\n"
    "       pelmar-cli encrypt IN OUT --password PW\n"
    "       pelmar-cli decrypt IN OUT [--password PW]\n"
    "       pelmar-cli protect IN OUT --password PW\n"
    "       pelmar-cli unprotect IN OUT --password PW\n";

struct Args {
    std::string command;
    std::vector<std::string> files;
    bool hasPassword = false;
    std::string password;
};

// Lengths are stored in 32 bits. (A plain comparison warns where size_t is itself 32 bits.)
bool FitsLengthField(uint64_t size) { return size <= UINT32_MAX; }

int Fail(const std::string& message) {
    std::cerr << "pelmar-cli: " << message << "\n";
    return kExitFailed;
}

int UsageError(const std::string& message) {
    std::cerr << "pelmar-cli: " << message << "\n" << kUsage;
    return kExitUsage;
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
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return false;
        } else {
            args.files.push_back(arg);
        }
    }
    return true;
}

bool ReadFile(const std::string& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFileReplacing(const std::string& path, const void* data, size_t size) {
    std::string temp = path + ".pelmar-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(static_cast<const char*>(data), std::streamsize(size));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

int WriteOutput(const std::string& path, const void* data, size_t size) {
    return WriteFileReplacing(path, data, size) ? kExitOk : Fail("cannot write " + path);
}

// The name the program would store: the target after its last backslash, and here also its last '/'.
std::string CliNameField(const std::string& path) {
    std::string name = NameField(path);
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

int LzhufEncodeFile(const Args& args) {
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    if (!FitsLengthField(in.size()))
        return Fail("input too large");
    Bytes out;
    VectorSink sink(out);
    LzhufEncode(in.data(), uint32_t(in.size()), sink);
    return WriteOutput(args.files[1], out.data(), out.size());
}

int LzhufDecodeFile(const Args& args) {
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    if (in.size() < 4)
        return Fail("bad stream: shorter than its length field");
    uint32_t length = LzhufStoredLength(in.data(), 0, in.size());
    if (length > LzhufMaxTextLength(in.size() - 4))
        return Fail("bad stream: stored length too large for the stream");
    Bytes out(length);
    MemorySink sink(out.data(), out.size());
    LzhufDecodeStats stats;
    LzhufDecode(in.data(), 0, in.size(), sink, stats);
    if (!stats.complete || sink.Overflowed())
        return Fail("bad stream: truncated or damaged");
    return WriteOutput(args.files[1], out.data(), out.size());
}

// Reads an encrypted list, checks the stored password and splits the entries after the password line.
int LoadEncrypted(const Args& args, const std::string& path, std::vector<ListEntry>& entries) {
    Bytes file;
    if (!ReadFile(path, file))
        return Fail("cannot read " + path);
    std::string text;
    if (!ReadEncryptedFile(file.data(), file.size(), text))
        return Fail("File error! " + path + " is not a valid encrypted list");
    std::string stored = text.substr(0, text.find_first_of(std::string("\r\n\0", 3)));
    if (!stored.empty() && (!args.hasPassword || !EqualsIgnoreCase(args.password, stored)))
        return Fail(args.hasPassword ? "Incorrect Password! File not opened." : "password required (--password)");
    size_t offset = std::min(stored.size() + 2, text.size());
    entries = ParseListText(text.data() + offset, text.size() - offset, kPlainList);
    return kExitOk;
}

// A protected list's password is UTF-8; a Windows program gets its command line in the ANSI code page.
std::string PasswordUtf8(const std::string& password) {
#ifdef _WIN32
    int wide = MultiByteToWideChar(CP_ACP, 0, password.data(), int(password.size()), nullptr, 0);
    std::wstring text(size_t(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, password.data(), int(password.size()), &text[0], wide);
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, &utf8[0], size, nullptr, nullptr);
    return utf8;
#else
    return password;
#endif
}

int ProtectFailure(ProtectResult result, const std::string& path) {
    switch (result) {
    case ProtectResult::BadFile: return Fail("File error! " + path + " is not a valid protected list");
    case ProtectResult::WrongPasswordOrDamaged:
        return Fail("Incorrect password, or the file is damaged! File not opened.");
    case ProtectResult::NoMemory: return Fail("not enough memory for " + path);
    default: return Fail("the system's cryptography failed");
    }
}

// The bytes of the list file that a protected list's text stands for.
std::string ListFileText(ListKind kind, const std::string& text) {
    return kind == kLoginList ? ShiftLoginText(text) : text;
}

// Reads a protected list: its kind and its text, a login list's fields in clear.
int LoadProtected(const Args& args, const std::string& path, ListKind& kind, std::string& text) {
    Bytes file;
    if (!ReadFile(path, file))
        return Fail("cannot read " + path);
    ProtectedHeader header;
    ProtectResult result = ReadProtectedHeader(file.data(), file.size(), header);
    if (result == ProtectResult::Ok && !args.hasPassword)
        return Fail("password required (--password)");
    ProtectionKey key;
    if (result == ProtectResult::Ok)
        result = OpenProtectedList(file.data(), file.size(), PasswordUtf8(args.password), key, kind, text);
    return result == ProtectResult::Ok ? kExitOk : ProtectFailure(result, path);
}

int LoadAnyList(const Args& args, const std::string& path, ListKind& kind, std::vector<ListEntry>& entries) {
    if (EndsWithIgnoreCase(path, "plk")) {
        std::string text;
        int rc = LoadProtected(args, path, kind, text);
        if (rc == kExitOk) {
            std::string file = ListFileText(kind, text);
            entries = ParseListText(file.data(), file.size(), kind);
        }
        return rc;
    }
    if (kind == kEncryptedList)
        return LoadEncrypted(args, path, entries);
    Bytes file;
    if (!ReadFile(path, file))
        return Fail("cannot read " + path);
    entries = ParseListText(reinterpret_cast<const char*>(file.data()), file.size(), kind);
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
    if (!args.hasPassword)
        return UsageError("encrypt needs --password");
    if (args.password.size() > kMaxPasswordLength ||
        args.password.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return UsageError("a password has at most 10 characters and no line breaks");
    std::string name = CliNameField(args.files[1]);
    if (name.size() > kMaxNameLength)
        return UsageError("the output file name is longer than 255 bytes");
    Bytes in;
    if (!ReadFile(args.files[0], in))
        return Fail("cannot read " + args.files[0]);
    std::vector<ListEntry> entries = ParseListText(reinterpret_cast<const char*>(in.data()), in.size(), kPlainList);
    std::string text = args.password + "\r\n" + BuildListText(entries, kPlainList);
    if (!FitsLengthField(text.size()))
        return Fail("list too large");
    Bytes file = EncryptedListBytes(text, name);
    return WriteOutput(args.files[1], file.data(), file.size());
}

int Decrypt(const Args& args) {
    std::vector<ListEntry> entries;
    int rc = LoadEncrypted(args, args.files[0], entries);
    if (rc != kExitOk)
        return rc;
    std::string text = BuildListText(entries, kPlainList);
    return WriteOutput(args.files[1], text.data(), text.size());
}

int Protect(const Args& args) {
    if (!args.hasPassword || args.password.empty())
        return UsageError("protect needs a password (--password)");
    const std::string& path = args.files[0];
    ListKind kind = KindFromName(path);
    if (kind == kEncryptedList)
        return UsageError("protect takes a plain list or a login list (.plr)");
    Bytes in;
    if (!ReadFile(path, in))
        return Fail("cannot read " + path);
    std::string file(in.begin(), in.end());
    std::string text = kind == kLoginList ? UnshiftLoginText(file) : file;
    if (ListFileText(kind, text) != file)
        return Fail(path + ": a login or password line would not come back byte for byte");
    ProtectionKey key;
    Bytes out;
    ProtectResult result = key.Create(PasswordUtf8(args.password));
    if (result == ProtectResult::Ok)
        result = SealProtectedList(key, kind, text, out);
    return result == ProtectResult::Ok ? WriteOutput(args.files[1], out.data(), out.size())
                                       : ProtectFailure(result, path);
}

// Writes the list file the protected list was made from: a login list with its fields shifted again.
int Unprotect(const Args& args) {
    ListKind kind = kPlainList;
    std::string text;
    int rc = LoadProtected(args, args.files[0], kind, text);
    if (rc != kExitOk)
        return rc;
    std::string file = ListFileText(kind, text);
    return WriteOutput(args.files[1], file.data(), file.size());
}

struct Command {
    const char* name;
    size_t files;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"lzhuf-encode", 2, LzhufEncodeFile}, {"lzhuf-decode", 2, LzhufDecodeFile}, {"show", 1, Show},
    {"encrypt", 2, Encrypt},              {"decrypt", 2, Decrypt},
    {"protect", 2, Protect},              {"unprotect", 2, Unprotect},
};

} // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, args))
        return UsageError("bad arguments");
    for (const Command& command : kCommands) {
        if (args.command != command.name)
            continue;
        if (args.files.size() != command.files)
            return UsageError(args.command + " takes " + std::to_string(command.files) + " file name(s)");
        if (args.hasPassword && command.run != Show && command.run != Encrypt && command.run != Decrypt &&
            command.run != Protect && command.run != Unprotect)
            return UsageError(args.command + " takes no password");
        return command.run(args);
    }
    return UsageError("unknown command '" + args.command + "'");
}
