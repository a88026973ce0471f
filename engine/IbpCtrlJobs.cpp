// The engine's jobs: a `.sd` backup, an export over a time range, the GPS text export, and the
// recording state that names their output.
#include <algorithm>
#include <limits>

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
  const bool gpsText = job_.GpsText().IsOn();
  if (path.IsEmpty() || !entries || count < 1 || static_cast<std::uint32_t>(count) > kBackupCapacity ||
      !IsCardStoreSource(address_.type) || (IsAviPath(path) && !gpsText)) {
    return EngineStart::kFailed;
  }
  return StartJob(path, 0, !gpsText, false, [&] { return source_.AddBackupEntries(entries, count); });
}

EngineStart CIbpCtrl::OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                                 std::int64_t endTime) {
  if (state_.open.load()) return EngineStart::kBusy;
  if (address_.type == kSourceTransportStream) return ExportTransportStream(path, startTime, endTime);
  // Without both times the source would play on and wait at the end instead of ending the job.
  if (path.IsEmpty() || startTime <= 0 || endTime <= 0 || startTime > endTime || !IsCardStoreSource(address_.type) ||
      (!IsAviPath(path) && !job_.GpsText().IsOn())) {
    return EngineStart::kFailed;
  }
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
  started = started && CreateQueues(decode) && (!decode || StartThreads()) && SetRecord(true, path, mode) && setRange();
  if (started) {
    PrepareJob(backup, decode);
    Channel& ch = channels_[0];
    source_.SetQueues(ch.videoQueue.get(), ch.audioQueue.get());
    source_.SetJob(&job_);
    started = source_.Start();
  }
  return JobStarted(started);
}

// A transport stream has no index that places times in it: its file is exported whole, the
// pictures copied and the sound decoded, by its reader. The times give the recording's mode word.
EngineStart CIbpCtrl::ExportTransportStream(const CString& path, std::int64_t startTime, std::int64_t endTime) {
  if (path.IsEmpty() || startTime > endTime || !IsAviPath(path) || state_.exportDecode.load() ||
      job_.GpsText().IsOn()) {
    return EngineStart::kFailed;
  }
  bool started = CreatePipeline();
  state_.open = true;
  active_ = Active::kTransportStream;
  started = started && CreateQueues(false) && SetRecord(true, path, ExportLength(startTime, endTime));
  if (started) {
    PrepareJob(false, false);
    TSExport to;
    to.recorder = &recorder_;
    to.sound = state_.exportAudio.load();
    to.onEnd = [this](bool complete) { EndTransportStreamExport(complete); };
    started = channels_[0].transportStream->StartExport(path_.ToUtf8(), std::move(to));
  }
  return JobStarted(started);
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

EngineStart CIbpCtrl::JobStarted(bool started) {
  if (started) return EngineStart::kStarted;
  Close();
  job_.NoteStartFailed();
  return EngineStart::kFailed;
}

JobOutputs CIbpCtrl::OutputsOf(bool backup, bool recording, bool decode) {
  JobOutputs out;
  const std::string path = GetRecordState().path.ToUtf8();
  out.folder = FolderOf(path);
  if (backup) {
    out.backupPath = path;
    if (source_.StoreType() == kSourceRawCard) {
      out.storePath = plat::DrivePath(source_.StoreDrive()).value_or(std::string());
      std::copy(source_.RawHeader(), source_.RawHeader() + kCardBlockSize, out.cardHeader.begin());
      out.withCardHeader = true;
    } else {
      out.storePath = source_.StorePath();
    }
  }
  out.endRecording = [this, recording, decode](bool dataEnded) { return EndJobRecording(recording, decode && dataEnded); };
  return out;
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
  recorder_.Begin(settings);
}

// The end of a job, on its reader's thread: the recording is over, and so are the export request
// and a GPS text export of mode 1. True unless the job's recording wrote no file or failed.
bool CIbpCtrl::EndJobRecording(bool recording, bool handOver) {
  if (handOver) AwaitHandOver();
  const RecordResult result = EndRecord();
  state_.exportActive = false;
  int exportOnce = 1;
  state_.rawExportMode.compare_exchange_strong(exportOnce, 0);
  return !recording || (result.filesWritten > 0 && !result.failed);
}

// The source has queued the last frames of an export that decodes: each of the channel's threads
// that runs hands on what it holds before the recorder finishes its files. Stopping the source
// ends the wait.
void CIbpCtrl::AwaitHandOver() {
  const Channel& ch = channels_[0];
  state_.videoHandOver = ch.video->IsRunning();
  state_.audioHandOver = ch.audio->IsRunning();
  while (source_.IsRunning() && (state_.videoHandOver.load() || state_.audioHandOver.load())) Sleep(kHandOverStepMs);
  state_.videoHandOver = false;
  state_.audioHandOver = false;
}

bool CIbpCtrl::StartRawExport(int mode, const CString& name, int fileMode) {
  if (!job_.GpsText().Start(fileMode, name)) return false;
  state_.rawExportMode = mode;
  return true;
}

bool CIbpCtrl::SetRecord(bool on, const CString& path, int mode) {
  if (!on) {
    EndRecord();
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
RecordResult CIbpCtrl::EndRecord() {
  {
    std::lock_guard guard(recordLock_);
    record_.on = false;
    record_.avi = false;
  }
  return recorder_.Stop();
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
