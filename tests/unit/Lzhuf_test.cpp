// LZHUF: known streams derived from the starting model, round trips, and codes past 16 bits.
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& in, LzhufEncodeProbe* probe = nullptr) {
    Bytes out;
    VectorSink sink(out);
    LzhufEncodeProbe local;
    LzhufEncode(in.data(), uint32_t(in.size()), sink, probe ? *probe : local);
    return out;
}

Bytes Decode(const Bytes& stream, size_t validCount, LzhufDecodeStats* stats = nullptr) {
    Bytes out;
    VectorSink sink(out);
    LzhufDecodeStats local;
    LzhufDecode(stream.data(), 0, validCount, sink, stats ? *stats : local);
    return out;
}

Bytes Decode(const Bytes& stream) { return Decode(stream, stream.size()); }

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }

// Bits as text ("1100 0101"), spaces ignored, packed MSB first behind a 4-byte length.
Bytes Stream(uint32_t length, const std::string& bits) {
    Bytes out = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    int used = 8;
    for (char c : bits) {
        if (c == ' ')
            continue;
        if (used == 8) {
            out.push_back(0);
            used = 0;
        }
        if (c == '1')
            out.back() |= uint8_t(0x80 >> used);
        used++;
    }
    return out;
}

// Code of tree node `node` in the starting model: node 314 + k joins nodes 2k and 2k + 1, the root is
// 626, and each step from a node to its parent contributes the node's parity as the next bit up.
std::string StartCode(int node) {
    std::string code;
    while (node != 626) {
        code.insert(code.begin(), char('0' + (node & 1)));
        node = 314 + node / 2;
    }
    return code;
}

TEST(Lzhuf, StartCodeOfLongestMatchIsEightBits) {
    // Sanity of the helper against a hand walk: 626 -> 625 -> 623 -> 618 -> 608 -> 588 -> 549 -> 470 -> 313.
    EXPECT_EQ(StartCode(313), "11000101");
}

struct KnownStream {
    const char* name;
    Bytes text;
    Bytes stream;
};

std::vector<KnownStream> KnownStreams() {
    return {
        {"empty input is four zero bytes", {}, {0, 0, 0, 0}},
        // The strings at 4034..3976 each replace the one before (all spaces), so only 3976 is left
        // in the tree: one match of 60 at distance 60, position 59 = u 0 ("000") and low bits 111011.
        {"sixty leading spaces are one match", Repeat(' ', 60), Stream(60, StartCode(313) + "000 111011")},
        // 'a' (97) goes out as a literal; its update swaps leaves 97 and 313 and nothing else moves,
        // so length 60 then has node 97's code. The run copies at distance 1: position 0.
        {"a run after its first byte matches at position 0", Repeat('a', 61),
         Stream(61, StartCode(97) + StartCode(97) + "000 000000")},
    };
}

TEST(Lzhuf, KnownStreamsBothWays) {
    for (const KnownStream& k : KnownStreams()) {
        EXPECT_EQ(Encode(k.text), k.stream) << k.name;
        EXPECT_EQ(Decode(k.stream), k.text) << k.name;
    }
}

TEST(Lzhuf, MatchSourceWrapsPastTheEndOfTheRing) {
    // First symbol: length 10 (symbol 263) at position 4041, so the copy starts at 4036 - 4041 - 1
    // = 4090 (mod 4096): six bytes of the zeroed ring end, then four of the spaces at 0..3.
    Bytes stream = Stream(10, StartCode(263) + "11111111 001001");
    Bytes expected = {0, 0, 0, 0, 0, 0, ' ', ' ', ' ', ' '};
    EXPECT_EQ(Decode(stream), expected);
}

TEST(Lzhuf, StoredLengthZeroReadsNothingAfterIt) {
    struct FailSink : ByteSink {
        void Put(uint8_t) override { ADD_FAILURE() << "nothing may be written"; }
    } sink;
    Bytes buf = {9, 0, 0, 0, 0, 0xFF, 0xFF};
    LzhufDecodeStats stats;
    LzhufDecode(buf.data(), 1, buf.size(), sink, stats);
    EXPECT_EQ(stats.length, 0u);
    EXPECT_TRUE(stats.complete);
    // A length that lies past the valid bytes reads as zero too.
    LzhufDecode(buf.data(), 6, 6, sink, stats);
    EXPECT_EQ(stats.length, 0u);
    LzhufDecode(buf.data(), 100, 6, sink, stats);
    EXPECT_EQ(stats.length, 0u);
}

// Counts what it is given and throws past a limit, so that a decoder that wrote on would be stopped.
struct BoundedSink : ByteSink {
    explicit BoundedSink(uint64_t limit) : limit(limit) {}
    void Put(uint8_t) override { PutBytes(nullptr, 1); }
    void PutBytes(const uint8_t*, size_t n) override {
        count += n;
        if (count > limit)
            throw std::length_error("more output than the stream can carry");
    }
    uint64_t limit;
    uint64_t count = 0;
};

TEST(Lzhuf, StreamThatRunsOutOfBitsStopsThere) {
    std::string text;
    for (int i = 0; i < 200; i++)
        text += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
    Bytes stream = Encode(Bytes(text.begin(), text.end()));
    LzhufDecodeStats stats;
    EXPECT_EQ(Decode(stream, stream.size(), &stats), Bytes(text.begin(), text.end()));
    EXPECT_TRUE(stats.complete);
    // Cut anywhere, the output is what the bits there decode to: a part of the text from its start.
    for (size_t cut : {size_t(4), size_t(5), stream.size() / 3, stream.size() / 2, stream.size() - 1}) {
        Bytes out = Decode(stream, cut, &stats);
        EXPECT_FALSE(stats.complete) << cut;
        EXPECT_LT(out.size(), text.size()) << cut;
        EXPECT_TRUE(std::equal(out.begin(), out.end(), text.begin())) << cut;
    }
    // A few bytes claiming the largest length stop within what those bytes can carry.
    std::mt19937 rng(5);
    Bytes claim = {0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 64; i++)
        claim.push_back(uint8_t(rng()));
    BoundedSink bounded(LzhufMaxTextLength(claim.size() - 4));
    EXPECT_NO_THROW(LzhufDecode(claim.data(), 0, claim.size(), bounded, stats));
    EXPECT_FALSE(stats.complete);
}

Bytes RandomText(std::mt19937& rng, size_t n) {
    static const char* kWords[] = {"the ", "list ", "entry ", "password ", "Pelmar ", "drag ", "a ",
                                   "window ", "\r\n", "of ", "text ", "login "};
    Bytes out;
    while (out.size() < n) {
        const char* w = kWords[rng() % 12];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(n);
    return out;
}

Bytes RandomBinary(std::mt19937& rng, size_t n) {
    Bytes out(n);
    for (auto& b : out)
        b = uint8_t(rng());
    return out;
}

// Runs of random length and byte: long matches, near matches, position 0 copies.
Bytes RandomRuns(std::mt19937& rng, size_t n) {
    Bytes out;
    while (out.size() < n)
        out.insert(out.end(), 1 + rng() % 130, uint8_t(rng() % 4));
    out.resize(n);
    return out;
}

TEST(Lzhuf, RoundTripsOfManySizes) {
    std::mt19937 rng(20240611);
    const size_t kSizes[] = {1, 2, 3, 4, 59, 60, 61, 62, 119, 120, 121, 4035, 4036, 4095, 4096, 4097, 10000};
    Bytes (*const kKinds[])(std::mt19937&, size_t) = {RandomText, RandomBinary, RandomRuns};
    for (size_t n : kSizes) {
        for (auto kind : kKinds) {
            Bytes in = kind(rng, n);
            EXPECT_EQ(Decode(Encode(in)), in) << "size " << n;
        }
    }
}

TEST(Lzhuf, RoundTripsAcrossSeveralTreeRebuilds) {
    // Random bytes are nearly all literals: 150,000 symbols, four rebuilds and more.
    std::mt19937 rng(7);
    Bytes binary = RandomBinary(rng, 150000);
    Bytes text = RandomText(rng, 400000);
    EXPECT_EQ(Decode(Encode(binary)), binary);
    EXPECT_EQ(Decode(Encode(text)), text);
}

// Copies of window pieces whose lengths follow Fibonacci weights (3 bytes most often), which makes
// the Huffman tree a long chain above the unused symbols. Each piece starts with a byte that no
// earlier copy of the previous piece is followed by, so every match ends exactly at a piece's end
// and the symbol counts stay exactly Fibonacci.
Bytes SkewedInput(size_t size) {
    std::mt19937 rng(1);
    std::vector<int> period;
    for (int level = 0, a = 1, b = 1; level < 9; level++) {
        period.insert(period.end(), size_t(a), 3 + 8 - level);
        int c = a + b;
        a = b;
        b = c;
    }
    Bytes in = RandomBinary(rng, 4096);
    size_t prevStart = 0;
    size_t prevLen = 0;
    while (in.size() < size) {
        std::shuffle(period.begin(), period.end(), rng);
        for (int len : period) {
            bool banned[256] = {};
            for (size_t p = in.size() - 4000; prevLen && p + prevLen < in.size(); p++) {
                if (in[p] == in[prevStart] && std::memcmp(&in[p], &in[prevStart], prevLen) == 0)
                    banned[in[p + prevLen]] = true;
            }
            size_t from;
            do {
                from = in.size() - 4000 + rng() % 3000;
            } while (banned[in[from]]);
            prevStart = in.size();
            prevLen = size_t(len);
            for (int i = 0; i < len; i++)
                in.push_back(in[from + size_t(i)]);
        }
    }
    return in;
}

TEST(Lzhuf, CodesLongerThanSixteenBitsRoundTrip) {
    Bytes in = SkewedInput(600000);
    LzhufEncodeProbe probe;
    Bytes stream = Encode(in, &probe);
    EXPECT_GT(probe.longestCode, 16u);
    EXPECT_EQ(Decode(stream), in);
}

// A sink that only knows Put sees the same bytes as the sinks that take chunks.
TEST(Lzhuf, BytewiseSinkSeesTheSameBytes) {
    struct BytewiseSink : ByteSink {
        Bytes bytes;
        void Put(uint8_t b) override { bytes.push_back(b); }
    };
    std::mt19937 rng(3);
    Bytes in = RandomText(rng, 30000);
    BytewiseSink encoded;
    LzhufEncode(in.data(), uint32_t(in.size()), encoded);
    EXPECT_EQ(encoded.bytes, Encode(in));
    BytewiseSink decoded;
    LzhufDecode(encoded.bytes.data(), 0, encoded.bytes.size(), decoded);
    EXPECT_EQ(decoded.bytes, in);

    // A fixed buffer keeps what fits and notes the rest.
    Bytes small(10000);
    MemorySink sink(small.data(), small.size());
    LzhufDecode(encoded.bytes.data(), 0, encoded.bytes.size(), sink);
    EXPECT_EQ(sink.Size(), small.size());
    EXPECT_TRUE(sink.Overflowed());
    EXPECT_TRUE(std::equal(small.begin(), small.end(), in.begin()));
}

TEST(Lzhuf, MaxTextLengthBoundsTheDensestStream) {
    // A long run of one byte is the densest stream there is: matches of 60 at position 0.
    Bytes run = Repeat('x', 1 << 20);
    Bytes stream = Encode(run);
    EXPECT_LE(run.size(), LzhufMaxTextLength(stream.size() - 4));
}

} // namespace
