// CFile over the Win32 file API, and the safe whole-file write used by every save.
#include "framework/File.h"

#include "framework/WideText.h"

namespace {
std::wstring LongPathOf(const char* path);
} // namespace

BOOL CFile::Open(const char* path, UINT flags) {
    Close();
    DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    DWORD share = (flags & modeWrite) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    std::wstring wide = LongPathOf(path);
    m_handle = wide.empty() ? INVALID_HANDLE_VALUE
                            : CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                          nullptr);
    return IsOpen();
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD got = 0;
    if (!IsOpen() || !ReadFile(m_handle, buffer, count, &got, nullptr))
        return 0;
    return got;
}

BOOL CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!IsOpen())
        return FALSE;
    if (count == 0)
        return TRUE;
    return WriteFile(m_handle, buffer, count, &written, nullptr) && written == count;
}

BOOL CFile::Flush() {
    return IsOpen() && FlushFileBuffers(m_handle);
}

uint64_t CFile::GetLength() const {
    LARGE_INTEGER size = {};
    if (!IsOpen() || !GetFileSizeEx(m_handle, &size))
        return 0;
    return uint64_t(size.QuadPart);
}

uint64_t CFile::Seek(int64_t offset, UINT from) {
    LARGE_INTEGER distance, position = {};
    distance.QuadPart = offset;
    if (!IsOpen() || !SetFilePointerEx(m_handle, distance, &position, from))
        return 0;
    return uint64_t(position.QuadPart);
}

void CFile::Close() {
    if (IsOpen())
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

namespace {
// Paths arrive as UTF-8. The wide calls get the "\\?\" form of the full path, so that paths beyond 260
// characters, and a temporary name beside a target near that limit, still work.
std::wstring LongPathOf(const char* path) {
    std::wstring wide = Widen(path);
    if (wide.empty())
        return std::wstring();
    DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || (length = GetFullPathNameW(wide.c_str(), length, &full[0], nullptr)) >= full.size())
        return std::wstring();
    full.resize(length);
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A short random name; uniqueness comes from CREATE_NEW, the randomness only spares retries.
std::wstring TemporaryName(uint64_t seed) {
    uint64_t z = seed + 0x9E3779B97F4A7C15ull;  // splitmix64
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    std::wstring name = L"~pel";
    for (int i = 0; i < 8; ++i, z >>= 4)
        name += L"0123456789abcdef"[z & 15];
    return name + L".tmp";
}

// A new file beside target that nobody else has: CREATE_NEW fails on any existing name, a link included.
HANDLE CreateTemporaryBeside(const std::wstring& target, std::wstring& temp) {
    std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    uint64_t seed = uint64_t(now.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 40);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + TemporaryName(seed + uint64_t(attempt));
        HANDLE file =
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAllAndFlush(HANDLE file, const void* bytes, size_t size) {
    const char* p = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size), written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written != chunk)
            return false;
        p += chunk;
        size -= chunk;
    }
    return FlushFileBuffers(file) != 0;
}

// Replacing needs delete access. Checked first because Wine's ReplaceFile, refused, leaves a stray file.
bool HeldOpenByOthers(const std::wstring& target) {
    const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return false;
}

// ReplaceFile keeps the old file's access rules and encryption; the plain attributes are handed on here
// as well, since Wine's ReplaceFile and the fallback move don't. Where there is no old file, or the
// volume can't replace, a plain move still leaves either the complete new file or the old one.
bool PutInPlace(const std::wstring& temp, const std::wstring& target, DWORD attributes) {
    const DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                        FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || HeldOpenByOthers(target))
            return false;
        if (attributes & kKept)
            SetFileAttributesW(temp.c_str(), attributes & kKept);
        const DWORD flags = REPLACEFILE_IGNORE_MERGE_ERRORS;
        if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, flags, nullptr, nullptr))
            return true;
    }
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
} // namespace

bool WriteWholeFileSafely(const char* path, const void* bytes, size_t size) {
    std::wstring target = LongPathOf(path), temp;
    if (target.empty())
        return false;
    HANDLE file = CreateTemporaryBeside(target, temp);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD attributes = GetFileAttributesW(target.c_str());
    bool written = WriteAllAndFlush(file, bytes, size);
    CloseHandle(file);  // replacing needs the handle closed
    if (written && PutInPlace(temp, target, attributes))
        return true;
    // A replace that took the old file away and then failed leaves the temporary file as the one complete
    // copy: it stays.
    bool oldFileStays = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || oldFileStays)
        DeleteFileW(temp.c_str());
    return false;
}
