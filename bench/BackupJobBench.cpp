// A `.sd` backup of 1 GiB of recordings (64 entries of 1,024 chunks) from a card image, against
// `cp` of a file of the same 1 GiB on the same disk:
//   - BackupProcessCold and CpProcessCold run each as a whole process (cardjob backup, cp) with
//     the cached pages of their input and output dropped before each run, as the disk after a
//     fresh start; their bytes per second compare the backup with cp (run with
//     --benchmark_enable_random_interleaving=true so that both see the same load of the machine);
//   - EngineBackup runs the backup inside this process with the page cache warm, for profiling.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/IbpCtrl.h"
#include "platform/File.h"
#include "platform/Message.h"
#include "platform/Time.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/StoreBuilder.h"

namespace {

constexpr unsigned kDrive = 45;
constexpr int kEntries = 64;
constexpr int kChunksPerEntry = 1024;
constexpr std::int64_t kBytes = std::int64_t{kEntries} * kChunksPerEntry * kChunkSize;

struct Card {
  fixtures::ScratchDir dir{"backup-bench"};
  std::string image;
  std::string plain;  // the same chunks, one after another, for cp
  bool ok = false;
};

// Chunk payloads full of varied bytes, so that no copy can pass over zeros.
bool FillPayloads(const fixtures::Layout& layout, const std::string& plain) {
  plat::File image;
  plat::File copy;
  if (!image.Open(layout.path, plat::kRead | plat::kWrite) || !copy.Create(plain)) return false;
  std::vector<std::uint8_t> chunk(kChunkSize);
  std::uint32_t seed = 12345;
  for (const fixtures::RecordingInfo& r : layout.recordings) {
    for (const fixtures::ChunkInfo& c : r.chunks) {
      for (std::size_t i = 0; i < kChunkPayloadSize; i += 4) {
        seed = seed * 1664525u + 1013904223u;
        std::memcpy(&chunk[i], &seed, 4);
      }
      if (!image.WriteAt(c.fileOffset, chunk.data(), kChunkPayloadSize) ||
          !image.ReadAt(c.fileOffset, chunk.data(), kChunkSize) || !copy.WriteAll(chunk.data(), kChunkSize)) {
        return false;
      }
    }
  }
  return true;
}

bool Build(Card& c) {
  setenv("TZ", "UTC", 1);
  fixtures::StoreDescription desc;
  desc.kind = fixtures::StoreKind::kCard;
  desc.capacity = kEntries;
  for (int i = 0; i < kEntries; ++i) {
    fixtures::RecordingDescription r;
    r.hasVideo = r.hasSound = r.hasCarData = false;
    r.chunkCount = kChunksPerEntry;
    desc.recordings.push_back(r);
  }
  c.image = c.dir.File("card.img");
  c.plain = c.dir.File("chunks.bin");
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, c.image);
  setenv(("PLAYER_DRIVE_" + std::to_string(kDrive)).c_str(), c.image.c_str(), 1);
  return layout && FillPayloads(*layout, c.plain);
}

Card& TheCard() {
  static Card card;
  static std::once_flag once;
  std::call_once(once, [] { card.ok = Build(card); });
  return card;
}

class EndWatch : public plat::IMessageRouter {
 public:
  bool Post(HWND, UINT msg, WPARAM, LPARAM) override {
    if (msg == WM_PLAYER_END) ended = true;
    return true;
  }
  LRESULT Send(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  bool Show(HWND, int) override { return true; }
  std::atomic<bool> ended{false};
};

void EngineBackup(benchmark::State& state) {
  Card& card = TheCard();
  if (!card.ok) return state.SkipWithError("the card could not be built");
  EndWatch watch;
  plat::IMessageRouter* previous = plat::SetMessageRouter(&watch);
  CIbpCtrl* engine = CIbpCtrl::Create();
  engine->SetNotifyWindow(reinterpret_cast<HWND>(1), 0);
  engine->SetSource(CString("dvk2://" + std::to_string(kDrive)));
  std::vector<IndexEntry*> entries;
  for (IndexEntry* e = engine->OpenStore(); e; e = engine->GetNextEntry(e)) entries.push_back(e);
  const std::string out = card.dir.File("backup.sd");
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(out.c_str());
    watch.ended = false;
    state.ResumeTiming();
    if (engine->StartBackup(CString(out), entries.data(), static_cast<int>(entries.size())) != EngineStart::kStarted) {
      state.SkipWithError("the backup did not start");
      break;
    }
    while (!watch.ended.load()) Sleep(1);
    engine->Close();
    if (engine->GetJobResult() != JobResult::kDone) state.SkipWithError("the backup failed");
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
  engine->Destroy();
  plat::SetMessageRouter(previous);
}

// Writes a file's dirty pages out and drops its cached pages (no root needed); a missing file
// has none.
void DropCachedPages(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fdatasync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

// Runs `command` as a whole process per iteration, timed from a cold start: the output removed
// and the cached pages of the input and of every file written dropped before.
void RunCold(benchmark::State& state, const std::string& command, const std::string& input, const std::string& out) {
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(out.c_str());
    ::sync();
    DropCachedPages(input);
    state.ResumeTiming();
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError(("failed: " + command).c_str());
  }
  std::remove(out.c_str());
  state.SetBytesProcessed(state.iterations() * kBytes);
}

void BackupProcessCold(benchmark::State& state) {
  Card& card = TheCard();
  if (!card.ok) return state.SkipWithError("the card could not be built");
  const std::string out = card.dir.File("cold.sd");
  RunCold(state, std::string(CARDJOB_PATH) + " backup dvk2://" + std::to_string(kDrive) + " '" + out + "' > /dev/null",
          card.image, out);
}

void CpProcessCold(benchmark::State& state) {
  Card& card = TheCard();
  if (!card.ok) return state.SkipWithError("the card could not be built");
  const std::string out = card.dir.File("copy.bin");
  RunCold(state, "cp '" + card.plain + "' '" + out + "'", card.plain, out);
}

}  // namespace

BENCHMARK(BackupProcessCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(3);
BENCHMARK(CpProcessCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(3);
BENCHMARK(EngineBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
