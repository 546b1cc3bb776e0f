// File classes of the framework layer: a plain Win32 file, and writing a whole file safely.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class CFile {
  public:
    enum OpenFlags : UINT { modeRead = 0x0000, modeWrite = 0x0001, modeCreate = 0x1000, typeBinary = 0x8000 };
    enum SeekPosition : UINT { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    BOOL Open(const char* path, UINT flags);
    // Bytes actually read; 0 at the end of the file or on an error.
    UINT Read(void* buffer, UINT count);
    // FALSE unless every byte was written.
    BOOL Write(const void* buffer, UINT count);
    BOOL Flush();
    uint64_t GetLength() const;
    uint64_t Seek(int64_t offset, UINT from);
    void Close();
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

  private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// Writes bytes to path without ever leaving a damaged file: the bytes go to a temporary file in the
// same folder, which replaces the target only after a complete, flushed write.
bool WriteWholeFileSafely(const char* path, const void* bytes, size_t size);
