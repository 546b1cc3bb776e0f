// The encodings a list file can be in: how they are recognised, read into UTF-8 and written back,
// the pluggable ANSI code page (Windows-1252 built in) and the UTF-8 / UTF-16 conversions.
#pragma once
#include <cstddef>
#include <string>

#include "common/AnsiCodePage.h"
#include "common/Utf8.h"

enum class TextEncoding { Ansi, Utf8, Utf8Bom, Utf16Le };

// Windows-1252 as Windows maps it: the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D stand
// for the control characters of the same number, so every byte string reads and writes back unchanged.
const AnsiCodePage& Windows1252();

// A mark (UTF-8 or UTF-16 LE byte-order mark) decides; without one, valid UTF-8 holding at least one
// non-ASCII character is UTF-8, and so is UTF-8 with a few stray bytes (at least two valid multi-byte
// sequences, at most one stray byte for every ten of them); anything else is ANSI.
TextEncoding DetectEncoding(const std::string& bytes);

// Text in an encoding, without its mark, read into valid UTF-8: bytes that do not decode (a bad UTF-8
// sequence, a lone surrogate, half a UTF-16 code unit at the end) read as U+FFFD.
std::string DecodeText(const std::string& bytes, TextEncoding encoding, const AnsiCodePage& codePage);
// UTF-8 text in an encoding, without its mark; false when the ANSI code page lacks a character.
bool EncodeText(const std::string& utf8, TextEncoding encoding, const AnsiCodePage& codePage, std::string& bytes);
bool HasNonAscii(const std::string& bytes);

struct DecodedText {
    std::string text; // UTF-8, always valid, without the mark
    TextEncoding encoding;
};
DecodedText DecodeListBytes(const std::string& bytes, const AnsiCodePage& codePage);

struct EncodedText {
    std::string bytes;     // mark included
    TextEncoding encoding; // the one used: Utf8Bom where ANSI could not hold the text
};
// ANSI is kept only while the code page holds every character and the bytes would read back as ANSI.
EncodedText EncodeListText(const std::string& utf8, TextEncoding encoding, const AnsiCodePage& codePage);

extern const char kUtf8Bom[4]; // "\xEF\xBB\xBF"
bool StartsWithUtf8Bom(const std::string& bytes);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF). Invalid sequences and
// unpaired surrogates become U+FFFD, one for each maximal invalid part.
bool IsValidUtf8(const std::string& text);
std::string ValidUtf8(const std::string& text);
std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);
