// What the engine's card source does with the chunks of a job, and how the job ended: the `.sd`
// file of a backup, the GPS text file of a GPS text export, and (through the engine) the
// recording of an export. The source thread runs Begin, TakeChunk and Finish (the reader of a
// transport stream only Finish); the engine sets the job up before the thread starts and reads
// its result after the job's end message.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/export/BackupFile.h"
#include "engine/export/GpsTextFile.h"
#include "engine/stream/SourceJob.h"

enum class JobResult {
  kNone,       // no job started yet
  kRunning,
  kDone,       // the data ended by itself and everything was written
  kFailed,     // an output could not be written, or the store could not be read to the end
  kCancelled,  // stopped before the end
};

// What a job writes besides its recording.
struct JobOutputs {
  std::string backupPath;  // the `.sd` file; empty: no backup file
  std::string storePath;   // the store read, which a backup must never overwrite
  // A raw card's header block as read, written into its backup.
  std::array<std::uint8_t, kCardBlockSize> cardHeader{};
  bool withCardHeader = false;
  std::string folder;      // where GPS text files go (empty: the working folder)
  // Runs at the job's end on the source thread, told whether the data ended by itself: ends the
  // engine's recording; false when the recording wrote nothing it should have, or failed.
  std::function<bool(bool dataEnded)> endRecording;
};

class CEngineJob : public ISourceJob {
 public:
  // The GPS text export of the next job.
  CGpsTextFile& GpsText() { return gpsText_; }

  // Sets up the next job; its result is kRunning from now on.
  void Prepare(JobOutputs outputs);
  // The recording could not write a sample: the job ends at its next chunk.
  void NoteRecordingFailed() { recordingFailed_ = true; }
  // A job that could not start.
  void NoteStartFailed();

  bool Begin() override;
  bool TakeChunk(const JobChunk& chunk) override;
  void Finish(const std::vector<IndexEntry>& taken, SourceEnd end) override;

  JobResult Result() const { return result_.load(); }
  // The files the last job wrote: the backup file, the GPS text files.
  std::vector<std::string> Files() const;

 private:
  JobOutputs outputs_;
  CBackupFile backup_;
  CGpsTextFile gpsText_;
  std::atomic<bool> recordingFailed_{false};
  bool writeFailed_ = false;
  std::atomic<JobResult> result_{JobResult::kNone};
  mutable std::mutex filesLock_;
  std::vector<std::string> files_;
};
