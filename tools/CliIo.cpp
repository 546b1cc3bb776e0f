// pelmar-cli's file, password and wiping edges: POSIX calls natively, Win32 calls in the Windows build.
#include "CliIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>

#ifdef _WIN32
#include "framework/File.h"
#include "framework/WideText.h"
#include "list/TextEncoding.h"

#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
constexpr uint64_t kMaxFileSize = UINT32_MAX; // lengths are stored in 32 bits
constexpr size_t kMaxPasswordLine = 512; // well past the longest password, in bytes or UTF-16 units
} // namespace

#ifdef _WIN32

namespace {
using Handle = std::unique_ptr<void, decltype(&CloseHandle)>;

// Turns echo off while a password is typed at a console, and back on afterwards.
class QuietInput {
  public:
    QuietInput() : m_input(GetStdHandle(STD_INPUT_HANDLE)) {
        if (GetConsoleMode(m_input, &m_saved) &&
            SetConsoleMode(m_input, m_saved & ~DWORD(ENABLE_ECHO_INPUT))) {
            m_active = true;
            std::fputs("Password: ", stderr);
        }
    }
    ~QuietInput() {
        if (!m_active)
            return;
        SetConsoleMode(m_input, m_saved);
        std::fputs("\n", stderr); // the Enter that ended the password was not echoed
    }

  private:
    HANDLE m_input;
    DWORD m_saved = 0;
    bool m_active = false;
};

// Unbuffered, so that no copy of the password stays in a stdio buffer.
bool ReadInputByte(char& c) {
    return _read(0, &c, 1) == 1;
}

// A line of wide characters, from the console or decoded from piped bytes; wiped when it goes.
struct WideLine {
    wchar_t text[kMaxPasswordLine];
    size_t length = 0;
    bool tooLong = false;
    ~WideLine() { SecureZeroMemory(text, sizeof text); }
    void Add(wchar_t c) {
        if (length < kMaxPasswordLine)
            text[length++] = c;
        else
            tooLong = true;
    }
};

// The characters typed at the console, as typed: the ANSI calls would lose those outside the code page.
PasswordInput ReadConsoleLine(HANDLE input, std::string& password) {
    WideLine line;
    bool anyInput = false, ended = false;
    wchar_t chunk[64];
    DWORD got = 0;
    while (!ended && ReadConsoleW(input, chunk, DWORD(std::size(chunk)), &got, nullptr) && got > 0) {
        anyInput = true;
        for (DWORD i = 0; i < got && !ended; ++i) {
            ended = chunk[i] == L'\n';
            if (!ended)
                line.Add(chunk[i]);
        }
    }
    SecureZeroMemory(chunk, sizeof chunk);
    if (line.length > 0 && line.text[line.length - 1] == L'\r')
        --line.length;
    password = Narrow(line.text, line.length);
    return !anyInput ? PasswordInput::Missing : line.tooLong ? PasswordInput::TooLong : PasswordInput::Read;
}

// Piped bytes that are not UTF-8 come from a script that writes the ANSI code page, as this tool read
// them before it read UTF-8.
void AnsiToUtf8(std::string& password) {
    WideLine line;
    int count = MultiByteToWideChar(CP_ACP, 0, password.data(), int(password.size()), line.text,
                                    int(kMaxPasswordLine));
    line.length = count > 0 ? size_t(count) : 0;
    WipeSecret(password);
    password = Narrow(line.text, line.length);
}
} // namespace

bool ReadWholeRegularFile(const std::string& path, std::vector<uint8_t>& bytes) {
    // A folder does not open without backup semantics; pipes and devices are told apart by their type.
    HANDLE raw = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return false;
    Handle file(raw, CloseHandle);
    LARGE_INTEGER size = {};
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size) ||
        uint64_t(size.QuadPart) > kMaxFileSize)
        return false;
    bytes.resize(size_t(size.QuadPart));
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - got, 1u << 30)), read = 0;
        if (!ReadFile(file.get(), bytes.data() + got, chunk, &read, nullptr))
            return false;
        if (read == 0)
            break; // the file shrank meanwhile
        got += read;
    }
    bytes.resize(got);
    return true;
}

// The program's own safe save: a unique temporary file, replaced over the target keeping its access rules.
// A new file takes its folder's access rules, which is what Windows offers instead of a mode.
bool ReplaceWholeFile(const std::string& path, const void* data, size_t size, Exposure) {
    return WriteWholeFileSafely(path.c_str(), data, size);
}

void WipeSecret(std::string& secret) {
    if (!secret.empty())
        SecureZeroMemory(&secret[0], secret.size());
    secret.clear();
}

#else

namespace {
// Closes a descriptor when the scope ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            close(fd);
    }
};

// Turns echo off while a password is typed at a terminal, and back on afterwards.
class QuietInput {
  public:
    QuietInput() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        m_active = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        if (m_active)
            std::fputs("Password: ", stderr);
    }
    ~QuietInput() {
        if (!m_active)
            return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
        std::fputs("\n", stderr); // the Enter that ended the password was not echoed
    }

  private:
    termios m_saved = {};
    bool m_active = false;
};

// Unbuffered, so that no copy of the password stays in a stdio buffer.
bool ReadInputByte(char& c) {
    ssize_t n;
    while ((n = read(STDIN_FILENO, &c, 1)) < 0 && errno == EINTR) {
    }
    return n == 1;
}

// A new temporary file beside path under a random name. O_EXCL fails on any name that exists, a symbolic
// link included, so nothing planted there is followed or overwritten.
int CreateTemporary(const std::string& path, mode_t mode, std::string& temp) {
    size_t slash = path.rfind('/');
    std::string prefix =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "pelmar-tmp-";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[20];
        std::snprintf(suffix, sizeof suffix, "%08x%08x", unsigned(random()), unsigned(random()));
        temp = prefix + suffix;
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The file being replaced hands on its owner and mode; a new file keeps the mode it was created with.
bool TakeOverPermissions(int fd, const std::string& path) {
    struct stat old;
    if (stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode))
        return true;
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only root may hand a file to someone else; for anyone else it is theirs already.
    }
    return fchmod(fd, old.st_mode & 0777) == 0;
}

bool WriteAll(int fd, const uint8_t* p, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}
} // namespace

bool ReadWholeRegularFile(const std::string& path, std::vector<uint8_t>& bytes) {
    // Opened without blocking, so that a pipe with no writer is refused instead of waited for.
    Descriptor in{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat st;
    if (in.fd < 0 || fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > kMaxFileSize)
        return false;
    bytes.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(in.fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break; // the file shrank meanwhile
        got += size_t(n);
    }
    bytes.resize(got);
    return true;
}

bool ReplaceWholeFile(const std::string& path, const void* data, size_t size, Exposure exposure) {
    std::string temp;
    Descriptor out{CreateTemporary(path, exposure == Exposure::OwnerOnly ? 0600 : 0666, temp)};
    if (out.fd < 0)
        return false;
    bool ok = TakeOverPermissions(out.fd, path) &&
              WriteAll(out.fd, static_cast<const uint8_t*>(data), size) && fsync(out.fd) == 0;
    ok = close(out.fd) == 0 && ok;
    out.fd = -1;
    if (ok && rename(temp.c_str(), path.c_str()) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

void WipeSecret(std::string& secret) {
    if (!secret.empty())
        explicit_bzero(&secret[0], secret.size());
    secret.clear();
}

#endif

namespace {
// The line's bytes as they come.
PasswordInput ReadByteLine(std::string& password) {
    password.reserve(kMaxPasswordLine); // no reallocation may leave an unwiped copy behind
    bool anyInput = false, tooLong = false;
    char c = 0;
    while (ReadInputByte(c)) {
        anyInput = true;
        if (c == '\n')
            break;
        if (password.size() < kMaxPasswordLine)
            password += c;
        else
            tooLong = true;
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    return !anyInput ? PasswordInput::Missing : tooLong ? PasswordInput::TooLong : PasswordInput::Read;
}
} // namespace

PasswordInput ReadPasswordLine(std::string& password) {
    WipeSecret(password);
    QuietInput quiet;
#ifdef _WIN32
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode))
        return ReadConsoleLine(input, password);
    PasswordInput read = ReadByteLine(password);
    if (read == PasswordInput::Read && !IsValidUtf8(password))
        AnsiToUtf8(password);
    return read;
#else
    return ReadByteLine(password);
#endif
}
