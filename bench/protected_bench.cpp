// What opening or saving a protected list costs: one key derivation at the default iteration count,
// and sealing and opening 1 MiB of list text under a derived key.
#include "crypt/ProtectedList.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void DeriveKey(benchmark::State& state) {
    const uint8_t salt[kProtectedSaltSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ProtectionKey key;
    for (auto _ : state)
        benchmark::DoNotOptimize(key.Derive("correct horse", salt, kDefaultIterations));
}
BENCHMARK(DeriveKey)->Name("DeriveKey/600000")->Unit(benchmark::kMillisecond)->Iterations(5);

void SealAndOpen(benchmark::State& state) {
    ProtectionKey key;
    key.Create("correct horse", kMinIterations);
    std::string text, back;
    while (text.size() < (1 << 20))
        text += "an entry of an ordinary length\r\n";
    std::vector<uint8_t> file;
    ListKind kind = kPlainList;
    for (auto _ : state) {
        SealProtectedList(key, kPlainList, text, file);
        benchmark::DoNotOptimize(OpenProtectedList(file.data(), file.size(), key, kind, back));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(SealAndOpen)->Name("SealAndOpen/1MiB")->Unit(benchmark::kMillisecond);

} // namespace
