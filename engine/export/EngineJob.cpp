#include "engine/export/EngineJob.h"

void CEngineJob::Prepare(JobOutputs outputs) {
  outputs_ = std::move(outputs);
  recordingFailed_ = false;
  writeFailed_ = false;
  gpsText_.BeginJob(outputs_.folder);
  {
    std::lock_guard guard(filesLock_);
    files_.clear();
  }
  result_ = JobResult::kRunning;
}

void CEngineJob::NoteStartFailed() {
  backup_.Close();
  gpsText_.End();
  result_ = JobResult::kFailed;
}

bool CEngineJob::Begin() {
  return outputs_.backupPath.empty() || backup_.Create(outputs_.backupPath, outputs_.storePath);
}

bool CEngineJob::TakeChunk(const JobChunk& chunk) {
  if (recordingFailed_.load()) return false;
  if (!gpsText_.Write(*chunk.trailer) ||
      (backup_.IsOpen() && !backup_.WriteChunk(chunk.backupPosition, chunk.chunkNumber, *chunk.store, chunk.dataOffset))) {
    writeFailed_ = true;
    return false;
  }
  return true;
}

void CEngineJob::Finish(const std::vector<IndexEntry>& taken, SourceEnd end) {
  std::vector<std::string> files;
  bool written = !writeFailed_;
  const bool backup = backup_.IsOpen();
  if (backup) {
    const bool complete = written && end == SourceEnd::kData && !recordingFailed_.load();
    const std::uint8_t* header = outputs_.withCardHeader ? outputs_.cardHeader.data() : nullptr;
    written = backup_.Finish(taken, header, complete) && written;
    if (!backup_.Path().empty()) files.push_back(backup_.Path());
  }
  written = gpsText_.End() && written;
  for (const std::string& f : gpsText_.Files()) files.push_back(f);
  const bool recorded = !outputs_.endRecording || outputs_.endRecording(end == SourceEnd::kData);
  {
    std::lock_guard guard(filesLock_);
    files_ = std::move(files);
  }
  if (!written || recordingFailed_.load()) {
    result_ = JobResult::kFailed;
  } else if (end == SourceEnd::kStopped) {
    result_ = JobResult::kCancelled;
  } else {
    // A backup that copied nothing is no backup.
    const bool copied = !backup || !taken.empty();
    result_ = end == SourceEnd::kData && recorded && copied ? JobResult::kDone : JobResult::kFailed;
  }
}

std::vector<std::string> CEngineJob::Files() const {
  std::lock_guard guard(filesLock_);
  return files_;
}
