// Encode and decode throughput of 1 MiB of English-like text and of random bytes.
#include "crypt/Container.h"
#include "crypt/Lzhuf.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kSize = 1 << 20;

// Words drawn with Zipf-like weights, in lines of a list: roughly the statistics of English prose.
Bytes EnglishText() {
    static const char* kWords[] = {
        "the", "of", "and", "to", "a", "in", "is", "that", "for", "it", "as", "was", "with", "be", "by",
        "on", "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "had",
        "they", "you", "were", "their", "one", "all", "we", "can", "her", "has", "there", "been", "if",
        "more", "when", "will", "would", "who", "so", "no", "window", "password", "entry", "morning",
        "letter", "account", "country", "between", "through", "government", "something", "however",
        "important", "different", "following", "remember", "question", "children", "together"};
    const size_t count = sizeof(kWords) / sizeof(kWords[0]);
    std::vector<double> weights;
    for (size_t i = 0; i < count; i++)
        weights.push_back(1.0 / double(i + 1));
    std::mt19937 rng(42);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    Bytes text;
    size_t line = 0;
    while (text.size() < kSize) {
        const char* w = kWords[pick(rng)];
        text.insert(text.end(), w, w + std::strlen(w));
        if (++line % 9 == 0) {
            text.push_back('.');
            text.push_back('\r');
            text.push_back('\n');
        } else {
            text.push_back(' ');
        }
    }
    text.resize(kSize);
    return text;
}

Bytes RandomBytes() {
    std::mt19937 rng(7);
    Bytes out(kSize);
    for (auto& b : out)
        b = uint8_t(rng());
    return out;
}

Bytes Encoded(const Bytes& in) {
    Bytes out;
    VectorSink sink(out);
    LzhufEncode(in.data(), uint32_t(in.size()), sink);
    return out;
}

void Encode(benchmark::State& state, const Bytes& in) {
    Bytes out;
    out.reserve(in.size() * 9 / 8 + 64);
    for (auto _ : state) {
        out.clear();
        VectorSink sink(out);
        LzhufEncode(in.data(), uint32_t(in.size()), sink);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
    state.counters["ratio"] = double(out.size()) / double(in.size());
}

void Decode(benchmark::State& state, const Bytes& in) {
    Bytes stream = Encoded(in);
    Bytes out(in.size());
    for (auto _ : state) {
        MemorySink sink(out.data(), out.size());
        LzhufDecode(stream.data(), 0, stream.size(), sink);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

void BM_EncodeEnglish(benchmark::State& state) { Encode(state, EnglishText()); }
void BM_DecodeEnglish(benchmark::State& state) { Decode(state, EnglishText()); }
void BM_EncodeRandom(benchmark::State& state) { Encode(state, RandomBytes()); }
void BM_DecodeRandom(benchmark::State& state) { Decode(state, RandomBytes()); }

BENCHMARK(BM_EncodeEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEnglish)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRandom)->Unit(benchmark::kMillisecond);

} // namespace
