// The 1-second position timer, the recordings of the open source and the slider messages.
#include <algorithm>

#include "cardtools/FormatDlg.h"
#include "controls/Messages.h"
#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "ui/MainDlg.h"

namespace {

constexpr int kChannel = 0;
// After a recording is selected, the timer and the position slider's seeks wait this long.
constexpr DWORD kSelectLockMs = 500;
// A request to play the next recording is taken at the earliest this long after a start, and
// then at most once in this period.
constexpr DWORD kAutoNextGuardMs = 200;
constexpr DWORD kAutoNextPeriodMs = 5000;

}  // namespace

// Timers 2 and 3 drive the step repeat and the channel-visibility wait; every other tick is the
// position pass, which nothing runs while a selection has locked it.
void CMainDlg::OnTimer(UINT_PTR id) {
  if (id == kStepRepeatTimerId) {
    StepRepeatTick();
    return;
  }
  if (id == kVisibilityTimerId) {
    OnVisibilityWaitDone();
    return;
  }
  if (visibilityPending_) StartChannelVisibility();
  if (GetTickCount() < seekLockUntil_) return;
  if (IsFrameButtonHeld() && !stepRepeatBusy_) StartStepRepeat();
  if (id == kTimerId) FollowPlayback();
  if (formatDialog_ != nullptr) formatDialog_->UpdateProgress();
}

// Painting asks for a position pass; it runs after the paint, once however many paints ask.
void CMainDlg::QueueTimerPass() {
  if (timerPassQueued_ || !m_hWnd) return;
  timerPassQueued_ = PostMessage(kMsgTimerPass) != FALSE;
}

void CMainDlg::OnQueuedTimerPass() {
  timerPassQueued_ = false;
  OnTimer(kTimerId);
}

// The position slider, the G-sensor bar's cursor, the selected recording and the tip follow the
// picture shown.
void CMainDlg::FollowPlayback() {
  if (dragging_ || mapView_ || diskDlg_.jobRunning) return;
  const int n = FindCurrentRecord();
  if (n == -1) return;
  const std::int64_t pos = engine_->GetDisplayTime(kChannel);
  const RecordSpanEntry& span = dayView_.Span(n);
  if (span.start < pos && pos < span.end) SelectRecord(n, true);
  gsensorBar_.SetClockTime(static_cast<int>(pos + 1));
  if (gsensorPanel_.GetSafeHwnd() && gsensorPanel_.IsWindowVisible()) gsensorPanel_.Refresh();
  ShowPosition(static_cast<int>(pos));
  SetPositionTip(app::DisplayTimeText(pos, GetDisplayZone()));
}

// A position past the slider's end widens the range rather than pinning the thumb.
void CMainDlg::ShowPosition(int pos) {
  if (pos > positionSlider_.GetRangeMax()) positionSlider_.SetRange(positionSlider_.GetRangeMin(), pos);
  if (positionSlider_.GetPos() != pos) positionSlider_.SetPos(pos);
}

void CMainDlg::SetPositionTip(const CString& text) {
  if (text == positionTip_ || !tooltip_.GetSafeHwnd()) return;
  positionTip_ = text;
  tooltip_.UpdateTipText(text, &positionSlider_);
}

// The recording of the chunk of the picture shown.
int CMainDlg::FindCurrentRecord() const {
  if (engine_ == nullptr) return -1;
  const std::int64_t chunk = engine_->GetShownChunk(kChannel);
  return dayView_.SpanOfChunk(chunk);
}

bool CMainDlg::IsSpan(int n) const { return dayView_.IsSpan(n); }

// The sliders take the recording's range and the card dialog its bounds; the views move to its
// day and its row is marked.
bool CMainDlg::SelectRecord(int n, bool moveViews) {
  if (!IsSpan(n)) {
    currentSpan_ = selectedSpan_ = n;
    return false;
  }
  if (currentSpan_ == n && selectedSpan_ == n) return false;
  const RecordSpanEntry& span = dayView_.Span(n);
  positionSlider_.SetRange(static_cast<int>(span.start), static_cast<int>(span.end));
  timeRangeSlider_.SetRange(static_cast<int>(span.start), static_cast<int>(span.end));
  RangeToPicker(0);
  RangeToPicker(1);
  seekLockUntil_ = GetTickCount() + kSelectLockMs;
  if (moveViews) MoveCalendarTo(span.start);
  MarkRecordRow(n);
  currentSpan_ = selectedSpan_ = n;
  gsensorPoints_.clear();
  SetBarsToRecording();
  return true;
}

// The G-sensor bars take the selected recording's time range (the position slider's, which a
// click on the G-sensor panel's graph seeks on), unless an event log holds them.
void CMainDlg::SetBarsToRecording() {
  if (gsensorBar_.IsFrozen()) return;
  const int start = positionSlider_.GetRangeMin();
  gsensorBar_.SetTimeRange(start, positionSlider_.GetRangeMax() - start);
}

// Only the recording's own row stays selected.
void CMainDlg::MarkRecordRow(int n) {
  if (!recordList_.GetSafeHwnd()) return;
  constexpr UINT kMarked = LVIS_SELECTED | LVIS_FOCUSED;
  for (int row = 0; row < recordList_.GetItemCount(); ++row) recordList_.SetItemState(row, row == n ? kMarked : 0, kMarked);
}

int CMainDlg::ChosenRecordRow() const {
  const int selected = recordList_.GetNextItem(-1, LVNI_SELECTED);
  return selected >= 0 ? selected : recordList_.GetNextItem(-1, LVNI_FOCUSED);
}

// One end of the card dialog's time range from the range slider's thumb.
void CMainDlg::RangeToPicker(int thumb) {
  if (diskDlg_.GetSafeHwnd()) diskDlg_.SetRecordTimePicker(timeRangeSlider_.ClampPos(thumb) + GetUtcOffsetSeconds(), thumb);
}

bool CMainDlg::PlayRecord(int n) {
  OnBnClickedStop();
  if (!IsSpan(n)) return false;
  SelectRecord(n, true);
  const RecordSpanEntry& span = dayView_.Span(n);
  const bool ok = StartRecord(span.entry, span.startPosition, span.end);
  if (ok) {
    mapDlg_.ClearTrack();
  } else {
    OnBnClickedStop();
  }
  if (mapView_) ToggleMapView();
  return ok;
}

// Opens the entry (the store's first for none) and plays it from `from` (0: its beginning); the
// range's end is the position slider's, not the engine's. The card's password is asked once.
bool CMainDlg::StartRecord(IndexEntry* entry, std::int64_t from, std::int64_t) {
  if (engine_ == nullptr) return false;
  if (entry == nullptr) entry = engine_->OpenStore();
  gsensorPoints_.clear();
  if (diskDlg_.GetSafeHwnd()) diskDlg_.SetProgress(0);
  mapDlg_.ClearTrack();
  if (!passwordAccepted_) {
    if (!CheckCardPassword()) {
      RefreshCaptionPanel();
      return false;
    }
    passwordAccepted_ = true;
  }
  engine_->SetTimeZoneOffset(GetTimeZoneOffset());
  if (engine_->Play(entry, 0) != EngineStart::kStarted) return false;
  if (from != 0) engine_->Seek(from);
  engine_->SetKeepProportion(keepProportion_);
  autoNextNotBefore_ = GetTickCount() + kAutoNextGuardMs;
  mapDlg_.ResetMap();
  SetBarsToRecording();
  if (channelWindow_.GetSafeHwnd()) channelWindow_.ShowWindow(SW_SHOW);
  playing_ = true;
  playEnded_ = false;
  visibilityWaitFirst_ = true;
  visibilityWaiting_ = false;  // the wait starts over for this recording
  StartChannelVisibility();
  ShowNotice(CString());
  return true;
}

// With nothing shown, Stop and Play open the engine's last recording again; at either end of
// the list nothing happens.
void CMainDlg::OnBnClickedNextFile() {
  const int n = FindCurrentRecord();
  if (n == -1) {
    OnBnClickedStop();
    OnBnClickedPlay();
  } else if (n + 1 != dayView_.SpanCount()) {
    PlayRecord(n + 1);
  }
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedPrevFile() {
  const int n = FindCurrentRecord();
  if (n == -1) {
    OnBnClickedStop();
    OnBnClickedPlay();
  } else if (n - 1 >= 0) {
    PlayRecord(n - 1);
  }
  RefreshCaptionPanel();
}

LRESULT CMainDlg::OnSliderPressed(WPARAM kind, LPARAM) {
  dragging_ = true;
  if (static_cast<int>(kind) == kSliderTimeRange) HighlightCurrentRecordRow();
  return 0;
}

LRESULT CMainDlg::OnPanelCommand(WPARAM kind, LPARAM value) {
  const int v = static_cast<int>(value);
  switch (static_cast<int>(kind)) {
    case kSliderSeek: SeekFromSlider(v); break;
    case kSliderVolume: ApplyVolumeLevel(v); break;
    case kSliderSpeedLevel: SetSpeedLevel(v); break;
    case kSliderVolumeLevel: SetVolumeLevel(v); break;
    case kSliderTimeRange: RangeToPicker(timeRangeSlider_.GetActiveThumb() == 1 ? 1 : 0); break;
    default: break;
  }
  dragging_ = false;
  RefreshCaptionPanel();
  return 0;
}

// While a thumb moves the tip previews the time; the speed level changes only on release.
LRESULT CMainDlg::OnSliderDragged(WPARAM kind, LPARAM value) {
  const int v = static_cast<int>(value);
  switch (static_cast<int>(kind)) {
    case kSliderSeek:
      if (FindCurrentRecord() != -1) SetPositionTip(app::DisplayTimeText(v, GetDisplayZone()));
      break;
    case kSliderVolume: ApplyVolumeLevel(v); break;
    case kSliderVolumeLevel: SetVolumeLevel(v); break;
    case kSliderTimeRange: RangeToPicker(timeRangeSlider_.GetActiveThumb() == 1 ? 1 : 0); break;
    default: break;
  }
  return 0;
}

// The engine's recording is opened again (it plays on) and sought; a paused picture stays paused
// at the new place, one step taken in the direction of the last step.
void CMainDlg::SeekFromSlider(int value) {
  if (GetTickCount() < seekLockUntil_) return;
  value = std::max(positionSlider_.GetRangeMin(), std::min(value, positionSlider_.GetRangeMax()));
  if (mapView_) {
    SeekReplay(value);
    return;
  }
  const bool wasPaused = transport_.IsPaused();
  if (wasPaused) TogglePause();
  IndexEntry* entry = engine_ != nullptr ? engine_->GetCurrentEntry() : nullptr;
  SelectRecord(FindCurrentRecord(), true);
  if (StartRecord(entry, 0, 0)) {
    mapDlg_.ClearTrack();
    engine_->Seek(value);
    if (wasPaused) StepFrame(transport_.GetLastStep());
  } else {
    OnBnClickedStop();
  }
  OnGsensorData(0, 0);
}

// In the map view the slider walks the replay's points: the replay stops, and the next Play
// replays from the point chosen.
void CMainDlg::SeekReplay(int point) {
  if (mapDlg_.IsReplayRunning()) mapDlg_.StartTrackReplay(-1);
  mapDlg_.SetReplayStartPoint(point);
  replayRestart_ = true;
}

// Plays the next recording, keeping the speed level, at most once in 5 s: the start of the
// recording must not shorten that wait. The speed slider is read before the stop resets it.
LRESULT CMainDlg::OnPlayNextRequest() {
  const DWORD now = GetTickCount();
  if (now < autoNextNotBefore_ || autoNextDone_) return 0;
  autoNextNotBefore_ = now + kAutoNextPeriodMs;
  autoNextDone_ = true;
  const int n = FindCurrentRecord();
  if (n >= dayView_.SpanCount() - 1) return 0;
  const int level = speedSlider_.GetPos();
  PlayRecord(n + 1);
  autoNextNotBefore_ = std::max(autoNextNotBefore_, now + kAutoNextPeriodMs);
  SetSpeedLevel(level);
  return 1;
}

void CMainDlg::OnBnClickedRangeStart() { SetRangeEndAtPlayTime(0); }

void CMainDlg::OnBnClickedRangeEnd() { SetRangeEndAtPlayTime(1); }

// One end of the time range (0 start, 1 end) goes to the time of the picture shown.
void CMainDlg::SetRangeEndAtPlayTime(int thumb) {
  if (engine_ == nullptr) return;
  const std::int64_t pos = engine_->GetDisplayTime(kChannel);
  if (diskDlg_.GetSafeHwnd()) diskDlg_.SetRecordTimePicker(pos + GetUtcOffsetSeconds(), thumb);
  HighlightCurrentRecordRow();
  timeRangeSlider_.SetPos(thumb, static_cast<int>(pos));
  if (gsensorPanel_.GetSafeHwnd() && gsensorPanel_.MarkBar().GetSafeHwnd()) gsensorPanel_.MarkBar().ShowWindow(SW_SHOW);
  RefreshCaptionPanel();
}

// In the card dialog's list only the recording being played is ticked and selected.
void CMainDlg::HighlightCurrentRecordRow() {
  const int n = FindCurrentRecord();
  if (n == -1 || !diskDlg_.GetSafeHwnd()) return;
  CListCtrl& list = diskDlg_.RecordList();
  diskDlg_.listUpdating = true;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    list.SetCheck(row, row == n);
    list.SetItemState(row, row == n ? LVIS_SELECTED : 0, LVIS_SELECTED);
  }
  diskDlg_.listUpdating = false;
}

bool CMainDlg::GetRecordingTimeRange(std::int64_t& first, std::int64_t& last) const {
  int n = FindCurrentRecord();
  if (n == -1 && playing_) n = currentSpan_;
  if (!IsSpan(n)) return false;
  first = dayView_.Span(n).start;
  last = dayView_.Span(n).end;
  return true;
}

bool CMainDlg::SeekMapTime(std::int64_t time) {
  if (engine_ == nullptr || !playing_) return false;
  engine_->Seek(time);
  return true;
}
