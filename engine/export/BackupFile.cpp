#include "engine/export/BackupFile.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr std::size_t kGatherBytes = 64 * kChunkSize;
}  // namespace

bool CBackupFile::Create(const std::string& path, const std::string& storePath) {
  std::error_code error;
  if (!storePath.empty() && std::filesystem::equivalent(path, storePath, error)) return false;
  path_ = path;
  gathered_.clear();
  gathered_.reserve(kGatherBytes);
  return file_.CreateFile(path);
}

bool CBackupFile::WriteChunk(std::size_t k, std::uint32_t n, const std::uint8_t* chunk) {
  if (n >= kMaxChunksPerEntry) return true;
  const std::uint64_t at = DataBlockOffset(kBackupDataBase, k) + std::uint64_t{n} * kChunkSize;
  const bool follows = at == gatheredAt_ + gathered_.size() && gathered_.size() < kGatherBytes;
  if (!follows && !WriteGathered()) return false;
  if (gathered_.empty()) gatheredAt_ = at;
  gathered_.insert(gathered_.end(), chunk, chunk + kChunkSize);
  return true;
}

bool CBackupFile::WriteGathered() {
  const bool written = gathered_.empty() || file_.WriteAt(gatheredAt_, gathered_.data(), gathered_.size());
  gathered_.clear();
  return written;
}

bool CBackupFile::Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader) {
  std::vector<const IndexEntry*> list;
  list.reserve(entries.size());
  for (const IndexEntry& e : entries) list.push_back(&e);
  const bool written = WriteGathered();
  const bool indexed = WriteBackupIndex(file_, list, rawCardHeader);
  file_.Close();
  return written && indexed;
}

void CBackupFile::Close() {
  gathered_.clear();
  file_.Close();
}
