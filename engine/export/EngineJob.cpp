#include "engine/export/EngineJob.h"

void CEngineJob::Prepare(JobOutputs outputs) {
  outputs_ = std::move(outputs);
  recordingFailed_ = false;
  writeFailed_ = false;
  gpsJob_ = gpsText_.IsOn();
  gpsText_.BeginJob(outputs_.folder, outputs_.inputs);
  {
    std::lock_guard guard(lock_);
    files_.clear();
    leftOut_.clear();
    failure_ = JobFailureInfo();
  }
  result_ = JobResult::kRunning;
}

void CEngineJob::ClearFailure() {
  std::lock_guard guard(lock_);
  failure_ = JobFailureInfo();
}

void CEngineJob::NoteRefused(const JobFailureInfo& why) {
  Fail(why);
  result_ = JobResult::kFailed;
}

void CEngineJob::NoteStartFailed(const JobFailureInfo& why) {
  backup_.Close();
  gpsText_.End(false);
  Fail(why);
  result_ = JobResult::kFailed;
}

// The first failure is the one told.
void CEngineJob::Fail(const JobFailureInfo& why) {
  std::lock_guard guard(lock_);
  if (failure_.kind == JobFailure::kNone) failure_ = why;
}

bool CEngineJob::Begin() {
  if (!CheckNames()) return false;
  if (outputs_.backupPath.empty() || backup_.Create(outputs_.backupPath, outputs_.inputs)) return true;
  Fail(backup_.Failure());
  return false;
}

bool CEngineJob::CheckNames() {
  for (const std::string& name : outputs_.names) {
    std::string input;
    const plat::OutputRefusal refusal = plat::CheckOutputName(name, outputs_.inputs, &input);
    if (refusal == plat::OutputRefusal::kIsInput) {
      Fail({JobFailure::kOutputIsInput, name, input, 0});
      return false;
    }
    if (refusal == plat::OutputRefusal::kNotAFile) {
      Fail({JobFailure::kOutputNotAFile, name, {}, 0});
      return false;
    }
  }
  return true;
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

void CEngineJob::Finish(const BackupEntries& entries, SourceEnd end) {
  const std::vector<IndexEntry>& taken = entries.taken;
  const bool dataEnded = end == SourceEnd::kData;
  const bool gpsFound = !gpsJob_ || gpsText_.WroteLines();
  bool written = !writeFailed_ && !recordingFailed_.load();
  // Only a job done keeps what it wrote.
  const bool keep = written && dataEnded && gpsFound;
  std::vector<std::string> files;
  const bool backup = backup_.IsOpen();
  if (backup) {
    const std::uint8_t* header = outputs_.withCardHeader ? outputs_.cardHeader.data() : nullptr;
    if (!backup_.Finish(taken, header, keep)) {
      Fail(backup_.Failure());
      written = false;
    }
    if (!backup_.Path().empty()) files.push_back(backup_.Path());
  }
  if (!gpsText_.End(keep)) {
    Fail(gpsText_.Failure());
    written = false;
  }
  for (const std::string& f : gpsText_.Files()) files.push_back(f);
  const RecordingEnd recording = outputs_.endRecording ? outputs_.endRecording(dataEnded, keep) : RecordingEnd();
  files.insert(files.end(), recording.files.begin(), recording.files.end());
  {
    std::lock_guard guard(lock_);
    files_ = std::move(files);
    leftOut_ = entries.leftOut;
  }
  // A backup that copied nothing is no backup.
  result_ = ResultOf(written, end, recording, !backup || !taken.empty(), gpsFound);
}

JobResult CEngineJob::ResultOf(bool written, SourceEnd end, const RecordingEnd& recording, bool copied, bool gpsFound) {
  if (!written || recordingFailed_.load()) {
    if (!recording.ok) Fail(recording.failure);
    return JobResult::kFailed;
  }
  if (end == SourceEnd::kStopped || recording.stopped) return JobResult::kCancelled;
  if (end != SourceEnd::kData) {
    Fail({JobFailure::kReadError, {}, {}, 0});
  } else if (!recording.ok) {
    Fail(recording.failure);
  } else if (!copied) {
    Fail({JobFailure::kNothingRead, {}, {}, 0});
  } else if (!gpsFound) {
    Fail({JobFailure::kNoGpsText, {}, {}, 0});
  } else {
    return JobResult::kDone;
  }
  return JobResult::kFailed;
}

std::vector<std::string> CEngineJob::Files() const {
  std::lock_guard guard(lock_);
  return files_;
}

std::vector<LeftOutEntry> CEngineJob::LeftOut() const {
  std::lock_guard guard(lock_);
  return leftOut_;
}

JobFailureInfo CEngineJob::Failure() const {
  std::lock_guard guard(lock_);
  return failure_;
}
