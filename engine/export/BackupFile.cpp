#include "engine/export/BackupFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kRunChunks = 256;
// Runs handed over and not yet copied; the source waits when the copier is this far behind.
constexpr std::size_t kHandedRuns = 4;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return !b.empty() && std::filesystem::equivalent(a, b, error);
}

// What a complete backup would replace: nothing, or an older file (never a device or a folder).
bool Replaceable(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

}  // namespace

bool CBackupFile::Create(const std::string& path, const std::string& storePath) {
  Close();
  finalPath_ = path;
  partPath_ = path + kPartSuffix;
  if (SameFile(path, storePath) || SameFile(partPath_, storePath) || !Replaceable(path) || !Replaceable(partPath_) ||
      !file_.CreateFile(partPath_)) {
    return false;
  }
  path_ = partPath_;
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
  const bool written = StopCopying();
  // A file holding no entry, or whose chunks or index could not all be written, is not kept.
  const bool kept = written && !entries.empty() && WriteIndex(entries, rawCardHeader);
  file_.Close();
  if (!kept) {
    Remove();
    return written && entries.empty();
  }
  if (!complete) return true;
  std::error_code error;
  std::filesystem::rename(partPath_, finalPath_, error);
  if (error) return false;
  path_ = finalPath_;
  return true;
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
  if (!file_.IsOpen()) return;
  file_.Close();
  Remove();
}

void CBackupFile::Remove() {
  std::remove(partPath_.c_str());
  path_.clear();
}
