// Writing and reading the encrypted list container around the LZHUF stream.
#include "crypt/Container.h"

#include "common/AnsiCodePage.h"
#include "common/LittleEndian.h"

#include <algorithm>
#include <cstring>

const char kContainerHeader[24] = "Pelmar Encrypted File\r\n";

namespace {

void PutU32(uint32_t v, ByteSink& out) {
    uint8_t bytes[4];
    WriteLe32(bytes, v);
    for (uint8_t b : bytes)
        out.Put(b);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Offsets 24..37 plus the name field: the smallest file that holds every count.
constexpr size_t kFixedSize = 38;

} // namespace

void WriteEncryptedList(const uint8_t* text, uint32_t T, const char* name, ByteSink& out) {
    for (char c : kContainerHeader)
        out.Put(uint8_t(c));
    PutU32(T, out); // total-length placeholder
    PutU32(T, out);
    size_t L = std::min(std::strlen(name), kMaxNameLength);
    out.Put(uint8_t(L));
    out.Put(uint8_t(L));
    for (size_t i = 0; i < L; i++)
        out.Put(uint8_t(name[i]));
    LzhufEncode(text, T, out);
}

std::vector<uint8_t> EncryptedListBytes(const std::string& text, const std::string& name) {
    std::vector<uint8_t> bytes;
    VectorSink sink(bytes);
    WriteEncryptedList(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()), name.c_str(),
                       sink);
    uint32_t total = uint32_t(bytes.size());
    for (int i = 0; i < 4; i++)
        bytes[kTotalLengthOffset + size_t(i)] = uint8_t(total >> (8 * i));
    return bytes;
}

std::string NameField(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string EncodeNameField(const std::string& name, const AnsiCodePage& codePage) {
    std::string ansi;
    return codePage.FromUtf8(name, ansi) ? ansi : name;
}

bool HasContainerHeader(const uint8_t* data, size_t size) {
    if (size < kContainerHeaderSize || data[23] != 0)
        return false;
    for (size_t i = 0; i < 23; i++) {
        if (AsciiLower(char(data[i])) != AsciiLower(kContainerHeader[i]))
            return false;
    }
    return true;
}

LzhufDecodeStats ReadEncryptedBody(const uint8_t* body, size_t count, ByteSink& out) {
    // Offsets here are relative to file offset 24; a body too short reads as zeros.
    const size_t nameLengthAt = kNameLengthOffset - kTotalLengthOffset;
    size_t L = count > nameLengthAt ? body[nameLengthAt] : 0;
    LzhufDecodeStats stats;
    LzhufDecode(body, nameLengthAt + 1 + L, count, out, stats);
    return stats;
}

bool ReadEncryptedFile(const uint8_t* data, size_t size, std::string& text) {
    if (!HasContainerHeader(data, size) || size < kFixedSize)
        return false;
    // The length patch makes the total exact, so any other value means a cut or padded file.
    if (ReadLe32(data + kTotalLengthOffset) != size)
        return false;
    uint32_t T = ReadLe32(data + kTextLengthOffset);
    size_t L = data[kNameLengthOffset];
    if (kFixedSize + L > size)
        return false;
    if (ReadLe32(data + kNameOffset + L) != T)
        return false;
    // Refuse before allocating: the stream could never expand to this many bytes.
    if (T > LzhufMaxTextLength(size - kFixedSize - L))
        return false;
    // Room for as much text as the file has bytes; past that it grows only as the stream decodes.
    std::string decoded;
    decoded.reserve(std::min<size_t>(T, size));
    StringSink sink(decoded, T);
    LzhufDecodeStats stats = ReadEncryptedBody(data + kTotalLengthOffset, size - kTotalLengthOffset, sink);
    if (!stats.complete || sink.Overflowed() || decoded.size() != T)
        return false;
    text.swap(decoded);
    return true;
}
