#include <benchmark/benchmark.h>

#include "core/literal_filler.h"
#include "core/resize.h"
#include "core/sample_transits.h"

namespace {

TTransit Validated(TTransit t) {
  t.Validate();
  t.SortConduitGroups();
  return t;
}

// (a) The dense cable transit: the filler as the program runs it.
void BM_FillDenseCables(benchmark::State& state) {
  TTransit t = Validated(DenseCableTransit());
  for (auto _ : state) {
    t.Fill();
    benchmark::DoNotOptimize(t.PlacedPositions.data());
  }
  state.counters["placed"] = static_cast<double>(t.PlacedPositions.size());
}
BENCHMARK(BM_FillDenseCables)->Unit(benchmark::kMillisecond);

// (a) again with the literal filler, which paints the whole map each time.
void BM_FillDenseCablesLiteral(benchmark::State& state) {
  TTransit t = Validated(DenseCableTransit());
  for (auto _ : state) {
    auto positions = PackWith<TLiteralSpaceFiller>(t);
    benchmark::DoNotOptimize(positions.data());
  }
}
BENCHMARK(BM_FillDenseCablesLiteral)->Unit(benchmark::kMillisecond);

// (b) A round GRENTAX transit with 40 plastic pipes of three sizes.
void BM_FillRoundGrentax(benchmark::State& state) {
  TTransit t = Validated(RoundGrentaxTransit());
  for (auto _ : state) {
    t.Fill();
    benchmark::DoNotOptimize(t.PlacedPositions.data());
  }
}
BENCHMARK(BM_FillRoundGrentax)->Unit(benchmark::kMillisecond);

void BM_FillRoundGrentaxLiteral(benchmark::State& state) {
  TTransit t = Validated(RoundGrentaxTransit());
  for (auto _ : state) {
    auto positions = PackWith<TLiteralSpaceFiller>(t);
    benchmark::DoNotOptimize(positions.data());
  }
}
BENCHMARK(BM_FillRoundGrentaxLiteral)->Unit(benchmark::kMillisecond);

// (c) Resize to fit of the dense transit starting at 300 x 200 mm.
void BM_ResizeDenseCables(benchmark::State& state) {
  TTransit start = DenseCableTransit();
  start.Width = 300000;
  start.Height = 200000;
  start = Validated(start);
  start.Fill();
  int steps = 0;
  for (auto _ : state) {
    TTransit t;
    t.Assign(start);
    t.Fill();
    if (!ResizeSearch(t)) state.SkipWithError("resize failed");
    steps = static_cast<int>(t.Width);
  }
  state.counters["width_um"] = steps;
}
BENCHMARK(BM_ResizeDenseCables)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
