#include "engine/stream/SourceBoxCtx.h"

#include <algorithm>

#include "platform/Time.h"

namespace {
constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kStartDelayMs = 10;
constexpr int kProgressSpan = 90;
constexpr int kProgressStep = 5;
}  // namespace

CSourceBoxCtx::CSourceBoxCtx(CIbpCtrl* engine, CEngineState* state)
    : CSourceCtx(engine), state_(state), demux_(*this, *state), chunk_(kChunkSize) {}

CSourceBoxCtx::~CSourceBoxCtx() { Stop(kStopWaitMs); }

void CSourceBoxCtx::SetQueues(CVBuffer2* video, CABuffer2* audio) {
  video_ = video;
  audio_ = audio;
  demux_.SetQueues(video, audio);
}

bool CSourceBoxCtx::Start() {
  validChunks_ = 0;
  invalidChunks_ = 0;
  progress_ = -1;
  if (!video_) return false;
  if (IsRangeMode()) {
    if (!IsStoreOpen()) return false;
    PlayList() = EntryList();
  } else {
    if (!OpenStore()) return false;
    if (PlayList().empty()) PlayList() = EntryList();
    std::stable_sort(PlayList().begin(), PlayList().end(),
                     [](const IndexEntry* a, const IndexEntry* b) { return a->StartTime() < b->StartTime(); });
  }
  const std::vector<IndexEntry*>& walked = backupList_.empty() ? PlayList() : backupList_;
  if (walked.empty()) return false;
  if (jobFlag_ && job_ && !job_->Begin()) return false;
  jobPending_ = jobFlag_.load();
  CountJobTotal();
  m_startTime = static_cast<std::int32_t>(walked.front()->StartTime());
  m_endTime = static_cast<std::int32_t>(walked.back()->EndTime());
  sensors_.StartPlay();
  demux_.SetJobMode(IsRangeMode(), jobFlag_);
  Sleep(kStartDelayMs);
  return CSourceCtx::Start();
}

bool CSourceBoxCtx::Stop(DWORD timeoutMs) {
  const bool inTime = CSourceCtx::Stop(timeoutMs);
  if (jobPending_) FinishJob(SourceEnd::kStopped);
  ClearJob();
  jobDone_ = 0;
  jobTotal_ = 0;
  current_ = nullptr;
  eventNumber_ = 0;
  PlayList().clear();
  return inTime;
}

void CSourceBoxCtx::CloseStore() {
  Stop(kStopWaitMs);
  CCardStore::CloseStore();
}

bool CSourceBoxCtx::SetEntryRange(IndexEntry* entry, int eventNumber) {
  sensors_.ClearSamples();
  if (IsRunning()) return false;
  current_ = entry;
  eventNumber_ = eventNumber;
  return true;
}

bool CSourceBoxCtx::AddBackupEntries(IndexEntry* const* entries, int count) {
  if (IsRunning() || !entries || count < 1 || !entries[0] || entries[0]->Magic() != kIndexBlockFEMagic) return false;
  // An entry of another opening of the store would be read at offsets that mean something else.
  for (int i = 0; i < count; ++i) {
    if (entries[i] && !IsCurrentEntry(entries[i])) return false;
  }
  for (int i = 0; i < count; ++i) {
    if (entries[i]) backupList_.push_back(entries[i]);
  }
  if (!PlaceBackupEntries()) {
    ClearJob();
    return false;
  }
  jobFlag_ = true;
  startLimit_ = 0;
  endLimit_ = 0;
  return !backupList_.empty();
}

// Each backup entry's chunks begin at the start of a 16 MB block of the backup; an entry with
// more chunks than a block holds runs on into the next block, which no other entry then takes
// (its index slot stays empty, and readers pass over it).
bool CSourceBoxCtx::PlaceBackupEntries() {
  backupPositions_.clear();
  std::uint64_t position = 0;
  for (const IndexEntry* e : backupList_) {
    backupPositions_.push_back(static_cast<std::uint32_t>(position));
    position += ReadableChunks(*e) > kChunksPerBlock ? 2 : 1;
  }
  return position <= kBackupCapacity;
}

bool CSourceBoxCtx::SetExportRange(IndexEntry* entry, int eventNumber, std::int64_t startTime, std::int64_t endTime) {
  if (IsRunning() || !OpenStore() || (entry && !IsCurrentEntry(entry))) return false;
  current_ = entry;
  eventNumber_ = eventNumber;
  startLimit_ = startTime;
  endLimit_ = endTime;
  jobFlag_ = true;
  return true;
}

// The progress of a job through the entry in hand, 0 to 90 %; an entry of one chunk is done at
// its chunk. Each new multiple of 5 % is posted once.
void CSourceBoxCtx::PostProgress(std::uint32_t sequence) {
  const IndexEntry* entry = current_.load();
  const std::int64_t span = entryChunks_ - 1;
  const std::int64_t done = static_cast<std::int64_t>(sequence) - entry->FirstChunk();
  const auto percent =
      static_cast<int>(span <= 0 ? kProgressSpan : std::clamp<std::int64_t>(done * kProgressSpan / span, 0, kProgressSpan));
  const int step = percent - percent % kProgressStep;
  if (progress_.exchange(step) != step) Post(WM_PLAYER_SENSORDATA, 0);
}

// The share of the job done: chunks of the backup entries, or seconds of the export's range.
void CSourceBoxCtx::CountJobTotal() {
  jobDone_ = 0;
  std::int64_t total = 0;
  chunksBefore_.clear();
  for (const IndexEntry* e : backupList_) {
    chunksBefore_.push_back(total);
    total += ReadableChunks(*e);
  }
  if (backupList_.empty() && jobFlag_) total = std::max<std::int64_t>(0, endLimit_ - startLimit_);
  jobTotal_ = total;
}

void CSourceBoxCtx::CountJobChunk(std::int64_t chunkTime) {
  const std::int64_t done = backupList_.empty() ? chunkTime - startLimit_
                                                : chunksBefore_[backupAt_] + chunkNumber_ + 1;
  jobDone_ = std::clamp<std::int64_t>(done, 0, jobTotal_.load());
}

double CSourceBoxCtx::JobRatio() const {
  const std::int64_t total = jobTotal_.load();
  return total > 0 ? static_cast<double>(jobDone_.load()) / static_cast<double>(total) : 0.0;
}

void CSourceBoxCtx::EndJob(SourceEnd end) {
  jobFlag_ = false;
  FinishJob(end);
  progress_ = -1;
  Post(WM_PLAYER_END, -1);
}

void CSourceBoxCtx::FinishJob(SourceEnd end) {
  jobPending_ = false;
  if (job_) job_->Finish(EntriesAtEnd(end), end);
  ClearJob();
}

void CSourceBoxCtx::ClearJob() {
  jobFlag_ = false;
  backupList_.clear();
  backupPositions_.clear();
  taken_.clear();
  backupAt_ = 0;
  startLimit_ = 0;
  endLimit_ = 0;
}

// The backup entries as far as their chunks were handed over: each ends at its last chunk handed
// over, one of which nothing was handed over is left out, and each takes its place in the backup
// as its slot. An index never claims chunks that were not written. Once every entry was walked,
// those left out are told with the reason, so that a backup never leaves a recording out unsaid.
BackupEntries CSourceBoxCtx::EntriesAtEnd(SourceEnd end) const {
  BackupEntries out;
  for (std::size_t i = 0; i < backupList_.size(); ++i) {
    const IndexEntry& e = *backupList_[i];
    if (i < taken_.size() && taken_[i].any) {
      IndexEntry copied = e;
      copied.SetLastChunk(taken_[i].lastChunk);
      copied.SetEndDate(taken_[i].lastDate);
      copied.slot = backupPositions_[i];
      out.taken.push_back(copied);
    } else if (end == SourceEnd::kData) {
      const LeftOutReason why = ReadableChunks(e) == 0 ? LeftOutReason::kNoData : LeftOutReason::kNoIntactChunk;
      out.leftOut.push_back({e, i, why});
    }
  }
  return out;
}

bool CSourceBoxCtx::HandToJob(const IndexBlockA5& trailer) {
  JobChunk chunk;
  chunk.entry = current_.load();
  chunk.backupPosition = backupList_.empty() ? 0 : backupPositions_[backupAt_];
  chunk.chunkNumber = static_cast<std::uint32_t>(chunkNumber_);
  chunk.chunk = backupList_.empty() ? chunk_.data() : nullptr;
  chunk.store = this;
  chunk.dataOffset = ChunkOffset();
  chunk.trailer = &trailer;
  if (job_ && !job_->TakeChunk(chunk)) return false;
  if (!backupList_.empty()) {
    taken_.resize(backupList_.size());
    taken_[backupAt_] = TakenEntry{true, trailer.Sequence(), trailer.Date()};
  }
  return true;
}

void CSourceBoxCtx::Post(UINT msg, LPARAM lParam) const {
  PostMessage(state_->notifyWnd.load(), msg, reinterpret_cast<WPARAM>(Engine()), lParam);
}
