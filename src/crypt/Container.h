// The encrypted list file: a fixed header line, counts, the file's own name and the LZHUF stream.
//   0  header (24)   24  total length (4)   28  T (4)   32  L (1, unused)   33  L (1)
//   34 name (L)      34+L  T again, opening the stream (4)   38+L  bit stream
#pragma once
#include <algorithm>

#include "common/Wipe.h"
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "crypt/Lzhuf.h"

extern const char kContainerHeader[24]; // "Pelmar Encrypted File\r\n" + NUL

constexpr size_t kContainerHeaderSize = 24;
constexpr size_t kTotalLengthOffset = 24;
constexpr size_t kTextLengthOffset = 28;
constexpr size_t kNameLengthOffset = 33;
constexpr size_t kNameOffset = 34;
constexpr size_t kMaxNameLength = 255;

// Writes header, T twice (total-length placeholder = T), L twice, name, stream. Caller patches offset 24.
// A name longer than 255 bytes is cut to 255, since its length is stored in one byte.
void WriteEncryptedList(const uint8_t* text, uint32_t T, const char* name, ByteSink& out);

// The complete file for a plain text and a name field, total length patched.
std::vector<uint8_t> EncryptedListBytes(const std::string& text, const std::string& name);

// The name field for a target path: the part after the last backslash. The cli also cuts at '/'.
std::string NameField(const std::string& path);

// The bytes the name field holds: the name in the ANSI code page where it fits, as the program has
// always written it, in UTF-8 where it does not. (Nothing reads the field back.)
class AnsiCodePage;
std::string EncodeNameField(const std::string& name, const AnsiCodePage& codePage);

// The 23 header characters in any letter case, then a NUL at offset 23.
bool HasContainerHeader(const uint8_t* data, size_t size);

// body holds the file from offset 24 on, count bytes of it valid. Skips the name field by its
// stored length and expands the stream into out. Returns what the decoder saw.
LzhufDecodeStats ReadEncryptedBody(const uint8_t* body, size_t count, ByteSink& out);

// Whole-file reader: checks header and counts, decodes into exactly T bytes. false = "File error!" case.
// Refused: no header; shorter than 38 + L; total length differing from the file size; the two copies
// of T disagreeing; T beyond what the stream could carry; a stream that ends early or expands past T.
bool ReadEncryptedFile(const uint8_t* data, size_t size, std::string& text);

// Fixed-capacity sink: keeps what fits and notes that more was offered.
class MemorySink : public ByteSink {
public:
    MemorySink(uint8_t* buf, size_t capacity) : buf_(buf), capacity_(capacity) {}
    void Put(uint8_t b) override {
        if (size_ < capacity_)
            buf_[size_++] = b;
        else
            overflow_ = true;
    }
    void PutBytes(const uint8_t* p, size_t n) override {
        size_t room = capacity_ - size_;
        if (n > room) {
            n = room;
            overflow_ = true;
        }
        if (n)
            std::memcpy(buf_ + size_, p, n);
        size_ += n;
    }
    size_t Size() const { return size_; }
    bool Overflowed() const { return overflow_; }

private:
    uint8_t* buf_;
    size_t capacity_;
    size_t size_ = 0;
    bool overflow_ = false;
};

// Growing sink for texts and files built in memory. With a limit it keeps at most that many bytes and
// notes that more was offered; memory then follows what a stream really decodes to, not what it claims.
template <class Bytes>
class GrowingSink : public ByteSink {
public:
    explicit GrowingSink(Bytes& bytes, size_t limit = SIZE_MAX) : bytes_(bytes), limit_(limit) {}
    void Put(uint8_t b) override { PutBytes(&b, 1); }
    void PutBytes(const uint8_t* p, size_t n) override {
        size_t room = bytes_.size() < limit_ ? limit_ - bytes_.size() : 0;
        if (n > room) {
            n = room;
            overflow_ = true;
        }
        auto* q = reinterpret_cast<const typename Bytes::value_type*>(p);
        if (bytes_.capacity() - bytes_.size() < n)
            Grow(n);
        bytes_.insert(bytes_.end(), q, q + n);
    }
    bool Overflowed() const { return overflow_; }

private:
    // The text may be a decoded list with its password: the block given up is wiped, not just freed.
    void Grow(size_t n) {
        size_t wanted = std::max(bytes_.size() + n, bytes_.capacity() * 2);
        Bytes grown;
        grown.reserve(std::min(wanted, std::max(limit_, bytes_.size() + n)));
        grown.assign(bytes_.begin(), bytes_.end());
        if (!bytes_.empty())
            WipeMemory(&bytes_[0], bytes_.size());
        bytes_.swap(grown);
    }

    Bytes& bytes_;
    size_t limit_;
    bool overflow_ = false;
};

using VectorSink = GrowingSink<std::vector<uint8_t>>;
using StringSink = GrowingSink<std::string>;
