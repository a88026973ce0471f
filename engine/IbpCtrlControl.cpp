// The engine's controls, settings and state: what the UI thread changes while a play runs and
// what it reads back.
#include "engine/CropZoom.h"
#include "engine/IbpCtrl.h"
#include "engine/Snapshot.h"
#include "platform/sound/SoundOutput.h"
#include "platform/video/VideoPresenter.h"

void CIbpCtrl::SetSpeed(double speed) {
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
}

void CIbpCtrl::SetPause(int pause) {
  state_.pause = pause;
  state_.RequestResync();
  state_.NotePauseChange();
}

void CIbpCtrl::Seek(std::int64_t time) {
  if (address_.type == kSourceTransportStream) return;
  state_.seekTime = time;
  state_.NoteSeek();
  state_.RequestAudioReset();
}

void CIbpCtrl::SetVolume(int channel, std::int32_t volume) {
  if (!ValidChannel(channel)) return;
  state_.outputVolume = volume < kQuietestVolume ? plat::kVolumeSilent : volume;
}

void CIbpCtrl::Zoom(int channel, int x, int y, int step) {
  if (!ValidChannel(channel)) return;
  state_.SetCrop(ZoomCrop(state_.Crop(), GetVideoWidth(channel), GetVideoHeight(channel), x, y, step));
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
  if (ValidChannel(channel)) state_.videoEnabled = enabled;
}

void CIbpCtrl::SetAudioEnabled(bool enabled, int channel) {
  if (ValidChannel(channel)) state_.audioEnabled = enabled;
}

int CIbpCtrl::GetVideoWidth(int channel) const { return ValidChannel(channel) ? state_.videoWidth.load() : 0; }

int CIbpCtrl::GetVideoHeight(int channel) const { return ValidChannel(channel) ? state_.videoHeight.load() : 0; }

bool CIbpCtrl::IsNoVideo(int channel) const { return !ValidChannel(channel) || state_.waitingForPicture.load(); }

int CIbpCtrl::IsDecoderOpen(int channel) const { return ValidChannel(channel) ? state_.decoderOpen.load() : 0; }

void CIbpCtrl::RedrawVideo() { state_.redrawRequest = true; }

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

bool CIbpCtrl::TakeMarker(int channel, const QueueItem& marker, BYTE* out) {
  if (!ValidChannel(channel)) return false;
  switch (active_.load()) {
    case Active::kCardSource: return source_.Sensors().TakeMarker(marker, out);
    case Active::kTransportStream: return channels_[0].transportStream->TakeMarker(marker, out);
    case Active::kNone: return false;
  }
  return false;
}

bool CIbpCtrl::TakeSnapshot(bool jpeg, const CString& path) {
  if (path.IsEmpty() || !MakeSnapshotFolders(path)) return false;
  const std::shared_ptr<plat::IVideoPresenter> presenter = plat::PresenterFor(state_.videoWnd.load());
  plat::PictureCopy shown;
  if (!presenter || !presenter->ReadBack(shown, kSnapshotWaitMs)) return false;
  const SnapshotPicture picture{shown.pixels, shown.width, shown.height};
  return WriteSnapshot(picture, SnapshotTexts{}, SnapshotFileName(path, jpeg));
}
