// pelmar-cli: shows, encrypts and decrypts list files and runs the raw LZHUF codec, for scripts and support.
// Exit 0 success, 1 usage error, 2 bad file, wrong password or I/O error. Outputs are written to a
// temporary file beside the target and renamed, so a failure leaves no partial file.
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"
#include "list/ListText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

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
    "       pelmar-cli decrypt IN OUT [--password PW]\n";

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

// The whole file in one read.
bool ReadFile(const std::string& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    std::streamoff size = in.tellg();
    if (size < 0 || !in.seekg(0))
        return false;
    bytes.resize(size_t(size));
    return bool(in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size)));
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
    out.reserve(in.size() + in.size() / 8 + 16); // the stream of random bytes is barely longer
    VectorSink sink(out);
    LzhufEncode(in.data(), uint32_t(in.size()), sink);
    return WriteOutput(args.files[1], out.data(), out.size());
}

// Decoded text in one block that grows as the stream decodes, up to the stored length. A large block
// grows by realloc, which can move its pages instead of copying them as a vector would.
class DecodedText : public ByteSink {
public:
    DecodedText(size_t limit, size_t initial) : limit_(limit) { Reserve(std::min(limit, initial)); }
    DecodedText(const DecodedText&) = delete;
    DecodedText& operator=(const DecodedText&) = delete;
    ~DecodedText() override { std::free(data_); }
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
    DecodedText out(length, in.size());
    LzhufDecodeStats stats;
    LzhufDecode(in.data(), 0, in.size(), out, stats);
    if (!stats.complete || out.Overflowed())
        return Fail("bad stream: truncated or damaged");
    return WriteOutput(args.files[1], out.Data(), out.Size());
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

int LoadAnyList(const Args& args, const std::string& path, ListKind kind, std::vector<ListEntry>& entries) {
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

struct Command {
    const char* name;
    size_t files;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {"lzhuf-encode", 2, LzhufEncodeFile}, {"lzhuf-decode", 2, LzhufDecodeFile}, {"show", 1, Show},
    {"encrypt", 2, Encrypt},              {"decrypt", 2, Decrypt},
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
        if (args.hasPassword && command.run != Show && command.run != Encrypt && command.run != Decrypt)
            return UsageError(args.command + " takes no password");
        return command.run(args);
    }
    return UsageError("unknown command '" + args.command + "'");
}
