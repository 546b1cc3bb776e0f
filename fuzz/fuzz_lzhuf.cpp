// The raw codec: decoding any bytes stays inside its buffers; encoding any bytes decodes back to them.
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class CountingSink : public ByteSink {
public:
    void Put(uint8_t) override { count++; }
    uint64_t count = 0;
};

// First byte even: decode the rest, with the stored length cut down so that a run stays short.
void DecodeAny(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream(data, data + size);
    uint32_t length = LzhufStoredLength(stream.data(), 0, stream.size()) % (64 * uint32_t(size) + 1);
    for (size_t i = 0; i < 4 && i < stream.size(); i++)
        stream[i] = uint8_t(length >> (8 * i));
    CountingSink sink;
    LzhufDecodeStats stats;
    LzhufDecode(stream.data(), 0, stream.size(), sink, stats);
    // Complete: the length and at most the rest of the last match. Out of bits: stopped short of the
    // length, within what the bits can carry.
    bool inRange = stats.complete ? sink.count >= length && sink.count <= uint64_t(length) + 59
                                  : sink.count < length && sink.count <= LzhufMaxTextLength(size);
    if (!inRange)
        std::abort();
}

// First byte odd: the rest round-trips.
void RoundTrip(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream;
    VectorSink sink(stream);
    LzhufEncode(data, uint32_t(size), sink);
    std::vector<uint8_t> back(size);
    MemorySink out(back.data(), back.size());
    LzhufDecodeStats stats;
    LzhufDecode(stream.data(), 0, stream.size(), out, stats);
    if (!stats.complete || out.Overflowed() || out.Size() != size || (size && std::memcmp(back.data(), data, size)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20))
        return 0;
    if (data[0] & 1)
        RoundTrip(data + 1, size - 1);
    else
        DecodeAny(data + 1, size - 1);
    return 0;
}
