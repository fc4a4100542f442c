// The four counts of a full box (32767 characters), as every keystroke recomputes them.
#include "core/text_stats.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::u16string fullBox() {
    // Italian-like prose: words, blanks, punctuation and a few accented letters.
    const std::u16string sample = u"Pronto? Sì... va bene, l'uomo è qui: 3.14 (circa)! ";
    std::u16string text;
    while (text.size() < 32767) {
        text += sample;
    }
    text.resize(32767);
    return text;
}

void BM_AllFourCountsOfAFullBox(benchmark::State& state) {
    const std::u16string text = fullBox();
    for (auto _ : state) {
        const auto characters = static_cast<std::int32_t>(text.size());
        benchmark::DoNotOptimize(characters);
        benchmark::DoNotOptimize(textstats::countSpaces(text));
        benchmark::DoNotOptimize(textstats::countWords(text));
        benchmark::DoNotOptimize(textstats::countSentences(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AllFourCountsOfAFullBox)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
