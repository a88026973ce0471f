// The engine's jobs: a `.sd` backup, an export over a time range, the GPS text export, and the
// recording state that names their output.
#include <algorithm>
#include <limits>
#include <string_view>

#include "engine/IbpCtrl.h"
#include "engine/video/Snapshot.h"
#include "platform/File.h"
#include "platform/Time.h"

namespace {

constexpr DWORD kHandOverStepMs = 5;

bool IsAviPath(const CString& path) { return EndsWithNoCase(path, L".avi"); }

// The folder of a path with its last separator; empty for a path without one.
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// The recording's mode word: the export's length in seconds.
int ExportLength(std::int64_t startTime, std::int64_t endTime) {
  return static_cast<int>(std::min<std::int64_t>(endTime - startTime, std::numeric_limits<int>::max()));
}

}  // namespace

EngineStart CIbpCtrl::StartBackup(const CString& path, IndexEntry* const* entries, int count) {
  if (state_.open.load()) return EngineStart::kBusy;
  job_.ClearFailure();
  const bool gpsText = job_.GpsText().IsOn();
  if (path.IsEmpty()) return Refuse(JobFailure::kNoOutputName, path);
  if (!entries || count < 1 || static_cast<std::uint32_t>(count) > kBackupCapacity) {
    return Refuse(JobFailure::kEntries, path);
  }
  if (!IsCardStoreSource(address_.type)) return Refuse(JobFailure::kNotAStore, path);
  if (IsAviPath(path) && !gpsText) return Refuse(JobFailure::kOutputName, path);
  return StartJob(path, 0, !gpsText, false, [&] { return source_.AddBackupEntries(entries, count); });
}

EngineStart CIbpCtrl::OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                                 std::int64_t endTime) {
  if (state_.open.load()) return EngineStart::kBusy;
  job_.ClearFailure();
  if (address_.type == kSourceTransportStream) return ExportTransportStream(path, startTime, endTime);
  if (path.IsEmpty()) return Refuse(JobFailure::kNoOutputName, path);
  if (!IsCardStoreSource(address_.type)) return Refuse(JobFailure::kNotAStore, path);
  if (!IsAviPath(path) && !job_.GpsText().IsOn()) return Refuse(JobFailure::kOutputName, path);
  // Without both times the source would play on and wait at the end instead of ending the job.
  if (startTime <= 0 || endTime <= 0 || startTime > endTime) return Refuse(JobFailure::kNoTimeRange, path);
  return StartJob(path, ExportLength(startTime, endTime), false, state_.exportDecode.load(),
                  [&] { return source_.SetExportRange(entry, eventNumber, startTime, endTime); });
}

// A job reads the card source; it starts with its output named and its range set, or leaves the
// engine idle. Copying, it reads into queues that never make it wait; decoding, into the queues of
// the channel's threads, which start first as for a play.
EngineStart CIbpCtrl::StartJob(const CString& path, int mode, bool backup, bool decode,
                               const std::function<bool()>& setRange) {
  bool started = CreatePipeline();
  state_.open = true;
  active_ = Active::kCardSource;
  started = started && CreateQueues(decode) && (!decode || StartThreads());
  JobFailureInfo why{JobFailure::kNotStarted, path.ToUtf8(), {}, 0};
  if (started && !SetRecord(true, path, mode)) {
    why.kind = JobFailure::kFolderNotMade;
    started = false;
  }
  started = started && setRange();
  if (started) {
    PrepareJob(backup, decode);
    Channel& ch = channels_[0];
    source_.SetQueues(ch.videoQueue.get(), ch.audioQueue.get());
    source_.SetJob(&job_);
    started = source_.Start();
  }
  return JobStarted(started, why);
}

// A transport stream has no index that places times in it: its file is exported whole, the
// pictures copied and the sound decoded, by its reader. The times give the recording's mode word.
EngineStart CIbpCtrl::ExportTransportStream(const CString& path, std::int64_t startTime, std::int64_t endTime) {
  if (path.IsEmpty()) return Refuse(JobFailure::kNoOutputName, path);
  if (state_.exportDecode.load() || job_.GpsText().IsOn()) return Refuse(JobFailure::kNotAStore, path);
  if (!IsAviPath(path)) return Refuse(JobFailure::kOutputName, path);
  if (startTime > endTime) return Refuse(JobFailure::kNoTimeRange, path);
  bool started = CreatePipeline();
  state_.open = true;
  active_ = Active::kTransportStream;
  started = started && CreateQueues(false);
  JobFailureInfo why{JobFailure::kNotStarted, path.ToUtf8(), {}, 0};
  if (started && !SetRecord(true, path, ExportLength(startTime, endTime))) {
    why.kind = JobFailure::kFolderNotMade;
    started = false;
  }
  if (started) {
    PrepareJob(false, false);
    TSExport to;
    to.recorder = &recorder_;
    to.sound = state_.exportAudio.load();
    to.onEnd = [this](bool complete) { EndTransportStreamExport(complete); };
    started = job_.Begin() && channels_[0].transportStream->StartExport(path_.ToUtf8(), std::move(to));
  }
  return JobStarted(started, why);
}

// On the reader's thread, once: the job ends as a card source's does.
void CIbpCtrl::EndTransportStreamExport(bool complete) {
  job_.Finish({}, complete ? SourceEnd::kData : SourceEnd::kStopped);
  PostMessage(state_.notifyWnd.load(), WM_PLAYER_END, reinterpret_cast<WPARAM>(this), -1);
}

void CIbpCtrl::PrepareJob(bool backup, bool decode) {
  const bool recording = GetRecordState().avi && !job_.GpsText().IsOn();
  job_.Prepare(OutputsOf(backup, recording, decode));
  if (recording) BeginRecorder(decode);
}

EngineStart CIbpCtrl::JobStarted(bool started, const JobFailureInfo& why) {
  if (started) return EngineStart::kStarted;
  Close();
  job_.NoteStartFailed(why);
  return EngineStart::kFailed;
}

// A job refused before anything was set up.
EngineStart CIbpCtrl::Refuse(JobFailure why, const CString& path) {
  job_.NoteRefused({why, path.ToUtf8(), {}, 0});
  return EngineStart::kFailed;
}

JobOutputs CIbpCtrl::OutputsOf(bool backup, bool recording, bool decode) {
  JobOutputs out;
  const std::string path = GetRecordState().path.ToUtf8();
  out.folder = FolderOf(path);
  out.inputs = InputPaths();
  if (backup) {
    out.backupPath = path;
    out.names.push_back(path);
    if (source_.StoreType() == kSourceRawCard) {
      std::copy(source_.RawHeader(), source_.RawHeader() + kCardBlockSize, out.cardHeader.begin());
      out.withCardHeader = true;
    }
  }
  if (recording) {
    // A re-encoded export writes its car data into no side files.
    for (const char* extension : {".avi", ".srt", ".csv"}) {
      if (!decode || extension == std::string_view(".avi")) out.names.push_back(path + extension);
    }
  }
  out.endRecording = [this, recording, decode](bool dataEnded, bool keep) {
    return EndJobRecording(recording, decode, dataEnded, keep);
  };
  return out;
}

// What a job on the source reads: the transport stream's file, or the store's files.
std::vector<std::string> CIbpCtrl::InputPaths() const {
  if (address_.type == kSourceTransportStream) return {path_.ToUtf8()};
  return source_.InputPaths();
}

void CIbpCtrl::BeginRecorder(bool reencode) {
  const OsdSettings osd = state_.Osd();
  RecordSettings settings;
  settings.exportName = GetRecordState().path;
  settings.reencode = reencode;
  settings.units.speedUnit = osd.speedUnit;
  settings.units.fahrenheit = osd.temperatureUnit != 0;
  settings.timeZoneOffset = state_.timeZoneOffset.load();
  settings.notifyWnd = state_.notifyWnd.load();
  settings.notifyParam = reinterpret_cast<WPARAM>(this);
  settings.onWriteFailed = [this] { job_.NoteRecordingFailed(); };
  settings.inputs = InputPaths();
  recorder_.Begin(settings);
}

// The end of a job, on its reader's thread: the recording is over, its files kept when the job
// is, and so are the export request and a GPS text export of mode 1. Not ok when the job's
// recording failed or wrote no file.
RecordingEnd CIbpCtrl::EndJobRecording(bool recording, bool decode, bool dataEnded, bool keep) {
  RecordingEnd end;
  // Stopped before the threads handed on what they held, the export is cut short.
  end.stopped = decode && dataEnded && !AwaitHandOver();
  RecordResult result = EndRecord(keep && !end.stopped);
  state_.exportActive = false;
  int exportOnce = 1;
  state_.rawExportMode.compare_exchange_strong(exportOnce, 0);
  end.files = std::move(result.files);
  if (recording && result.failed) {
    end.ok = false;
    end.failure = result.failure;
  } else if (recording && result.filesWritten == 0) {
    end.ok = false;
    end.failure = {JobFailure::kNoPicture, {}, {}, 0};
    if (result.filesRemoved > 0) end.failure = {JobFailure::kTooFewPictures, {}, {}, 0, result.picturesOfRemoved};
  }
  return end;
}

// The source has queued the last frames of an export that decodes: each of the channel's threads
// that runs hands on what it holds before the recorder finishes its files. Stopping the source
// ends the wait; false then.
bool CIbpCtrl::AwaitHandOver() {
  const Channel& ch = channels_[0];
  state_.videoHandOver = ch.video->IsRunning();
  state_.audioHandOver = ch.audio->IsRunning();
  ch.videoQueue->RingConsumer();  // an idle video thread finds its queue empty at once
  while (source_.IsRunning() && (state_.videoHandOver.load() || state_.audioHandOver.load())) Sleep(kHandOverStepMs);
  const bool handedOver = !state_.videoHandOver.load() && !state_.audioHandOver.load();
  state_.videoHandOver = false;
  state_.audioHandOver = false;
  return handedOver;
}

bool CIbpCtrl::StartRawExport(int mode, const CString& name, int fileMode) {
  if (!job_.GpsText().Start(fileMode, name)) return false;
  state_.rawExportMode = mode;
  return true;
}

bool CIbpCtrl::SetRecord(bool on, const CString& path, int mode) {
  if (!on) {
    EndRecord(false);
    return true;
  }
  std::lock_guard guard(recordLock_);
  // A second job must never write into the first one's file.
  if (record_.on || path.IsEmpty() || !MakeSnapshotFolders(path)) return false;
  record_.path = path;
  record_.avi = IsAviPath(path);
  if (record_.avi) record_.path = path.Left(path.GetLength() - 4);
  record_.mode = mode;
  record_.on = true;
  return true;
}

// The recorder finishes its file outside the lock: that takes a while, and the UI may be asking
// for the recording state meanwhile.
RecordResult CIbpCtrl::EndRecord(bool keepFiles) {
  {
    std::lock_guard guard(recordLock_);
    record_.on = false;
    record_.avi = false;
  }
  return recorder_.Stop(keepFiles);
}

RecordState CIbpCtrl::GetRecordState() const {
  std::lock_guard guard(recordLock_);
  return record_;
}

void CIbpCtrl::SetBackupLabel(const CString& text) {
  std::lock_guard guard(recordLock_);
  backupLabel_ = text.ToAnsi().substr(0, kBackupLabelLength);
}

std::string CIbpCtrl::GetBackupLabel() const {
  std::lock_guard guard(recordLock_);
  return backupLabel_;
}
