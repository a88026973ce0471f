// The card source thread of a raw card, a `.sd` backup or an `.idx` index with its `.raw` data
// files. It walks the entries to play (or those of a job) in order, reads each entry's data
// chunk by chunk, forward or backward, follows seeks and speed, takes in every chunk's sensor
// block, and hands the stream data of stream 0 to the demultiplexer, which fills the channel's
// queues. At the end of the data it queues an end item and waits for a seek or a stop.
//
// Threads: the UI thread sets the source up (queues, entry range, job) while the thread does not
// run, and otherwise reaches it only through the engine state (speed, seek time, switches,
// requests), which the thread reads between chunks. The video thread takes the markers' sensor
// blocks through Sensors().TakeMarker.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "engine/store/CardStore.h"
#include "engine/stream/ChunkDemux.h"
#include "engine/state/EngineState.h"
#include "engine/stream/SensorData.h"
#include "engine/stream/SourceCtx.h"
#include "engine/stream/SourceJob.h"

class CSourceBoxCtx : public CSourceCtx, public CCardStore {
 public:
  // A failed read is tried again after each of these pauses, then the chunk counts as invalid.
  static constexpr DWORD kRetryPausesMs[] = {1, 10, 100};
  // This many failed reads in a row end the data; this many chunks in a row without a valid
  // trailer (failed reads among them) end the entry.
  static constexpr int kMaxFailedChunks = 8;
  // A backup reads only the chunks' trailers and has the system read the chunks ahead, this many
  // at a time, so that its copies of them find them read.
  static constexpr std::int64_t kReadAheadChunks = 256;

  CSourceBoxCtx(CIbpCtrl* engine, CEngineState* state);
  ~CSourceBoxCtx() override;

  // The channel's queues; the audio queue may be null.
  void SetQueues(CVBuffer2* video, CABuffer2* audio);
  // The channel's AVI recorder, which an export that copies the recording feeds.
  void SetRecorder(IRecordSink* recorder) { demux_.SetRecorder(recorder); }

  // Opens the store when needed, fixes the entries to walk and starts the thread. False when the
  // store cannot be opened, there is nothing to play, no video queue is set or the job refuses.
  bool Start() override;
  // Stops the thread; a job that has not ended is finished as incomplete. The current entry, the
  // event number and the play list are cleared.
  bool Stop(DWORD timeoutMs) override;
  // Stops the thread, then closes the store.
  void CloseStore() override;

  // Where the next play starts: an entry and an event number (1-16: that event record's chunk;
  // 0: the entry's start). Refused (false) while the thread runs. Always empties the G-sensor
  // value lists.
  bool SetEntryRange(IndexEntry* entry, int eventNumber);
  IndexEntry* CurrentEntry() const { return current_.load(); }

  // Jobs, set up while the thread does not run. A backup walks the given entries and hands every
  // valid chunk to the job instead of playing it; an export plays one entry between two times.
  // A job set up and not started is forgotten by Stop.
  void SetJob(ISourceJob* job) { job_ = job; }
  // Refused unless every entry given is an entry of the store as it is open now, and unless the
  // entries fit into a backup: each takes one 16 MB block of it, or two when it holds more chunks
  // than one block does.
  bool AddBackupEntries(IndexEntry* const* entries, int count);
  // Opens the store when needed; refused for an entry that is not one of the store as it is open.
  // A null entry starts at the store's first.
  bool SetExportRange(IndexEntry* entry, int eventNumber, std::int64_t startTime, std::int64_t endTime);
  bool IsJob() const { return jobFlag_; }
  // A backup, or an export with both time limits.
  bool IsRangeMode() const { return !backupList_.empty() || (startLimit_ != 0 && endLimit_ != 0); }
  // The last multiple of 5 % of a job's progress that was posted; -1 = none.
  int JobProgress() const { return progress_.load(); }
  // How far the job got, 0 to 1: a backup by the chunks of its entries walked, an export by the
  // time of its range passed. 0 when no job ran since the last stop.
  double JobRatio() const;

  // The sensor block the main window shows, as GetSensorBlock of the engine gives it.
  bool GetSensorBlock(BYTE* out) const { return sensors_.GetSensorBlock(out, IsRunning()); }
  CSensorData& Sensors() { return sensors_; }
  const CChunkDemux& Demux() const { return demux_; }

  SourceEnd LastEnd() const { return lastEnd_.load(); }
  std::uint32_t ValidChunks() const { return validChunks_.load(); }
  std::uint32_t InvalidChunks() const { return invalidChunks_.load(); }

 protected:
  void Run() override;

 private:
  enum class ReadResult { kRead, kFailed, kFatal };
  // How a seek inside the entry has moved so far: not at all, forward over chunks before its
  // bound, or back onto the chunk before the first one not before it.
  enum class SeekStep { kNone, kForward, kBackOne };
  struct TakenEntry {
    bool any = false;
    std::uint32_t lastChunk = 0;
    RecorderDate lastDate{};
  };

  // Run and the walk over the entries.
  SourceEnd ReadData();
  bool ChooseStart();
  void EnterEntry(IndexEntry* entry);
  bool SeekToOtherEntry();
  bool SeekInsideEntry(std::int64_t chunkTime);
  void CancelSeek(std::int64_t seek);
  bool NextChunk();
  bool IsBackward() const;
  bool InsideEntry() const;
  bool EndEntry();
  bool CrossEntry();
  std::int64_t LastChunkWithData();
  std::int64_t FirstChunkWithData(std::int64_t from, std::int64_t to);
  IndexEntry* NextEntry();
  IndexEntry* PreviousEntry();
  bool WaitForSeek();
  void CarryOutRequests();
  void Resync();

  // One chunk.
  ReadResult ReadChunkWithRetries();
  std::uint64_t ChunkOffset() const { return ChunkOffset(chunkNumber_); }
  std::uint64_t ChunkOffset(std::int64_t n) const;
  bool ValidTrailer(IndexBlockA5* trailer) const { return ValidTrailerOf(chunkNumber_, trailer); }
  bool ValidTrailerOf(std::int64_t n, IndexBlockA5* trailer) const;
  std::int64_t ChunkTime(const IndexBlockA5& trailer);
  SourceEnd UseChunk(const IndexBlockA5& trailer, std::int64_t chunkTime);
  CSensorData::Slot TakeSensors(const IndexBlockA5& trailer, std::int64_t chunkTime);
  void WaitForRingRoom();
  bool PlayChunk(const IndexBlockA5& trailer, std::int64_t chunkTime, const CSensorData::Slot& slot);
  void SwitchChannelOff();
  bool HandToJob(const IndexBlockA5& trailer);
  void PostProgress(std::uint32_t sequence);
  void CountJobTotal();
  void CountJobChunk(std::int64_t chunkTime);

  // The end of a job.
  void EndJob(SourceEnd end);
  void FinishJob(SourceEnd end);
  void ClearJob();
  bool PlaceBackupEntries();
  BackupEntries EntriesAtEnd(SourceEnd end) const;

  void Post(UINT msg, LPARAM lParam) const;

  CEngineState* const state_;
  CVBuffer2* video_ = nullptr;
  CABuffer2* audio_ = nullptr;
  CSensorData sensors_;
  CChunkDemux demux_;
  std::vector<std::uint8_t> chunk_;

  // Position.
  std::atomic<IndexEntry*> current_{nullptr};
  std::atomic<int> eventNumber_{0};
  std::int64_t chunkNumber_ = 0;
  std::int64_t entryChunks_ = 0;  // the chunks of the current entry that are read
  std::int64_t entryStart_ = 0;
  std::int64_t entryEnd_ = 0;
  std::uint32_t expected_ = 0;  // the sequence the next played chunk should carry
  double speed_ = 1.0;          // of the chunk in hand
  SeekStep seekStep_ = SeekStep::kNone;
  bool leadIn_ = false;          // the chunk in hand leads into the chunk a seek settled on
  std::int64_t leadInTime_ = 0;  // the time of that chunk, which the lead-in's frames take
  bool streamBreak_ = false;     // a seek was carried out or cancelled: the stream starts afresh
  int failedInRow_ = 0;
  int invalidInRow_ = 0;
  std::optional<std::pair<RecorderDate, std::int64_t>> lastDateTime_;

  // Job.
  ISourceJob* job_ = nullptr;
  std::atomic<bool> jobFlag_{false};  // read by the UI thread through IsJob
  bool jobPending_ = false;  // begun and not finished
  std::vector<IndexEntry*> backupList_;
  std::vector<std::uint32_t> backupPositions_;  // where each backup entry's chunks go in the backup
  std::size_t backupAt_ = 0;
  std::vector<TakenEntry> taken_;
  std::int64_t startLimit_ = 0;
  std::int64_t endLimit_ = 0;
  std::atomic<int> progress_{-1};
  std::vector<std::int64_t> chunksBefore_;  // of each backup entry: the chunks of those before it
  std::atomic<std::int64_t> jobDone_{0};
  std::atomic<std::int64_t> jobTotal_{0};

  std::atomic<SourceEnd> lastEnd_{SourceEnd::kNone};
  std::atomic<std::uint32_t> validChunks_{0};
  std::atomic<std::uint32_t> invalidChunks_{0};
};
