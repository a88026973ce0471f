// The tools of the main window: snapshot, format, configuration, Wi-Fi and map key dialogs, the
// Config.ini toggles, the file manager and file pad, "Mark Save" and restarting a recording.
#include <cstring>

#include "cardtools/FormatDlg.h"
#include "config/DeviceSettings.h"
#include "config/dialogs/TabConfigDlg.h"
#include "config/dialogs/WiFiConfigDlg.h"
#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "platform/wnd/MessageBox.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/Shell.h"
#include "settings/AppConfig.h"
#include "ui/GenGMapKey.h"
#include "ui/MainDlg.h"

namespace {

// The picture stands still this long before it is taken, so that the presented frame is final.
// The waits run on the tick clock, which tests drive.
constexpr std::uint32_t kSnapshotPauseMs = 93;
constexpr std::uint32_t kSnapshotWriteMs = 50;
constexpr std::uint32_t kFolderOpenMs = 100;
// What the engine makes of a snapshot name: its last three characters give way to "_Ch1.bmp".
constexpr wchar_t kSnapshotFileEnd[] = L"1.bmp";
constexpr std::uint32_t kResetCardGeneration = 0;
constexpr int kCarTypes = 3;

// "/" ends a snapshot folder; a text without any "/" names no folder.
CString SnapshotFolderOf(const CString& text) {
  if (text.Find(L'/') < 0) return CString();
  return text.Right(1) == L"/" ? text : text + L"/";
}

}  // namespace

CString CMainDlg::SnapshotFileName(const CString& folder, const COleDateTime& now, DWORD tick) {
  CString name;
  name.Format(L"%simg-%04d-%02d-%02d_%02d-%02d-%02d_%d_Ch", folder.GetString(), now.GetYear(), now.GetMonth(),
              now.GetDay(), now.GetHour(), now.GetMinute(), now.GetSecond(), static_cast<int>(tick % 1000));
  return name;
}

// Playback that runs is paused around the snapshot and resumes as it was, backward included; the
// folder opens so that the user sees the picture, and the window shows it too. A snapshot that
// was not saved opens nothing and says why.
void CMainDlg::OnBnClickedSnapShot() {
  if (snapshotBusy_) return;
  snapshotBusy_ = true;
  const bool wasRunning = playing_ && !transport_.IsPaused();
  const int level = transport_.GetSpeedLevel();
  if (wasRunning) {
    TogglePause();
    plat::TickClock().SleepMs(kSnapshotPauseMs);
  }
  const CString text = SnapshotFolderText();
  const CString folder = SnapshotFolderOf(text);
  CString name;
  bool saved = false;
  if (!folder.IsEmpty()) {
    name = SnapshotFileName(folder, COleDateTime::GetCurrentTime(), GetTickCount());
    saved = engine_ != nullptr && engine_->TakeSnapshot(false, name);
    plat::TickClock().SleepMs(kSnapshotWriteMs);
  }
  if (wasRunning) ResumeAfterSnapshot(level);
  if (saved) {
    ShellExecute(m_hWnd, L"open", text, nullptr, nullptr, SW_SHOWNORMAL);
    plat::TickClock().SleepMs(kFolderOpenMs);
    ShowSnapshot(name + kSnapshotFileEnd);
  } else if (!folder.IsEmpty() && engine_ != nullptr) {
    ReportSnapshotFailure(name + kSnapshotFileEnd);
  }
  snapshotBusy_ = false;
}

// "The snapshot could not be saved", the file, and why: no picture shown, or the system's text of
// the error that kept the folder or the file from being made.
void CMainDlg::ReportSnapshotFailure(const CString& file) {
  const SnapshotFailure failure = engine_->GetSnapshotFailure();
  CString text = LoadLanguageString(L"The snapshot could not be saved") + L"\n" + file;
  if (failure.kind == SnapshotFailure::Kind::kNoPicture) {
    text += L"\n" + LoadLanguageString(L"No picture is shown");
  } else if (failure.error != 0) {
    text += L"\n" + CString(std::strerror(failure.error));
  }
  MessageBox(m_hWnd, text, kApplicationName, MB_OK | MB_ICONWARNING);
}

// The folder the card dialog names for snapshots.
CString CMainDlg::SnapshotFolderText() const {
  const CWnd* item = diskDlg_.GetSafeHwnd() ? diskDlg_.GetDlgItem(CDiskDlg::kSnapshotFolder) : nullptr;
  return item != nullptr ? item->GetWindowText() : CString();
}

void CMainDlg::ResumeAfterSnapshot(int level) {
  TogglePause();
  if (level == -1) {
    OnBnClickedBackward();
  } else {
    SetSpeedLevel(level);
  }
}

// Playback stops before the open source is forgotten, so that nothing plays from a card that may
// be reformatted.
void CMainDlg::OnBnClickedFormat() {
  if (formatDialogOpen_) return;
  formatDialogOpen_ = true;
  const int driveNumber = cardSource_.GetCardDriveNumber();
  OnBnClickedStop();
  ClearRecordView();
  formatCleared_ = true;
  diskDlg_.ShowWindow(SW_HIDE);
  CFormatDlg dialog(this);
  dialog.SetDriveNumber(driveNumber);
  formatDialog_ = &dialog;
  dialog.DoModal();
  formatDialog_ = nullptr;
  formatDialogOpen_ = false;
}

// Asks the card's password first; the units chosen in the dialog are the on-screen text's from
// then on, kept in Config.ini.
void CMainDlg::OnBnClickedConfiguration() {
  if (configDialogOpen_) return;
  if (!HasCardDrive() || IsAltSourceMode()) ResetCardDefaults();
  if (!passwordAccepted_ && !CheckCardPassword()) return;
  diskDlg_.ShowWindow(SW_HIDE);
  if (mapDlg_.IsWindowVisible()) mapDlg_.ShowWindow(SW_HIDE);
  configDialogOpen_ = true;
  TabConfigDlg dialog(this);
  dialog.SetCaption(cardPath_);
  dialog.SetUnits(edrSpeedUnit_, edrTemperatureUnit_);
  dialog.DoModal();
  ApplyEdrUnits(dialog.GetSpeedUnit(), dialog.GetTemperatureUnit());
  RefreshCaptionPanel();
  configDialogOpen_ = false;
}

void CMainDlg::ApplyEdrUnits(int speedUnit, int temperatureUnit) {
  edrSpeedUnit_ = speedUnit;
  edrTemperatureUnit_ = temperatureUnit;
  if (engine_ != nullptr) engine_->SetEdrUnits(edrSpeedUnit_, edrTemperatureUnit_);
  g_appConfig.WriteConfigInt(L"SetEDR_Speed", edrSpeedUnit_);
  g_appConfig.WriteConfigInt(L"SetEDR_Temperature", edrTemperatureUnit_);
  CClientDC dc(this);
  DrawSpeed(dc);
  for (CWnd* control : {static_cast<CWnd*>(&speedDigits_), static_cast<CWnd*>(&positionSlider_),
                        static_cast<CWnd*>(&speedSlider_), static_cast<CWnd*>(&volumeSlider_),
                        static_cast<CWnd*>(&videoCtrlPanel_)}) {
    if (control->GetSafeHwnd()) control->Invalidate();
  }
}

// Without a card the dialog edits the defaults, in the zone the window uses.
void CMainDlg::ResetCardDefaults() {
  DefaultCardConfigBlock(&cardConfig_, kResetCardGeneration);
  cardConfig_.SetTimeZoneOffsetSeconds(static_cast<std::int32_t>(GetTimeZoneOffset()));
  SetXorChecksum32(cardConfig_.bytes.data(), cardConfig_.bytes.size());
}

void CMainDlg::OnBnClickedWifi() {
  DeviceSettings settings;
  CWiFiConfigDlg dialog(&settings, this);
  dialog.DoModal();
}

// The next of the three car types; a value out of range in Config.ini is taken modulo three.
void CMainDlg::OnBnClickedCarType() {
  const int next = ((g_appConfig.ReadConfigInt(L"CarType", 0) + 1) % kCarTypes + kCarTypes) % kCarTypes;
  g_appConfig.WriteConfigInt(L"CarType", next);
  Invalidate();
}

void CMainDlg::OnBnClickedPassengerMode() {
  g_appConfig.WriteConfigInt(L"PassengerMode", g_appConfig.ReadConfigInt(L"PassengerMode", 0) != 0 ? 0 : 1);
}

// The event log decodes the brakes with the other polarity; a source that is not playing is
// listed again with it.
void CMainDlg::OnBnClickedBrakesMode() {
  const int mode = g_appConfig.ReadConfigInt(L"BrakesMode", 0) != 0 ? 0 : 1;
  g_appConfig.WriteConfigInt(L"BrakesMode", mode);
  diskDlg_.EventLog().SetBrakesMode(mode);
  if (!playing_) diskDlg_.ReopenSource();
}

void CMainDlg::OnBnClickedMapKey() {
  CGenGMapKey dialog(this);
  dialog.DoModal();
}

void CMainDlg::OnBnClickedFileManager() {
  if (!fileManager_.GetSafeHwnd()) return;
  fileManager_.RefreshBackupList();
  fileManager_.ShowWindow(SW_SHOW);
}

void CMainDlg::OnBnClickedFilePad() {
  if (!filePad_.GetSafeHwnd()) return;
  filePad_.SetTimeZoneOffset(static_cast<std::int32_t>(GetTimeZoneOffset()));
  filePad_.ShowWindow(SW_SHOW);
}

// The recording that plays is backed up: the card dialog shows the backup task (it stays shown
// when it already does) with that recording ticked, and starts.
void CMainDlg::OnBnClickedBackupSelected() {
  if (!diskDlg_.GetSafeHwnd()) return;
  if (!diskDlg_.IsWindowVisible() || diskDlg_.GetTask() != CDiskDlg::kBackupTask) {
    diskDlg_.ShowForTask(CDiskDlg::kBackupTask);
  }
  HighlightCurrentRecordRow();
  diskDlg_.OnBnClickedBackup();
}

// The recording that plays starts again from its beginning.
void CMainDlg::OnBnClickedRestartRecord() {
  dragging_ = false;
  if (transport_.IsPaused()) TogglePause();
  IndexEntry* entry = engine_ != nullptr ? engine_->GetCurrentEntry() : nullptr;
  if (entry == nullptr) {
    OnBnClickedStop();
    return;
  }
  SelectRecord(FindCurrentRecord(), true);
  if (!StartRecord(entry, 0, 0)) {
    OnBnClickedStop();
    return;
  }
  gsensorBar_.ResetCursorState();
  engine_->Seek(positionSlider_.GetRangeMin());
}
