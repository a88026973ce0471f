// Opening a card of 65,535 slots (two index copies of 32 MiB) and listing it, against reading the
// same 64 MiB of index straight from the file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "engine/store/CardStore.h"
#include "platform/File.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"

namespace {

constexpr unsigned kDrive = 43;

const std::string& BigCard() {
  static fixtures::ScratchDir dir("store-bench");
  static const std::string path = [] {
    setenv("TZ", "UTC", 1);
    fixtures::StoreDescription desc;
    desc.kind = fixtures::StoreKind::kCard;
    desc.capacity = 65535;
    for (int i = 0; i < 3; ++i) {
      fixtures::RecordingDescription r;
      r.hasVideo = r.hasSound = r.hasCarData = false;
      r.chunkCount = 8;
      desc.recordings.push_back(r);
    }
    const std::string file = dir.File("big.img");
    if (!fixtures::BuildStore(desc, file)) std::abort();
    setenv("PLAYER_DRIVE_43", file.c_str(), 1);
    return file;
  }();
  return path;
}

void OpenAndList(benchmark::State& state) {
  BigCard();
  for (auto _ : state) {
    CCardStore store;
    store.SetStoreSource(kSourceRawCard, kDrive, "");
    const IndexEntry* e = store.OpenStore();
    std::size_t n = 0;
    for (; e; e = store.GetNextEntry(e)) ++n;
    if (n != 3) state.SkipWithError("the card did not list its recordings");
    benchmark::DoNotOptimize(n);
  }
}

void ReadIndexCopies(benchmark::State& state) {
  const std::string& path = BigCard();
  std::vector<std::uint8_t> buf(65535u * 512u);
  for (auto _ : state) {
    plat::File f;
    if (!f.Open(path, plat::kRead) || !f.ReadAt(0x8000000, buf.data(), buf.size()) ||
        !f.ReadAt(0xA000000, buf.data(), buf.size()))
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(buf.data());
  }
}

}  // namespace

BENCHMARK(OpenAndList)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIndexCopies)->Unit(benchmark::kMillisecond);
