// LZHUF: LZSS over a 4096-byte window with adaptive Huffman coding, the compressor of encrypted lists.
// A stream is the 4-byte little-endian length of the text followed by the bit stream, MSB first.
#pragma once
#include <cstddef>
#include <cstdint>

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Put(uint8_t b) = 0;
    // The codec hands its output over in chunks through this; one virtual call per chunk instead of
    // one per byte. The same bytes in the same order as n calls of Put.
    virtual void PutBytes(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; i++)
            Put(p[i]);
    }
};

// Lets tests see how long the Huffman codes got: past 16 bits the published 16-bit accumulator fails.
struct LzhufEncodeProbe {
    unsigned longestCode = 0; // in bits
};

struct LzhufDecodeStats {
    uint32_t length = 0;   // the stored length
    bool complete = true;  // false when the stream ran out of bits before the text was complete
};

void LzhufEncode(const uint8_t* in, uint32_t n, ByteSink& out);
void LzhufEncode(const uint8_t* in, uint32_t n, ByteSink& out, LzhufEncodeProbe& probe);

// Reads the 4-byte length at lengthOffset and the stream after it. A stream that needs bits at or past
// validCount stops there, before writing anything those bits would decode to; the output is then what
// the stream really holds, however long a length it claims.
void LzhufDecode(const uint8_t* buf, size_t lengthOffset, size_t validCount, ByteSink& out);
void LzhufDecode(const uint8_t* buf, size_t lengthOffset, size_t validCount, ByteSink& out,
                 LzhufDecodeStats& stats);

// The stored length at lengthOffset (bytes past validCount read as 0).
uint32_t LzhufStoredLength(const uint8_t* buf, size_t lengthOffset, size_t validCount);

// Upper bound of the text length a bit stream of streamBytes bytes can carry. Every code is at least
// one bit, and a match (at most 60 bytes) also costs at least 9 position bits: 6 bytes per bit.
inline uint64_t LzhufMaxTextLength(size_t streamBytes) { return uint64_t(streamBytes) * 8 * 6; }
