// What one key stroke in Find costs: the list's entries matched against the typed words. The folded
// texts are made once per load; a key stroke only searches them.
#include "list/ListView.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
// Entries like a real list's: a few words, some accented, a login list's site labels and logins.
std::vector<ListEntry> MakeEntries(size_t count) {
    static const char* const kWords[] = {"Bank", "Mail", u8"Café", "Shop", u8"Müller", "Account", "Server",
                                         "Login", u8"Straße", "Office", "Home", "Backup"};
    std::vector<ListEntry> entries;
    entries.reserve(count);
    char number[32];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, "%07zu", i);
        std::string text = std::string(kWords[i % 12]) + " " + kWords[(i / 12) % 12] + " entry " + number;
        entries.push_back({text, std::string("user") + number + "@example.com", "secret"});
    }
    return entries;
}

// Each iteration is one key stroke: the filter grows by a letter, or (every fourth) starts again.
void FilterKeyStroke(benchmark::State& state) {
    ListModel model;
    model.Replace(MakeEntries(size_t(state.range(0))), kLoginList);
    const char* const strokes[] = {"m", "mu", "mul", "muller 00"};
    size_t n = 0;
    for (auto _ : state) {
        model.SetFilter(strokes[n++ % 4]);
        benchmark::DoNotOptimize(model.ShownCount());
    }
}
BENCHMARK(FilterKeyStroke)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Once per load (or re-read after an outside change): folding every entry.
void FoldOnLoad(benchmark::State& state) {
    std::vector<ListEntry> entries = MakeEntries(size_t(state.range(0)));
    ListModel model;
    for (auto _ : state)
        model.Replace(entries, kLoginList);
}
BENCHMARK(FoldOnLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
