#include "engine/export/BackupFile.h"

namespace {

constexpr std::size_t kRunChunks = 256;
// Runs handed over and not yet copied; the source waits when the copier is this far behind.
constexpr std::size_t kHandedRuns = 4;

}  // namespace

bool CBackupFile::Create(const std::string& path, const std::vector<std::string>& inputs) {
  Close();
  failure_ = JobFailureInfo();
  if (!output_.Create(path, inputs)) {
    failure_ = OutputFailure(output_);
    return false;
  }
  if (!file_.CreateFile(output_.TempPath())) {
    failure_ = {JobFailure::kOutputNotCreated, path, {}, file_.LastError()};
    output_.Discard();
    return false;
  }
  stopping_ = false;
  copyFailed_ = false;
  if (copier_.Start([this] { CopyRuns(); })) return true;
  Close();
  return false;
}

bool CBackupFile::WriteChunk(std::uint32_t k, std::uint32_t n, CCardStore& store, std::uint64_t dataOffset) {
  if (n >= kMaxChunksPerEntry) return true;
  const std::uint64_t at = DataBlockOffset(kBackupDataBase, k) + std::uint64_t{n} * kChunkSize;
  const std::uint64_t runBytes = run_.chunks * kChunkSize;
  const bool follows = &store == run_.store && dataOffset == run_.from + runBytes && at == run_.to + runBytes &&
                       run_.chunks < kRunChunks;
  if (!follows && !HandOver()) return false;
  if (run_.chunks == 0) run_ = Run{&store, dataOffset, at, 0};
  ++run_.chunks;
  return true;
}

// The run gathered goes to the copier; false when an earlier copy failed.
bool CBackupFile::HandOver() {
  std::unique_lock lock(mutex_);
  if (run_.chunks > 0 && !copyFailed_) {
    changed_.wait(lock, [this] { return handed_.size() < kHandedRuns || copyFailed_; });
    handed_.push_back(run_);
    changed_.notify_all();
  }
  run_ = Run{};
  return !copyFailed_;
}

void CBackupFile::CopyRuns() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !handed_.empty() || stopping_; });
    if (handed_.empty()) return;
    const Run run = handed_.front();
    handed_.pop_front();
    lock.unlock();
    // After a failed copy the runs left are dropped: the job ends without them.
    const bool copied = copyFailed_ || run.store->CopyChunks(run.from, run.chunks, file_, run.to);
    lock.lock();
    copyFailed_ = copyFailed_ || !copied;
    changed_.notify_all();
  }
}

// Every run handed over is copied, then the copier ends; false when a copy failed.
bool CBackupFile::StopCopying() {
  const bool handed = HandOver();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
  }
  copier_.JoinForever();
  return handed && !copyFailed_;
}

bool CBackupFile::Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader, bool complete) {
  if (!StopCopying()) return WriteFailed();
  // A backup cut short, or holding no entry, is not kept.
  if (!complete || entries.empty()) {
    Close();
    return true;
  }
  if (!WriteIndex(entries, rawCardHeader)) return WriteFailed();
  file_.Close();
  if (!output_.Commit()) {
    failure_ = {JobFailure::kOutputNotWritten, output_.Name(), {}, output_.LastError()};
    return false;
  }
  path_ = output_.Name();
  return true;
}

// Nothing of a file that could not be written is kept.
bool CBackupFile::WriteFailed() {
  failure_ = {JobFailure::kOutputNotWritten, output_.Name(), {}, file_.LastError()};
  Close();
  return false;
}

bool CBackupFile::WriteIndex(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader) {
  std::vector<const IndexEntry*> list;
  list.reserve(entries.size());
  for (const IndexEntry& e : entries) list.push_back(&e);
  return WriteBackupIndex(file_, list, rawCardHeader);
}

void CBackupFile::Close() {
  run_ = Run{};
  StopCopying();
  file_.Close();
  output_.Discard();
  path_.clear();
}
