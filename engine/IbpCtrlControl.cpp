// The engine's controls, settings and state: what the UI thread changes while a play runs and
// what it reads back.
#include <cmath>

#include "engine/video/CropZoom.h"
#include "engine/IbpCtrl.h"
#include "engine/video/Snapshot.h"
#include "platform/sound/SoundOutput.h"

void CIbpCtrl::SetSpeed(double speed) {
  // The threads divide by the speed and step by its sign: a speed that is none plays on as it was.
  if (!std::isfinite(speed) || speed == 0) return;
  const double previous = state_.speed.load();
  if (speed == previous) return;
  const bool turns = (previous < 0) != (speed < 0);
  // Reading restarts at the picture shown rather than where the source has read ahead to.
  if (turns && active_.load() == Active::kCardSource && IsDecoderOpen(0) != 0) {
    state_.seekTime = state_.frameTime.load();
  }
  state_.speed = speed;
  if (turns && active_.load() == Active::kTransportStream) channels_[0].transportStream->SetBackward(speed < 0);
  if (speed == 1.0) state_.RequestResync();
  RingThreads();
}

void CIbpCtrl::SetPause(int pause) {
  state_.pause = pause;
  state_.RequestResync();
  state_.NotePauseChange();
  RingThreads();
}

void CIbpCtrl::RingThreads() {
  for (Channel& ch : channels_) {
    if (!ch.videoQueue) continue;
    ch.videoQueue->RingConsumer();
    ch.videoQueue->RingProducer();
  }
}

void CIbpCtrl::Seek(std::int64_t time) {
  if (address_.type == kSourceTransportStream) {
    SeekTransportStream(time);
    return;
  }
  state_.seekElsewhere = true;
  state_.seekTime = time;
  state_.NoteSeek();
  state_.RequestAudioReset();
  RingThreads();
}

// The reader is asked first: the seek time, which stands for the picture until one of the new
// place is queued, is cancelled by the first picture queued once the reader has taken the seek.
void CIbpCtrl::SeekTransportStream(std::int64_t time) {
  CTSChn* stream = channels_[0].transportStream.get();
  if (active_.load() != Active::kTransportStream || stream->IsExporting() || !stream->SeekTime(time)) return;
  state_.seekElsewhere = true;
  state_.seekTime = time;
  state_.NoteSeek();
  state_.RequestAudioReset();
  RingThreads();
}

void CIbpCtrl::SetVolume(int channel, std::int32_t volume) {
  if (!ValidChannel(channel)) return;
  const std::int32_t applied = volume < kQuietestVolume ? plat::kVolumeSilent : volume;
  state_.outputVolume = applied;
  if (CAudioCtx* audio = channels_[static_cast<std::size_t>(channel)].audio.get()) audio->SetVolume(applied);
}

void CIbpCtrl::Zoom(int channel, int x, int y, int step) {
  if (!ValidChannel(channel)) return;
  state_.SetCrop(ZoomCrop(state_.Crop(), GetVideoWidth(channel), GetVideoHeight(channel), x, y, step));
  // A paused picture shows the zoom at once, not with the next picture.
  state_.redrawRequest = true;
  RingThreads();
}

void CIbpCtrl::SetNotifyWindow(HWND wnd, int channel) {
  if (ValidChannel(channel)) state_.notifyWnd = wnd;
}

void CIbpCtrl::SetVideoWindow(HWND wnd, int channel) {
  if (ValidChannel(channel)) state_.videoWnd = wnd;
}

void CIbpCtrl::SetKeepProportion(bool keep) { state_.keepProportion = keep; }
void CIbpCtrl::SetExportPerChannel(bool perChannel) { state_.exportPerChannel = perChannel; }
void CIbpCtrl::SetExportDecode(bool decode) { state_.exportDecode = decode; }
void CIbpCtrl::SetExportActive(bool active) { state_.exportActive = active; }

void CIbpCtrl::SetExportChannel(int channel, bool on, bool withAudio) {
  if (!ValidChannel(channel)) return;
  state_.exportChannel = on;
  state_.exportAudio = on && withAudio;
  state_.exportReady = false;
}

void CIbpCtrl::SetTimeZoneOffset(std::int64_t seconds) { state_.timeZoneOffset = seconds; }

void CIbpCtrl::SetEdrUnits(int speedUnit, int temperatureUnit) {
  state_.EditOsd([&](OsdSettings& osd) {
    osd.speedUnit = speedUnit;
    osd.temperatureUnit = temperatureUnit;
  });
}

void CIbpCtrl::SetEdrOsd(int left, int top, COLORREF color, int size, const CString& face) {
  const LOGFONTW font = EdrFont(size, face);
  state_.EditOsd([&](OsdSettings& osd) {
    osd.edrFont = font;
    osd.edrLeft = left;
    osd.edrTop = top;
    osd.edrColor = color;
  });
}

void CIbpCtrl::SetShowMusicOsd(bool on, COLORREF color) {
  state_.EditOsd([&](OsdSettings& osd) {
    osd.music = on;
    osd.timeColor = color;
  });
}

void CIbpCtrl::SetShowTimeOsd(int mode, COLORREF color) {
  state_.EditOsd([&](OsdSettings& osd) {
    osd.timeMode = mode;
    osd.timeColor = color;
  });
}

void CIbpCtrl::SetCutRect(int channel, int left, int top, int right, int bottom) {
  if (ValidChannel(channel)) state_.SetCrop(CRect(left, top, right, bottom));
}

void CIbpCtrl::SetDxva2Enabled(bool enabled, int channel) {
  if (ValidChannel(channel)) state_.dxva2Enabled = enabled;
}

void CIbpCtrl::SetVideoEnabled(bool enabled, int channel) {
  if (!ValidChannel(channel)) return;
  state_.videoEnabled = enabled;
  RingThreads();
}

void CIbpCtrl::SetAudioEnabled(bool enabled, int channel) {
  if (ValidChannel(channel)) state_.audioEnabled = enabled;
}

int CIbpCtrl::GetVideoWidth(int channel) const {
  const CVideoCtx* video = Video(channel);
  return video ? video->Width() : 0;
}

int CIbpCtrl::GetVideoHeight(int channel) const {
  const CVideoCtx* video = Video(channel);
  return video ? video->Height() : 0;
}

bool CIbpCtrl::IsNoVideo(int channel) const {
  const CVideoCtx* video = Video(channel);
  return !video || video->IsNoVideo();
}

int CIbpCtrl::IsDecoderOpen(int channel) const {
  const CVideoCtx* video = Video(channel);
  return video && video->IsDecoderOpen() ? 1 : 0;
}

std::int64_t CIbpCtrl::GetShownChunk(int channel) const {
  const CVideoCtx* video = Video(channel);
  return video && state_.open.load() ? video->ShownChunk() : kNoChunk;
}

void CIbpCtrl::RedrawVideo() {
  state_.redrawRequest = true;
  RingThreads();
}

bool CIbpCtrl::GetCarData(int channel, CarDataRecord& out) const {
  const CVideoCtx* video = Video(channel);
  if (video == nullptr || !state_.open.load()) return false;
  const CarDataRecord record = video->CarData();
  if (record.time == 0) return false;
  out = record;
  return true;
}

std::int64_t CIbpCtrl::GetDisplayTime(int channel) const {
  if (!ValidChannel(channel)) return 0;
  const std::int64_t seek = state_.seekTime.load();
  return seek != 0 ? seek : state_.frameTime.load();
}

std::uint8_t CIbpCtrl::GetEntryFlagByte() const {
  const IndexEntry* entry = source_.CurrentEntry();
  return entry ? entry->EntryFlagByte() : 0;
}

bool CIbpCtrl::GetSensorBlock(BYTE* out) const {
  if (active_.load() == Active::kTransportStream) return channels_[0].transportStream->GetSensorBlock(out);
  return source_.GetSensorBlock(out);
}

bool CIbpCtrl::TakeSnapshot(bool jpeg, const CString& path) {
  using Kind = SnapshotFailure::Kind;
  snapshotFailure_ = {};
  int& error = snapshotFailure_.error;
  if (path.IsEmpty()) {
    snapshotFailure_.kind = Kind::kNoName;
  } else if (!MakeSnapshotFolders(path, &error)) {
    snapshotFailure_.kind = Kind::kFolderNotMade;
  } else {
    const CVideoCtx* video = Video(0);
    plat::PictureCopy shown;
    if (!video || !video->Snapshot(shown)) {
      snapshotFailure_.kind = Kind::kNoPicture;
    } else if (!WriteSnapshot({shown.pixels, shown.width, shown.height}, SnapshotTexts{}, SnapshotFileName(path, jpeg),
                              InputPaths(), &error)) {
      snapshotFailure_.kind = Kind::kNotWritten;
    }
  }
  return snapshotFailure_.kind == Kind::kNone;
}

OsdSettings CIbpCtrl::OsdSource::Settings() const { return engine_.state_.Osd(); }

void CIbpCtrl::OsdSource::AddSoundFigures(OsdFigures& figures) const {
  figures.audioTime = engine_.state_.audioTime.load();
  figures.previousDelay = engine_.state_.audioPreviousDelay.load();
  if (const CABuffer2* queue = engine_.AudioQueue(0)) {
    figures.audioQueueItems = static_cast<int>(queue->Count());
    figures.audioQueueBytes = static_cast<std::int64_t>(queue->BytesInUse());
  }
}
