// CFile over the Win32 file API, and the safe whole-file write used by every save.
#include "framework/File.h"

BOOL CFile::Open(const char* path, UINT flags) {
    Close();
    DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    DWORD share = (flags & modeWrite) ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    m_handle = CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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
std::string FolderOf(const char* path) {
    std::string p = path;
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash == 2 && p[1] == ':' ? 3 : slash);
}

bool WriteTemporary(const char* tempPath, const void* bytes, size_t size) {
    CFile file;
    if (!file.Open(tempPath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
        return false;
    const char* p = static_cast<const char*>(bytes);
    while (size > 0) {
        UINT chunk = size > 0x40000000 ? 0x40000000 : UINT(size);
        if (!file.Write(p, chunk))
            return false;
        p += chunk;
        size -= chunk;
    }
    return file.Flush();
}
} // namespace

bool WriteWholeFileSafely(const char* path, const void* bytes, size_t size) {
    char tempPath[MAX_PATH + 16] = {};
    if (!GetTempFileNameA(FolderOf(path).c_str(), "pel", 0, tempPath))
        return false;
    if (WriteTemporary(tempPath, bytes, size) &&
        MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(tempPath);
    return false;
}
