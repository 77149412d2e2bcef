// How long one whole four-computer game takes on the simulated desktop.
#include <benchmark/benchmark.h>

#include "simulator.h"

static void BM_FourComputerGame(benchmark::State& state) {
    std::uint32_t seed = 1;
    for (auto _ : state) {
        auto result = shinkei_sim::PlayBlock(seed++, 0x0F, 1);
        benchmark::DoNotOptimize(result.cardTurns);
    }
}
BENCHMARK(BM_FourComputerGame)->Unit(benchmark::kMicrosecond);

static void BM_HundredGamesInOneRun(benchmark::State& state) {
    for (auto _ : state) {
        auto result = shinkei_sim::PlayBlock(7, 0x0F, 100);
        benchmark::DoNotOptimize(result.games);
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_HundredGamesInOneRun)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
