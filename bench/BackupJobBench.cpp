// A `.sd` backup of 1 GiB of recordings (64 entries of 1,024 chunks) from a card image, against
// `cp` of a file of the same 1 GiB on the same disk:
//   - BackupAgainstCpCold runs, in each iteration, the backup and then cp, each as a whole
//     process (cardjob backup, cp) with the cached pages of its input dropped before and its
//     output removed, as the disk after a fresh start. Its time is the backup's; the counters
//     give both times and the backup's throughput as a share of cp's (cp_share, the median over
//     the iterations, which both see at about the same load of the machine);
//   - EngineBackup runs the backup inside this process with the page cache warm, for profiling.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"

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

// The image written afresh from start to end, so that it lies on the disk in one piece as the
// file cp copies does (the builder and the payloads above wrote it piece by piece).
bool WriteInOnePiece(const std::string& path) {
  const std::string whole = path + ".whole";
  plat::File from;
  plat::File to;
  if (!from.Open(path, plat::kRead) || !to.Create(whole)) return false;
  std::vector<std::uint8_t> block(kDataBlockSize);
  for (std::uint64_t at = 0; at < from.Size(); at += block.size()) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), from.Size() - at));
    if (!from.ReadAt(at, block.data(), n) || !to.WriteAll(block.data(), n)) return false;
  }
  return std::rename(whole.c_str(), path.c_str()) == 0;
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
  return layout && FillPayloads(*layout, c.plain) && WriteInOnePiece(c.image);
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

// Runs `command` as a whole process from a cold start: its output removed and the cached pages
// of its input dropped before. Returns the seconds it took; negative when it failed.
double RunCold(const std::string& command, const std::string& input, const std::string& out) {
  std::remove(out.c_str());
  ::sync();
  DropCachedPages(input);
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::remove(out.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took.count() : -1.0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

void BackupAgainstCpCold(benchmark::State& state) {
  Card& card = TheCard();
  if (!card.ok) return state.SkipWithError("the card could not be built");
  const std::string backup = std::string(CARDJOB_PATH) + " backup dvk2://" + std::to_string(kDrive) + " '" +
                             card.dir.File("cold.sd") + "' > /dev/null";
  const std::string cp = "cp '" + card.plain + "' '" + card.dir.File("copy.bin") + "'";
  std::vector<double> backups;
  std::vector<double> cps;
  std::vector<double> shares;
  for (auto _ : state) {
    const double b = RunCold(backup, card.image, card.dir.File("cold.sd"));
    const double c = RunCold(cp, card.plain, card.dir.File("copy.bin"));
    if (b <= 0 || c <= 0) return state.SkipWithError("the backup or cp failed");
    state.SetIterationTime(b);
    backups.push_back(b);
    cps.push_back(c);
    shares.push_back(c / b);
  }
  state.counters["backup_s"] = Median(backups);
  state.counters["cp_s"] = Median(cps);
  state.counters["cp_share"] = Median(shares);
  state.SetBytesProcessed(state.iterations() * kBytes);
}

}  // namespace

BENCHMARK(BackupAgainstCpCold)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);
BENCHMARK(EngineBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
