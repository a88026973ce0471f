// The playback engine: the one object through which the main window, the card dialog and the file
// tools reach playing, jobs, snapshots, zoom, volume and the sensor data. It owns the channel's
// pipeline (frame queues, video and audio thread, made once and kept between plays), the card
// source thread, the transport-stream channel and the channel's AVI recorder, and the playing
// state that its threads share (CEngineState).
//
// Threads: every operation runs on the UI thread, or on a card tool's worker thread. The engine
// threads read the shared state between chunks and frames. Messages go to the notify window from
// the engine threads only, always posted, with wParam the engine: WM_PLAYER_SENSORDATA,
// WM_PLAYER_VIDEOSIZE and WM_PLAYER_END.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/stream/ABuffer2.h"
#include "engine/audio/AudioCtx.h"
#include "engine/store/CardStore.h"
#include "engine/export/EngineJob.h"
#include "engine/state/EngineState.h"
#include "engine/IIbpCtrl.h"
#include "engine/export/RecordCtx.h"
#include "engine/stream/SourceBoxCtx.h"
#include "engine/SourcePath.h"
#include "engine/ts/TSChn.h"
#include "engine/stream/VBuffer2.h"
#include "engine/video/VideoCtx.h"
#include "platform/String.h"

class CIbpCtrl final : public IIbpCtrl {
 public:
  static constexpr int kChannels = 1;
  static constexpr std::size_t kVideoQueueFactor = 16;
  static constexpr std::size_t kVideoItems = kVideoQueueFactor * 99;
  static constexpr std::size_t kAudioItems = 128;
  static constexpr std::size_t kVideoArea = 16 << 20;
  static constexpr std::size_t kVideoMargin = 1 << 20;
  static constexpr std::size_t kAudioArea = 2 << 20;
  static constexpr std::size_t kAudioMargin = 16 << 10;
  static constexpr DWORD kThreadStopMs = 10000;
  // A volume below this is played as silence.
  static constexpr std::int32_t kQuietestVolume = -2699;
  static constexpr std::size_t kBackupLabelLength = 18;

  // Makes the real engine (tools and engine tests); Destroy ends it. Null when out of memory.
  static CIbpCtrl* Create();

  CIbpCtrl();
  ~CIbpCtrl() override;
  CIbpCtrl(const CIbpCtrl&) = delete;
  CIbpCtrl& operator=(const CIbpCtrl&) = delete;

  // Closes, then deletes the engine.
  void Destroy() override;

  // The source. SetSource closes, closes the store, keeps the path trimmed of white space and
  // parses it; it returns the source type. A raw card ("dvk2://N") is physical drive N.
  int SetSource(const CString& path) override;
  int ParseSource();
  const SourceAddress& GetSourceAddress() const { return address_; }
  const CString& GetSourcePath() const override { return path_; }

  // Plays from an index entry (null: the first) and an event number (1-16: that event's chunk, 0:
  // the entry's start); a transport stream plays its file and takes no entry. The playable types
  // are 11 to 14. While a play or job is open: kStarted when asked for what is playing, else kBusy.
  EngineStart Play(IndexEntry* entry, int eventNumber) override;
  // Jobs. Each runs on the card source thread of a raw card, `.sd` or `.idx` source, posts
  // WM_PLAYER_SENSORDATA at each new 5 % of an entry's progress, and ends with one
  // WM_PLAYER_END (lParam -1), after which GetJobResult tells how it ended; the export of a
  // transport stream runs on its reader's thread and posts no progress. kBusy while a play
  // or job is open; kFailed for what they refuse or when the job cannot start (the engine is
  // idle then, and GetJobFailure says why). An output whose name is one of the files the job
  // reads, or exists as anything but a regular file, is refused before the job starts. Outputs
  // are written under temporary names beside their own and take them when the job is done.
  // A GPS text job that finds no fix fails.
  //
  // A backup copies the entries given (of the store as it is open, in their order) into a `.sd`
  // file created afresh at `path`; with the GPS text export on, it writes only the GPS text of
  // those entries. Refused for an empty path, no entries, more than a backup holds, or an AVI
  // path without the GPS text export.
  EngineStart StartBackup(const CString& path, IndexEntry* const* entries, int count) override;
  // An export of the recording between two times (seconds since 1970, both set, start not after
  // end) from an entry (null: the store's first) and an event number: its pictures, sound and car
  // data copied into AVI files with their subtitle and CSV files at `path` (an ".avi" path), or,
  // with the GPS text export on, its GPS text. With SetExportDecode the channel's threads decode
  // the pictures, which the recorder encodes to MPEG-4, and hand it the sound; car data then
  // writes no side files. The job ends once they have handed on everything read.
  //
  // A transport stream is exported whole by its reader, whatever the entry and the times (start
  // not after end): its pictures copied, its sound decoded to PCM. Refused with SetExportDecode
  // or the GPS text export on.
  EngineStart OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                         std::int64_t endTime) override;
  // Turns the GPS text export on for the next job: the raw export mode word (a job's end clears
  // a mode of 1), the file mode (kGpsTextFileOfFix, ...OfJob or ...OfDay) and the name that
  // starts the file names and labels the lines. False, and the export off (the mode word as it
  // was), for another file mode.
  bool StartRawExport(int mode, const CString& name, int fileMode) override;
  // Turns the recording of a job's output on or off. On: fails for an empty path, a path whose
  // folders cannot be made, or while a recording is on; keeps the path (a trailing ".avi" in any
  // case marks an AVI output and is cut) and the mode. Off: stops the channel's AVI recorder.
  bool SetRecord(bool on, const CString& path, int mode) override;
  RecordState GetRecordState() const override;
  // The label of the card tools' backups: at most 18 characters of the text in the ANSI code page.
  void SetBackupLabel(const CString& text) override;
  std::string GetBackupLabel() const;
  // How far the running or last job got, 0.0 to 1.0 (0.0 after Close).
  double GetProgressRatio() const override { return source_.JobRatio(); }
  // The last multiple of 5 % posted for the entry in hand; -1 when none (and after a job's end).
  int GetJobProgress() const override { return source_.JobProgress(); }
  JobResult GetJobResult() const override { return job_.Result(); }
  // The files the last job kept under their names: the `.sd` file, GPS text files, AVI files with
  // their subtitle and CSV files. A job that failed or was stopped keeps none.
  std::vector<std::string> GetJobFiles() const override { return job_.Files(); }
  // The recordings that the last backup, done or not, left out once it had walked them all, for
  // none of their chunks could be read (in the order given, with their place in it and why).
  std::vector<LeftOutEntry> GetJobLeftOut() const override { return job_.LeftOut(); }
  // Why the last job failed or was refused; kNone when it did not fail.
  JobFailureInfo GetJobFailure() const { return job_.Failure(); }
  // Stops everything and returns to idle: no play, speed 1.0, no seek, no pause, no play time.
  void Close() override;
  // Wakes the channel's queues, so that no thread stays blocked on one, then stops the source and
  // the channel's threads.
  void StopAll();
  // Makes what the channel's pipeline lacks: video and audio queue, transport-stream channel,
  // video and audio thread. False when one cannot be had.
  bool CreatePipeline();

  // Control.
  // A change of direction while the decoder runs restarts reading at the picture shown; a return
  // to 1.0 from another speed resynchronises the source. The same speed again changes nothing.
  void SetSpeed(double speed) override;
  double GetSpeed() const override { return state_.speed.load(); }
  // The video thread waits while the pause word is set; the source resynchronises and the sound
  // restarts with the pause delay.
  void SetPause(int pause) override;
  // Seeks to a time (seconds since 1970); the audio output starts over. A card source reads on
  // from the first chunk not before it; a transport stream that plays, from its first picture
  // not before it (a time past its last picture changes nothing).
  void Seek(std::int64_t time) override;
  // The channel's volume in hundredths of a decibel; below kQuietestVolume it plays as silence.
  void SetVolume(int channel, std::int32_t volume) override;
  // One zoom step about a point (millionths of the picture from its centre): positive in,
  // negative out.
  void Zoom(int channel, int x, int y, int step) override;

  // Settings.
  void SetNotifyWindow(HWND wnd, int channel) override;
  void SetVideoWindow(HWND wnd, int channel) override;
  void SetKeepProportion(bool keep) override;
  void SetExportPerChannel(bool perChannel) override;
  void SetExportDecode(bool decode) override;
  void SetExportActive(bool active) override;
  bool IsExportActive() const override { return state_.exportActive.load(); }
  // Whether the channel is exported, and its sound with it (never without the channel); the
  // channel's picture is no longer ready for the exporter.
  void SetExportChannel(int channel, bool on, bool withAudio) override;
  void SetTimeZoneOffset(std::int64_t seconds) override;
  void SetEdrUnits(int speedUnit, int temperatureUnit) override;
  void SetEdrOsd(int left, int top, COLORREF color, int size, const CString& face) override;
  void SetShowMusicOsd(bool on, COLORREF color) override;
  void SetShowTimeOsd(int mode, COLORREF color) override;
  // The crop as margins: left and top 0 or more, right and bottom 0 or less.
  void SetCutRect(int channel, int left, int top, int right, int bottom) override;
  void SetDxva2Enabled(bool enabled, int channel) override;
  void SetVideoEnabled(bool enabled, int channel) override;
  void SetAudioEnabled(bool enabled, int channel) override;

  // State.
  int GetVideoWidth(int channel) const override;
  int GetVideoHeight(int channel) const override;
  bool IsNoVideo(int channel) const override;
  // 1 while the channel's decoder is open (from the first play on), else 0.
  int IsDecoderOpen(int channel) const override;
  // The chunk (its sequence number) of the picture the channel shows, which tells the main window
  // the recording being played: -1 (kNoChunk) before the first picture of a play, after Close and
  // for a transport stream.
  std::int64_t GetShownChunk(int channel) const override;
  void RedrawVideo() override;
  // The seek time while one is pending, else the time of the picture shown.
  std::int64_t GetDisplayTime(int channel) const override;
  std::int64_t GetPlayTime() const { return state_.playClock.Get(); }
  std::uint8_t GetEntryFlagByte() const;
  // The sensor block the main window shows: the last one taken from a marker of the source that
  // plays. False when there is none or the source does not run.
  bool GetSensorBlock(BYTE* out) const override;
  bool GetCarData(int channel, CarDataRecord& out) const override;
  // The entry the card source is in; after Close and after the end of the data, the entry played
  // last, until SetSource or OpenStore. Valid while the store stays open.
  IndexEntry* GetCurrentEntry() const override;
  IndexEntry* GetNextEntry(const IndexEntry* entry) override { return source_.GetNextEntry(entry); }
  // Opens the store when it is closed and returns its first entry; the entry played last is
  // forgotten.
  IndexEntry* OpenStore() override;
  // Saves the picture the channel shows, enlarged by half, as a JPEG or BMP file named after
  // `path` (its last three characters give way to ".jpg" or "_Ch1.bmp"). True when the file was
  // written; false for an empty path, folders that cannot be made, no picture to save, or a
  // picture that stayed busy for CVideoCtx::kSnapshotWaitMs.
  bool TakeSnapshot(bool jpeg, const CString& path) override;
  // Why the last snapshot asked was not saved; kNone after one that was.
  SnapshotFailure GetSnapshotFailure() const override { return snapshotFailure_; }

  // What the engine threads share, and the channel's pipeline (null before CreatePipeline).
  CEngineState& State() { return state_; }
  const CEngineState& State() const { return state_; }
  CVBuffer2* VideoQueue(int channel) const;
  CABuffer2* AudioQueue(int channel) const;
  const CVideoCtx* Video(int channel) const;
  const CAudioCtx* Audio(int channel) const;
  const CSourceBoxCtx& Source() const { return source_; }

 private:
  enum class Active { kNone, kCardSource, kTransportStream };

  struct Channel {
    std::unique_ptr<CVBuffer2> videoQueue;
    std::unique_ptr<CABuffer2> audioQueue;
    std::unique_ptr<CTSChn> transportStream;  // after the queues it reads into
    // Destroyed before the queues they take from and the ring the stream's markers point at.
    std::unique_ptr<CVideoCtx> video;
    std::unique_ptr<CAudioCtx> audio;
  };

  // What the on-screen text reads of the engine: its settings and the sound's figures.
  class OsdSource final : public IOsdSource {
   public:
    explicit OsdSource(const CIbpCtrl& engine) : engine_(engine) {}
    OsdSettings Settings() const override;
    void AddSoundFigures(OsdFigures& figures) const override;

   private:
    const CIbpCtrl& engine_;
  };

  static bool ValidChannel(int channel) { return channel >= 0 && channel < kChannels; }
  // After a change of the controls: the threads that wait for one (the video thread idle or
  // paused, the source at the end of the data) look again.
  void RingThreads();
  void ConfigureStore();
  bool IsPlaying(const IndexEntry* entry) const;
  bool CreateQueues(bool blocking);
  bool StartThreads();
  void StopThreads();
  EngineStart StartJob(const CString& path, int mode, bool backup, bool decode, const std::function<bool()>& setRange);
  EngineStart ExportTransportStream(const CString& path, std::int64_t startTime, std::int64_t endTime);
  void EndTransportStreamExport(bool complete);
  void PrepareJob(bool backup, bool decode);
  EngineStart JobStarted(bool started, const JobFailureInfo& why);
  EngineStart Refuse(JobFailure why, const CString& path);
  JobOutputs OutputsOf(bool backup, bool recording, bool decode);
  std::vector<std::string> InputPaths() const;
  void BeginRecorder(bool reencode);
  RecordResult EndRecord(bool keepFiles);
  RecordingEnd EndJobRecording(bool recording, bool decode, bool dataEnded, bool keep);
  bool AwaitHandOver();
  bool StartSource(IndexEntry* entry, int eventNumber);
  void StopSource();
  void KeepPlayedEntry();
  void SeekTransportStream(std::int64_t time);

  CEngineState state_;
  CString path_;
  SourceAddress address_;
  mutable std::mutex recordLock_;  // the recording state, which a job's end turns off
  RecordState record_;
  std::string backupLabel_;
  SnapshotFailure snapshotFailure_;  // of the last snapshot; the UI thread's alone
  CRecordCtx recorder_;
  OsdSource osd_{*this};
  CEngineJob job_;
  std::array<Channel, kChannels> channels_;
  std::atomic<Active> active_{Active::kNone};
  std::atomic<IndexEntry*> playedEntry_{nullptr};  // the entry played last, kept after Close
  CSourceBoxCtx source_;  // after the queues it fills, so that it stops before they go
};


// An owner of an engine made by CIbpCtrl::Create, which it ends with Destroy.
struct IbpCtrlDestroy {
  void operator()(CIbpCtrl* engine) const { engine->Destroy(); }
};
using IbpCtrlPtr = std::unique_ptr<CIbpCtrl, IbpCtrlDestroy>;
