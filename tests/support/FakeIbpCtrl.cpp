#include "tests/support/FakeIbpCtrl.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "engine/SourcePath.h"

namespace enginetest {

namespace {

template <typename T>
std::string ArgText(const T& value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::string ArgText(bool value) { return value ? "1" : "0"; }
std::string ArgText(const CString& value) { return value.ToUtf8(); }
std::string ArgText(HWND value) { return std::to_string(reinterpret_cast<std::uintptr_t>(value)); }

std::string ArgText(const IndexEntry* entry) {
  return entry ? "entry:" + std::to_string(entry->FirstChunk()) : "null";
}

std::string ArgText(IndexEntry* entry) { return ArgText(static_cast<const IndexEntry*>(entry)); }

std::string EntriesText(IndexEntry* const* entries, int count) {
  std::string text = "[";
  for (int i = 0; entries && i < count; ++i) text += (i ? " " : "") + ArgText(entries[i]);
  return text + "]";
}

}  // namespace

std::string EngineCall::Text() const {
  std::string text = name + "(";
  for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + args[i];
  return text + ")";
}

template <typename... Args>
void FakeIbpCtrl::Record(const char* name, const Args&... args) const {
  calls_.push_back(EngineCall{name, {ArgText(args)...}});
}

template <typename T, typename... Args>
T FakeIbpCtrl::Answer(const char* name, T value, const Args&... args) const {
  Record(name, args...);
  return value;
}

bool FakeIbpCtrl::UseStore(const std::string& path) {
  store_.CloseStore();
  store_.SetStoreSource(ParseSourcePath(CString(path)).type, 0, path);
  return store_.OpenStore() != nullptr;
}

std::vector<std::string> FakeIbpCtrl::CallTexts() const {
  std::vector<std::string> texts;
  for (const EngineCall& call : calls_) texts.push_back(call.Text());
  return texts;
}

std::vector<EngineCall> FakeIbpCtrl::CallsNamed(const std::string& name) const {
  std::vector<EngineCall> named;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(named),
               [&](const EngineCall& call) { return call.name == name; });
  return named;
}

void FakeIbpCtrl::Destroy() {
  Record("Destroy");
  destroyed_ = true;
}

int FakeIbpCtrl::SetSource(const CString& path) {
  Record("SetSource", path);
  path_ = path;
  answers.currentEntry = nullptr;
  return answers.sourceType;
}

const CString& FakeIbpCtrl::GetSourcePath() const {
  Record("GetSourcePath");
  return path_;
}

IndexEntry* FakeIbpCtrl::OpenStore() {
  Record("OpenStore");
  answers.currentEntry = nullptr;
  return store_.OpenStore();
}

IndexEntry* FakeIbpCtrl::GetNextEntry(const IndexEntry* entry) {
  Record("GetNextEntry", entry);
  return store_.GetNextEntry(entry);
}

IndexEntry* FakeIbpCtrl::GetCurrentEntry() const { return Answer("GetCurrentEntry", answers.currentEntry); }

EngineStart FakeIbpCtrl::Play(IndexEntry* entry, int eventNumber) {
  Record("Play", entry, eventNumber);
  if (answers.start == EngineStart::kStarted) answers.currentEntry = entry ? entry : store_.OpenStore();
  return answers.start;
}

void FakeIbpCtrl::Close() {
  Record("Close");
  speed_ = 1.0;
}

void FakeIbpCtrl::SetSpeed(double speed) {
  Record("SetSpeed", speed);
  speed_ = speed;
}

double FakeIbpCtrl::GetSpeed() const { return Answer("GetSpeed", speed_); }

void FakeIbpCtrl::SetPause(int pause) { Record("SetPause", pause); }
void FakeIbpCtrl::Seek(std::int64_t time) { Record("Seek", time); }
void FakeIbpCtrl::SetVolume(int channel, std::int32_t volume) { Record("SetVolume", channel, volume); }
void FakeIbpCtrl::Zoom(int channel, int x, int y, int step) { Record("Zoom", channel, x, y, step); }

EngineStart FakeIbpCtrl::StartBackup(const CString& path, IndexEntry* const* entries, int count) {
  Record("StartBackup", path, EntriesText(entries, count), count);
  return answers.start;
}

EngineStart FakeIbpCtrl::OpenExport(const CString& path, IndexEntry* entry, int eventNumber, std::int64_t startTime,
                                    std::int64_t endTime) {
  Record("OpenExport", path, entry, eventNumber, startTime, endTime);
  return answers.start;
}

bool FakeIbpCtrl::StartRawExport(int mode, const CString& name, int fileMode) {
  Record("StartRawExport", mode, name, fileMode);
  return true;
}

bool FakeIbpCtrl::SetRecord(bool on, const CString& path, int mode) {
  Record("SetRecord", on, path, mode);
  record_ = RecordState{on, on ? path : CString(), false, on ? mode : 0};
  return true;
}

RecordState FakeIbpCtrl::GetRecordState() const { return Answer("GetRecordState", record_); }

void FakeIbpCtrl::SetBackupLabel(const CString& text) { Record("SetBackupLabel", text); }

double FakeIbpCtrl::GetProgressRatio() const { return Answer("GetProgressRatio", answers.progressRatio); }
int FakeIbpCtrl::GetJobProgress() const { return Answer("GetJobProgress", answers.jobProgress); }
JobResult FakeIbpCtrl::GetJobResult() const { return Answer("GetJobResult", answers.jobResult); }
std::vector<std::string> FakeIbpCtrl::GetJobFiles() const { return Answer("GetJobFiles", answers.jobFiles); }
std::vector<LeftOutEntry> FakeIbpCtrl::GetJobLeftOut() const { return Answer("GetJobLeftOut", answers.jobLeftOut); }

void FakeIbpCtrl::SetExportPerChannel(bool perChannel) { Record("SetExportPerChannel", perChannel); }
void FakeIbpCtrl::SetExportDecode(bool decode) { Record("SetExportDecode", decode); }

void FakeIbpCtrl::SetExportActive(bool active) {
  Record("SetExportActive", active);
  exportActive_ = active;
}

bool FakeIbpCtrl::IsExportActive() const { return Answer("IsExportActive", exportActive_); }

void FakeIbpCtrl::SetExportChannel(int channel, bool on, bool withAudio) {
  Record("SetExportChannel", channel, on, withAudio);
}

void FakeIbpCtrl::SetNotifyWindow(HWND wnd, int channel) { Record("SetNotifyWindow", wnd, channel); }
void FakeIbpCtrl::SetVideoWindow(HWND wnd, int channel) { Record("SetVideoWindow", wnd, channel); }
void FakeIbpCtrl::SetKeepProportion(bool keep) { Record("SetKeepProportion", keep); }
void FakeIbpCtrl::SetTimeZoneOffset(std::int64_t seconds) { Record("SetTimeZoneOffset", seconds); }
void FakeIbpCtrl::SetEdrUnits(int speedUnit, int temperatureUnit) { Record("SetEdrUnits", speedUnit, temperatureUnit); }

void FakeIbpCtrl::SetEdrOsd(int left, int top, COLORREF color, int size, const CString& face) {
  Record("SetEdrOsd", left, top, color, size, face);
}

void FakeIbpCtrl::SetShowMusicOsd(bool on, COLORREF color) { Record("SetShowMusicOsd", on, color); }
void FakeIbpCtrl::SetShowTimeOsd(int mode, COLORREF color) { Record("SetShowTimeOsd", mode, color); }

void FakeIbpCtrl::SetCutRect(int channel, int left, int top, int right, int bottom) {
  Record("SetCutRect", channel, left, top, right, bottom);
}

void FakeIbpCtrl::SetDxva2Enabled(bool enabled, int channel) { Record("SetDxva2Enabled", enabled, channel); }
void FakeIbpCtrl::SetVideoEnabled(bool enabled, int channel) { Record("SetVideoEnabled", enabled, channel); }
void FakeIbpCtrl::SetAudioEnabled(bool enabled, int channel) { Record("SetAudioEnabled", enabled, channel); }

int FakeIbpCtrl::GetVideoWidth(int channel) const { return Answer("GetVideoWidth", answers.videoWidth, channel); }
int FakeIbpCtrl::GetVideoHeight(int channel) const { return Answer("GetVideoHeight", answers.videoHeight, channel); }
bool FakeIbpCtrl::IsNoVideo(int channel) const { return Answer("IsNoVideo", answers.noVideo, channel); }
int FakeIbpCtrl::IsDecoderOpen(int channel) const { return Answer("IsDecoderOpen", answers.decoderOpen, channel); }

std::int64_t FakeIbpCtrl::GetShownChunk(int channel) const {
  return Answer("GetShownChunk", answers.shownChunk, channel);
}

void FakeIbpCtrl::RedrawVideo() { Record("RedrawVideo"); }

std::int64_t FakeIbpCtrl::GetDisplayTime(int channel) const {
  return Answer("GetDisplayTime", answers.displayTime, channel);
}

bool FakeIbpCtrl::GetSensorBlock(BYTE* out) const {
  Record("GetSensorBlock");
  if (answers.hasSensorBlock) std::memcpy(out, answers.sensorBlock.data(), kMarkerLength);
  return answers.hasSensorBlock;
}

bool FakeIbpCtrl::GetCarData(int channel, CarDataRecord& out) const {
  Record("GetCarData", channel);
  if (answers.carData.time == 0) return false;
  out = answers.carData;
  return true;
}

bool FakeIbpCtrl::TakeSnapshot(bool jpeg, const CString& path) {
  Record("TakeSnapshot", jpeg, path);
  return answers.snapshotFailure.kind == SnapshotFailure::Kind::kNone;
}

SnapshotFailure FakeIbpCtrl::GetSnapshotFailure() const {
  Record("GetSnapshotFailure");
  return answers.snapshotFailure;
}

ScopedFakeEngine::ScopedFakeEngine() {
  SetIbpCtrlFactory([this]() -> IIbpCtrl* {
    ++created_;
    return fail_ ? nullptr : &engine_;
  });
}

ScopedFakeEngine::~ScopedFakeEngine() { SetIbpCtrlFactory(nullptr); }

}  // namespace enginetest
