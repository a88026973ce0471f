// What the engine's card source does with the chunks of a job, and how the job ended: the `.sd`
// file of a backup, the GPS text file of a GPS text export, and (through the engine) the
// recording of an export. The source thread runs Begin, TakeChunk and Finish (the reader of a
// transport stream only Begin and Finish); the engine sets the job up before the thread starts
// and reads its result after the job's end message.
//
// Every output is written under a temporary name and takes its own only when the job is done:
// a job that fails or is stopped leaves no file under a name that it did not hold before.
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
#include "engine/export/JobFailure.h"
#include "engine/stream/SourceJob.h"

enum class JobResult {
  kNone,       // no job started yet
  kRunning,
  kDone,       // the data ended by itself and everything was written
  kFailed,     // an output could not be written, the store could not be read to the end, or
               // nothing was there to write
  kCancelled,  // stopped before the end
};

// How the recording of a job ended.
struct RecordingEnd {
  bool ok = true;  // false when it failed, or wrote nothing that it should have
  bool stopped = false;  // stopped before everything read was written
  JobFailureInfo failure;
  std::vector<std::string> files;  // the files it kept
};

// What a job writes besides its recording.
struct JobOutputs {
  std::string backupPath;  // the `.sd` file; empty: no backup file
  // The files the job reads (the store, its `.raw` files, the `.ts` file), which no output may be.
  std::vector<std::string> inputs;
  // The names of the job's outputs known before it starts, checked before anything is written.
  std::vector<std::string> names;
  // A raw card's header block as read, written into its backup.
  std::array<std::uint8_t, kCardBlockSize> cardHeader{};
  bool withCardHeader = false;
  std::string folder;      // where GPS text files go (empty: the working folder)
  // Runs at the job's end on the source thread, told whether the data ended by itself and
  // whether the job's outputs are to be kept: ends the engine's recording.
  std::function<RecordingEnd(bool dataEnded, bool keep)> endRecording;
};

class CEngineJob : public ISourceJob {
 public:
  // The GPS text export of the next job.
  CGpsTextFile& GpsText() { return gpsText_; }

  // Sets up the next job; its result is kRunning from now on.
  void Prepare(JobOutputs outputs);
  // The recording could not write a sample: the job ends at its next chunk.
  void NoteRecordingFailed() { recordingFailed_ = true; }
  // A job is asked for: the failure of the last one is forgotten.
  void ClearFailure();
  // A job refused before anything was set up: its result is kFailed, for that reason.
  void NoteRefused(const JobFailureInfo& why);
  // A job that could not start: its outputs go, its result is kFailed, and `why` tells why unless
  // its outputs told already.
  void NoteStartFailed(const JobFailureInfo& why);

  // Checks the outputs' names and creates the backup file; false, with the reason kept, when
  // one is refused.
  bool Begin() override;
  bool TakeChunk(const JobChunk& chunk) override;
  void Finish(const BackupEntries& entries, SourceEnd end) override;

  JobResult Result() const { return result_.load(); }
  // The files the last job kept: the backup file, the GPS text files, the recording's files.
  std::vector<std::string> Files() const;
  // Why the last job failed; kNone when it did not.
  JobFailureInfo Failure() const;
  // The recordings the last backup left out, every one of its chunks unreadable; told only for a
  // backup that walked all its recordings.
  std::vector<LeftOutEntry> LeftOut() const;

 private:
  bool CheckNames();
  void Fail(const JobFailureInfo& why);
  JobResult ResultOf(bool written, SourceEnd end, const RecordingEnd& recording, bool copied, bool gpsFound);

  JobOutputs outputs_;
  CBackupFile backup_;
  CGpsTextFile gpsText_;
  bool gpsJob_ = false;
  std::atomic<bool> recordingFailed_{false};
  bool writeFailed_ = false;
  std::atomic<JobResult> result_{JobResult::kNone};
  mutable std::mutex lock_;
  std::vector<std::string> files_;
  std::vector<LeftOutEntry> leftOut_;
  JobFailureInfo failure_;
};
