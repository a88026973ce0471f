// The engine's messages: sensor data, picture size and the end of a job.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "platform/wnd/MessageBox.h"
#include "platform/wnd/PaintDC.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"

namespace {

// A sample axis beyond this is a glitch of the sensor and is drawn as zero.
constexpr int kSampleLimit = 512;
// The graph is repainted at most this often, however fast sensor blocks come.
constexpr DWORD kGraphPaintMs = 150;
// A GPS text holding this is a car-data line, which runs on into the second 80-byte slot.
constexpr std::string_view kCarDataMark = "$,";
constexpr DWORD kBackupDoneSettleMs = 10;

bool OutOfRange(const std::array<std::int16_t, 3>& s) {
  return std::any_of(s.begin(), s.end(), [](std::int16_t v) { return v > kSampleLimit || v < -kSampleLimit; });
}

// The bytes of the block's GPS text up to its first zero, never beyond `size` bytes from its start.
std::string_view GpsTextOf(const IndexBlockA5& block, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(block.GpsText(0));
  return std::string_view(text, strnlen(text, size));
}

// Backup "source" to "destination", then how it ended, and the recordings it left out.
void ReportBackup(HWND owner, const CString& source, const CString& destination, JobResult result,
                  const CString& leftOut) {
  const CString what = LoadLanguageString(L"Backup") + L" \"" + source + L"\" to \"" + destination + L"\"";
  const CString more = leftOut.IsEmpty() ? CString() : L"\n" + leftOut;
  if (result == JobResult::kDone) {
    MessageBox(owner, what + L" " + LoadLanguageString(L"Completed!") + more, kApplicationName,
               leftOut.IsEmpty() ? MB_OK : MB_OK | MB_ICONWARNING);
    return;
  }
  const CString why = result == JobResult::kCancelled ? LoadLanguageString(L"The backup was stopped before its end")
                                                      : LoadLanguageString(L"The backup could not be completed");
  MessageBox(owner, what + L"\n" + why + more, kApplicationName, MB_OK | MB_ICONWARNING);
}

}  // namespace

LRESULT CMainDlg::OnGsensorData(WPARAM, LPARAM) {
  if (diskDlg_.progressMode != 1) diskDlg_.UpdateProgressFromPosition(0);
  if (engine_ == nullptr || !engine_->GetSensorBlock(sensorBlock_.bytes.data())) {
    diskDlg_.UpdateProgressFromPosition(0);
    return 0;
  }
  const IndexBlockA5& block = sensorBlock_;
  // During a job the blocks only tell how far it got.
  if (diskDlg_.jobRunning || diskDlg_.exportJob) {
    SetJobProgressFromBlock(block);
    return 0;
  }
  if (block.Magic() == 0) return 0;
  AddGsensorSamples(block);
  mapDlg_.SetVideoTime(block.Time());
  UpdateMapFromBlock(block);
  TakeCarData();
  const DWORD now = GetTickCount();
  if (now - lastGraphPaint_ > kGraphPaintMs) {
    CClientDC dc(this);
    DrawGsensorGraph(dc);
    DrawSpeed(dc);
    lastGraphPaint_ = now;
  }
  SetJobProgressFromBlock(block);
  return 0;
}

void CMainDlg::SetJobProgressFromBlock(const IndexBlockA5& block) {
  if (diskDlg_.progressMode == 1) diskDlg_.UpdateProgressFromPosition(block.Time());
}

// The block's samples join the curve, the oldest leaving once the graph is full, and the G-sensor
// bars at the block's time (not while they hold an event log). A block met again (a message that
// came after the next block was already current, a refresh after a seek) adds nothing: its
// samples are drawn already.
void CMainDlg::AddGsensorSamples(const IndexBlockA5& block) {
  if (!gsensorPoints_.empty() && block.Sequence() == lastSampledBlock_) return;
  lastSampledBlock_ = block.Sequence();
  const int cap = GsensorPointCap();
  const bool toBars = !gsensorBar_.IsFrozen();
  for (int i = 0; i < block.SampleCount(); ++i) {
    std::array<std::int16_t, 3> sample = block.Sample(i);
    WriteDebugCsv(block, sample);
    if (OutOfRange(sample)) sample = {0, 0, 0};
    gsensorPoints_.push_back({sample[0], sample[1], sample[2]});
    // The bars take the second that ends at the time given, as the timer's clock does: a block's
    // samples belong to the second that starts at its time.
    if (toBars) gsensorBar_.AddSample(sample[0], sample[1], sample[2], static_cast<int>(block.Time() + 1));
  }
  if (toBars && block.SampleCount() > 0) gsensorBar_.ReloadSamples();
  const std::size_t keep = static_cast<std::size_t>(std::max(cap, 0));
  if (gsensorPoints_.size() > keep) {
    gsensorPoints_.erase(gsensorPoints_.begin(), gsensorPoints_.end() - static_cast<std::ptrdiff_t>(keep));
  }
}

int CMainDlg::GsensorPointCap() const { return GraphSize().cx - graphLimit_ - 20; }

// One line per sample, with the block's time as the windows show it.
void CMainDlg::WriteDebugCsv(const IndexBlockA5& block, const std::array<std::int16_t, 3>& sample) {
  if (!gsensorCsv_.IsOpen()) return;
  const std::optional<app::DisplayTime> t = app::ToDisplayTime(block.Time(), GetDisplayZone());
  if (!t) return;
  char line[128];
  const int n = std::snprintf(line, sizeof line, " %d-%d-%d %d:%d:%d,  %d, %d , %d \n", t->year, t->month, t->day,
                              t->hour, t->minute, t->second, sample[0], sample[1], sample[2]);
  if (!gsensorCsv_.Write(line, static_cast<std::size_t>(std::min<int>(n, sizeof line - 1)))) {
    plat::ReportNotWritten(gsensorCsv_);
    gsensorCsv_.Discard();
  }
}

// An ordinary GPS text is one 80-byte sentence; a car-data line fills both slots.
void CMainDlg::UpdateMapFromBlock(const IndexBlockA5& block) {
  if (block.GpsText(0)[0] == 0) return;
  const std::string_view first = GpsTextOf(block, kTrailerGpsTextSize);
  const bool carData = first.find(kCarDataMark) != std::string_view::npos;
  const std::string_view text = carData ? GpsTextOf(block, 2 * kTrailerGpsTextSize) : first;
  mapDlg_.UpdateMapPosition(text, carData);
  TakeMapFix();
  if (carData && ioDlg_.GetSafeHwnd()) {
    const CarInfo& car = mapDlg_.GetCarInfo();
    ioDlg_.SetCarData(car.name, CString::FromAnsi(car.label), car.valueC, car.flags);
  }
}

// The car's own data of the picture shown (the stream's car-data frames, which every recorder with
// a car link writes) gives the engine speed and the brake sign over what a car-data line said.
void CMainDlg::TakeCarData() {
  hasCarData_ = engine_ != nullptr && engine_->GetCarData(0, carData_);
  if (!hasCarData_ || !ioDlg_.GetSafeHwnd()) return;
  std::array<unsigned char, ui::kCarDataInputs> inputs{};
  for (int k = 0; k < ui::kCarDataInputs; ++k) inputs[static_cast<size_t>(k)] = ioDlg_.IsInputOn(k) ? 1 : 0;
  inputs[IOdlg::kBrakeInput] = (carData_.status & (kCarStatusBrakeOn | kCarStatusEmergencyBraking)) != 0 ? 1 : 0;
  ioDlg_.SetCarData(ioDlg_.GetCarInfo(), ioDlg_.GetDriverId(), carData_.rpm, inputs.data());
}

// What the last recording's data showed goes with it: the speed read-out, the position, the
// compass and the car-data panel start again from nothing.
void CMainDlg::ForgetSensorValues() {
  hasCarData_ = false;
  carData_ = {};
  hasFix_ = false;
  latitude_ = longitude_ = course_ = speedKmh_ = 0.0;
  if (ioDlg_.GetSafeHwnd()) ioDlg_.SetCarData(CString(), CString(), 0.0, nullptr);
  if (!GetSafeHwnd()) return;
  CClientDC dc(this);
  DrawSpeed(dc);
  RefreshGpsPanels();
}

// The map page holds the fix last read (0, 0 until there is one); the compass, the position text
// and the speed show it.
void CMainDlg::TakeMapFix() {
  latitude_ = mapDlg_.GetLatitude();
  longitude_ = mapDlg_.GetLongitude();
  hasFix_ = latitude_ != 0.0 || longitude_ != 0.0;
  course_ = mapDlg_.GetCourse();
  speedKmh_ = mapDlg_.GetSpeed();
}

void CMainDlg::OnMapUpdated() {
  TakeMapFix();
  RefreshGpsPanels();
}

void CMainDlg::RefreshGpsPanels() {
  for (CWnd* panel : {static_cast<CWnd*>(&compassPanel_), static_cast<CWnd*>(&gsensorPanel_)}) {
    if (panel->GetSafeHwnd() && panel->IsWindowVisible()) panel->Invalidate(FALSE);
  }
}

LRESULT CMainDlg::OnVideoSize(WPARAM, LPARAM channel) {
  if (engine_ == nullptr || !channelWindow_.GetSafeHwnd() || channel != channelWindow_.GetChannel()) return 0;
  const int c = static_cast<int>(channel);
  channelWindow_.SetPictureSize(CSize(engine_->GetVideoWidth(c), engine_->GetVideoHeight(c)));
  return 0;
}

// lParam -1 ends a job, a channel number a play. Only a job's end is reported; the card dialog
// reports its own AVI export.
LRESULT CMainDlg::OnPlayerEnd(WPARAM, LPARAM lParam) {
  if (lParam >= 0) OnPlayEnded();
  if (lParam != -1 || diskDlg_.aviExport) return 0;
  StopPlayback();
  OnBackupDone();
  return 0;
}

// A backup of the card dialog says how it ended: completed only when the engine wrote all of it.
void CMainDlg::OnBackupDone() {
  const JobResult result = engine_ != nullptr ? engine_->GetJobResult() : JobResult::kFailed;
  diskDlg_.SetProgress(result == JobResult::kDone ? 100 : 0);
  Sleep(kBackupDoneSettleMs);
  diskDlg_.EnableControls(true);
  if (diskDlg_.jobRunning) {
    const CString source = !cardPath_.IsEmpty() ? cardPath_ : engine_ != nullptr ? engine_->GetSourcePath() : CString();
    const CWnd* destination = diskDlg_.GetDlgItem(CDiskDlg::kBackupDestination);
    const CString leftOut = engine_ != nullptr ? diskDlg_.LeftOutText(engine_->GetJobLeftOut()) : CString();
    ReportBackup(GetSafeHwnd(), source, destination != nullptr ? destination->GetWindowText() : CString(), result,
                 leftOut);
  }
  if (diskDlg_.progressValue == 0.0) diskDlg_.SetProgress(0);
  diskDlg_.jobRunning = false;
  CWnd* backupButton = diskDlg_.GetDlgItem(CDiskDlg::kBackupButton);
  if (backupButton != nullptr && diskDlg_.progressValue == 0.0) backupButton->EnableWindow(TRUE);
}
