// Building test stores must stay cheap enough for every test to make its own: a capacity-8 card
// with three recordings, once the media are encoded, in well under a second.
#include <cstdlib>
#include <ctime>

#include <benchmark/benchmark.h>

#include "testdata/ScratchDir.h"
#include "testdata/SelfCheck.h"
#include "testdata/StoreBuilder.h"

namespace {

using namespace fixtures;

StoreDescription CardDescription() { return Recordings(StoreKind::kCard, 3, 5.0); }

bool Prepare(benchmark::State& state, const ScratchDir& dir) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::string error;
  if (BuildStore(CardDescription(), dir.File("warm.img"), &error)) return true;  // encodes the media once
  state.SkipWithError(error.c_str());
  return false;
}

void BM_BuildCardOfThreeRecordings(benchmark::State& state) {
  const ScratchDir dir("bench-build");
  if (!Prepare(state, dir)) return;
  const StoreDescription desc = CardDescription();
  for (auto _ : state) {
    auto layout = BuildStore(desc, dir.File("card.img"));
    benchmark::DoNotOptimize(layout);
  }
}
BENCHMARK(BM_BuildCardOfThreeRecordings)->Unit(benchmark::kMillisecond);

void BM_SelfCheckCardOfThreeRecordings(benchmark::State& state) {
  const ScratchDir dir("bench-check");
  if (!Prepare(state, dir)) return;
  const auto layout = BuildStore(CardDescription(), dir.File("card.img"));
  for (auto _ : state) {
    auto report = CheckStore(*layout);
    benchmark::DoNotOptimize(report);
  }
}
BENCHMARK(BM_SelfCheckCardOfThreeRecordings)->Unit(benchmark::kMillisecond);

}  // namespace
