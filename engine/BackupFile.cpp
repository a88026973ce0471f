#include "engine/BackupFile.h"

#include <filesystem>
#include <system_error>

bool CBackupFile::Create(const std::string& path, const std::string& storePath) {
  std::error_code error;
  if (!storePath.empty() && std::filesystem::equivalent(path, storePath, error)) return false;
  path_ = path;
  position_ = 0;
  return file_.CreateFile(path);
}

bool CBackupFile::WriteChunk(std::size_t k, std::uint32_t n, const std::uint8_t* chunk) {
  if (n >= kMaxChunksPerEntry) return true;
  const std::uint64_t at = kBackupDataBase + k * kDataBlockSize + std::uint64_t{n} * kChunkSize;
  if (at != position_ && !file_.Seek(static_cast<std::int64_t>(at), FILE_BEGIN)) return false;
  // A failed write leaves the position unknown.
  position_ = 0;
  if (!file_.Write(chunk, kChunkSize)) return false;
  position_ = at + kChunkSize;
  return true;
}

bool CBackupFile::Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader) {
  std::vector<const IndexEntry*> list;
  list.reserve(entries.size());
  for (const IndexEntry& e : entries) list.push_back(&e);
  const bool written = WriteBackupIndex(file_, list, rawCardHeader);
  file_.Close();
  return written;
}
