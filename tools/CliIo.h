// pelmar-cli's edges: whole-file reading and replacing, the password from standard input, wiping secrets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Who may read a file that an output creates (a file it replaces keeps its own permissions).
enum class Exposure { Public, OwnerOnly };

// Reads a whole regular file; false for a folder, a pipe or device, a missing or unreadable file, and one
// over 4 GiB (no list or stream is that long).
bool ReadWholeRegularFile(const std::string& path, std::vector<uint8_t>& bytes);

// Replaces path with the bytes through a new temporary file beside it (unique, created exclusively, never
// through a link, flushed before the rename). False, with nothing left behind, when any step fails.
bool ReplaceWholeFile(const std::string& path, const void* data, size_t size, Exposure exposure);

// The first line of standard input without its line break, not echoed at a terminal, in UTF-8 on
// Windows: a console is read as the wide characters typed, other input as UTF-8 where it is valid UTF-8
// and in the ANSI code page where it is not (as scripts written for the ANSI code page send it).
// Natively the line is taken as its bytes.
enum class PasswordInput { Read, Missing, TooLong };
PasswordInput ReadPasswordLine(std::string& password);

// Overwrites a secret before its memory goes back.
void WipeSecret(std::string& secret);

// Wipes a secret when the scope ends, whichever way it ends.
struct WipeOnExit {
    std::string& secret;
    ~WipeOnExit() { WipeSecret(secret); }
};
