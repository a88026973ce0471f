// Opening cards, device changes, dropped files, the card password and the card dialog's tasks.
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "cardtools/DriveFinder.h"
#include "cardtools/FormatDlg.h"
#include "config/DeviceSettings.h"
#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "platform/devices/DeviceChange.h"
#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "users/ConfirmDlg.h"

namespace {

// How long the drives are left to settle after a device event, and after each drive the scan
// opens.
constexpr DWORD kDeviceSettleMs = 100;
constexpr DWORD kScanStepMs = 20;
// The card holds each user name and password in 16 bytes, not always terminated.
constexpr size_t kAccountTextBytes = 16;
constexpr UINT kFileCountQuery = 0xFFFFFFFF;

bool SameAccountText(const CString& field, const CString& entered) {
  return field.ToAnsi().substr(0, kAccountTextBytes) == entered.ToAnsi().substr(0, kAccountTextBytes);
}

// An account with an empty password asks nothing, so it cannot be matched either.
bool AccountMatches(const CardConfigBlock& block, int account, const CString& user, const CString& password) {
  const CString expected = block.Password(account);
  return !expected.IsEmpty() && SameAccountText(block.UserName(account), user) && SameAccountText(expected, password);
}

CString DriveTextOfLetter(char letter) {
  CString text;
  text.Format(L"%c:/", static_cast<wchar_t>(letter));
  return text;
}

// The device of a physical drive of the drive table; empty when the table does not hold it.
std::string DeviceOfDrive(int driveNo) {
  for (const plat::DriveInfo& d : plat::DriveTableDrives())
    if (static_cast<int>(d.number) == driveNo) return d.device;
  return {};
}

bool DeviceInDriveTable(const std::string& device) {
  const std::vector<plat::DriveInfo> drives = plat::DriveTableDrives();
  return std::any_of(drives.begin(), drives.end(), [&](const plat::DriveInfo& d) { return d.device == device; });
}

// Whether the drive text names a letter among those that went.
bool LetterWent(const CString& driveText, DWORD gone) {
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if ((gone & (DWORD{1} << (letter - 'A'))) != 0 && DriveTextOfLetter(letter) == driveText) return true;
  return false;
}

int SaturatedInt(std::int64_t value) {
  constexpr std::int64_t kLow = std::numeric_limits<int>::min();
  constexpr std::int64_t kHigh = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(value, kLow, kHigh));
}

bool SelectEntry(CComboBox& list, const CString& text) {
  bool found = false;
  CString entry;
  for (int i = 0; i < list.GetCount(); ++i) {
    if (list.GetLBText(i, entry) < 0 || entry != text) continue;
    list.SetCurSel(i);
    found = true;
  }
  return found;
}

std::vector<CString> EntriesOf(const CComboBox& list) {
  std::vector<CString> entries(static_cast<size_t>(std::max(list.GetCount(), 0)));
  for (size_t i = 0; i < entries.size(); ++i) list.GetLBText(static_cast<int>(i), entries[i]);
  return entries;
}

// The main window's side of an event log: the map page draws its track, the chain of G-sensor
// bars takes its samples, and the chain's second bar (the G-sensor panel's) its speeds and event
// marks.
class EventLogBars final : public IEventLogView {
 public:
  EventLogBars(CMapDlg& map, GsensorBar& head)
      : map_(map), head_(head), second_(head.GetNext() != nullptr ? *head.GetNext() : head) {}

  void ShowTrack(const GpsTrack& track) override { map_.ShowTrackBaseLine(track, GsensorBar::kFarTime); }
  int PlotStart() const override { return head_.Start(); }
  void AddSample(int x, int y, int z, int time) override { head_.AddSample(x, y, z, time); }
  void SetValueAt(int value, double realValue, int time) override { second_.SetValueAt(value, realValue, time); }
  void MarkSegments(const EventMarkBytes& flags, int time) override {
    GsensorSegmentMark mark;
    mark.flags = flags;
    mark.marked = 1;
    second_.MarkSegments(mark, time);
  }
  void ReloadSamples() override { head_.ReloadSamples(); }

 private:
  CMapDlg& map_;
  GsensorBar& head_;
  GsensorBar& second_;
};

}  // namespace

// Times then show as the recorder's own clock, which is what a card's recordings mean when no
// other zone is chosen.
void CMainDlg::ClearTimeZoneOffset() { cardSource_.SetTimeZoneOffset(plat::LocalUtcOffsetSeconds()); }

// The card's settings (defaults where its files are missing) come first, then its recordings,
// then its password; the password is asked once per opened card.
bool CMainDlg::OpenCard(const CString& drivePath) {
  if (drivePath.IsEmpty() || !diskDlg_.GetSafeHwnd()) return false;
  SelectCardDriveEntry(drivePath);
  cardPath_ = cardPathCopy_ = drivePath;
  diskDlg_.recordingFolder = drivePath + L"dcim/";
  DeviceSettings settings;
  LoadAllSettingFiles(&settings, drivePath);
  cardConfig_ = settings.Config();
  passwordAccepted_ = false;
  ClearTimeZoneOffset();
  cardSource_.SetDstHours(settings.GetModeValue());
  const bool ok = diskDlg_.OpenCardByPath(drivePath);  // which names the source it opened
  if (CheckCardPassword(&cardConfig_, this)) passwordAccepted_ = true;
  return ok;
}

// Every candidate goes to the removable-drive list; the entry of either list that names the path
// is chosen with its mode, the removable list last, so that a drive in both ends in removable mode.
void CMainDlg::SelectCardDriveEntry(const CString& path) {
  CComboBox& removable = diskDlg_.RemovableList();
  FindCardDrives(&removable, &removable);
  if (SelectEntry(diskDlg_.LocalDiskList(), path)) {
    diskDlg_.OnBnClickedLocalDisk();
    diskDlg_.SelectLocalDiskMode();
  }
  if (SelectEntry(removable, path)) {
    diskDlg_.OnBnClickedRemovableStorage();
    diskDlg_.SelectRemovableMode();
  }
}

bool CMainDlg::CheckCardPassword(const CardConfigBlock* block, CWnd* parent) {
  const CardConfigBlock& card = block != nullptr ? *block : cardConfig_;
  if (card.Password(1).IsEmpty() && card.Password(2).IsEmpty()) return true;
  CConfirmDlg dialog(parent != nullptr ? parent : this);
  if (dialog.DoModal() != IDOK) return false;
  const CString& user = dialog.GetUserName();
  const CString& password = dialog.GetPassword();
  if (AccountMatches(card, 1, user, password) || AccountMatches(card, 2, user, password)) {
    diskDlg_.SetCardPasswordHash(user, password);
    return true;
  }
  AfxMessageBox(LoadLanguageString(L"Password Protected! Please input right password..."), MB_OK | MB_ICONWARNING);
  return false;
}

void CMainDlg::ClearRecordView() {
  const bool dialog = diskDlg_.GetSafeHwnd() != nullptr;
  if (dialog) diskDlg_.CloseSource();
  timeRangeSlider_.SetRange(0, 1);
  if (engine_ != nullptr) engine_->SetSource(CString());
  cardPathCopy_.Empty();
  cardSource_.SetCardDriveNumber(CardSourceCtrl::kNoDrive);
  ForgetSensorValues();
  if (!dialog) return;
  diskDlg_.RemovableList().SetCurSel(-1);
  diskDlg_.LocalDiskList().SetCurSel(-1);
  diskDlg_.SetSourceText(CString());
}

LRESULT CMainDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event == DBT_DEVNODES_CHANGED && data == 0) return 0;
  Sleep(kDeviceSettleMs);
  if (event == DBT_DEVICEARRIVAL) {
    if (HasCardDrive()) return 0;
    ScanDrivesForCard();
  } else if (event == DBT_DEVICEREMOVECOMPLETE) {
    ForgetRemovedCard();
  }
  if (formatDialog_ != nullptr) formatDialog_->SetDriveNumber(cardSource_.GetCardDriveNumber());
  return TRUE;
}

// A user who may not read disks hears about it once for the whole scan.
void CMainDlg::ScanDrivesForCard() {
  if (HasCardDrive() || !MayScanForCard()) return;
  diskDlg_.ForgetDeniedDrives();
  if (OpenFirstCardWithRecordings()) return;
  if (diskDlg_.DriveWasDenied()) {
    diskDlg_.WarnNoDiskAccess();
  } else if (dayView_.SpanCount() == 0) {
    ShowNotice(L"No recorder card found");
  }
}

// A backup file that the user opened is not replaced by a card that comes in.
bool CMainDlg::MayScanForCard() const {
  return diskDlg_.GetSafeHwnd() != nullptr && g_appConfig.ReadConfigInt(L"AutoPlay", 1) == 1 &&
         !diskDlg_.IsBackupFileOpen();
}

// The candidates in the removable-drive list's order; the first card that lists recordings plays
// its first one and the card dialog steps aside.
bool CMainDlg::OpenFirstCardWithRecordings() {
  CComboBox& list = diskDlg_.RemovableList();
  FindCardDrives(&list, &list);
  const std::vector<CString> drives = EntriesOf(list);
  for (size_t i = 0; i < drives.size(); ++i) {
    list.SetCurSel(static_cast<int>(i));
    diskDlg_.SelectRemovableMode();
    const bool opened = OpenCard(drives[i]);
    Sleep(kScanStepMs);
    if (!opened || dayView_.SpanCount() == 0) continue;
    SelectRecord(0, true);
    diskDlg_.ShowWindow(SW_HIDE);
    currentSpan_ = 0;
    logicalDrives_ = GetLogicalDrives();
    scanPath_ = drives[i];
    scanDevice_ = DeviceOfDrive(cardSource_.GetCardDriveNumber());
    PlayRecord(0);
    return true;
  }
  return false;
}

// The scanned card is forgotten when its letter is among those that went since the scan (letters
// that came meanwhile do not hide its removal), or when its disk left the drive table: a card
// opened as a whole disk has no letter, and a card pulled from a reader may leave no mounted
// volume behind to go.
void CMainDlg::ForgetRemovedCard() {
  if (scanPath_.IsEmpty()) return;
  const bool diskWent = !scanDevice_.empty() && !DeviceInDriveTable(scanDevice_);
  if (!diskWent && !LetterWent(scanPath_, logicalDrives_ & ~GetLogicalDrives())) return;
  cardSource_.SetCardDriveNumber(CardSourceCtrl::kNoDrive);
  scanPath_.Empty();
  scanDevice_.clear();
}

// Only the first file counts, with its whole path; a ".log" of any case is an event log.
void CMainDlg::OnDropFiles(HDROP drop) {
  if (DragQueryFile(drop, kFileCountQuery, nullptr, 0) >= 1) {
    const UINT length = DragQueryFile(drop, 0, nullptr, 0);
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DragQueryFile(drop, 0, buffer.data(), length + 1);
    const CString path(buffer.data());
    if (path.Right(4).CompareNoCase(L".log") == 0) {
      OpenEventLog(path);
    } else {
      OpenDroppedBackup(path);
    }
  }
  DragFinish(drop);
}

// The log is read in the background; its rows are shown once read (OnEventLogLoaded).
void CMainDlg::OpenEventLog(const CString& path) {
  OnBnClickedStop();
  mapDlg_.ClearTrack();
  diskDlg_.LoadEventLog(path);
}

// The log takes the G-sensor bars whole: their range is the log's, its records are plotted while
// the bars are open and then the bars are frozen, so that nothing that plays adds to them.
void CMainDlg::ShowEventLog() {
  const std::vector<EventLogRow>& rows = diskDlg_.EventLog().Rows();
  const std::int64_t first = rows.empty() ? 0 : rows.front().time;
  const std::int64_t last = rows.empty() ? 0 : rows.back().time;
  gsensorBar_.SetTimeRange(SaturatedInt(first - GetTimeZoneOffset()), SaturatedInt(last - first));
  EventLogBars view(mapDlg_, gsensorBar_);
  diskDlg_.FillEventLogList(view);
  gsensorBar_.SetFrozen(false);
  diskDlg_.PlotEventLog(view);
  gsensorBar_.SetFrozen(true);
  gsensorBar_.ReloadSamples();
  gsensorBar_.SetClockTime(GsensorBar::kFarTime);
  if (gsensorPanel_.GetSafeHwnd()) gsensorPanel_.Invalidate(FALSE);
  ShowMapArea();
}

void CMainDlg::OpenDroppedBackup(const CString& path) {
  if (!diskDlg_.OpenSdFile(path)) {
    ShowNoticeText(diskDlg_.OpenFailureText(path));
    return;
  }
  diskDlg_.CheckRadioButton(CDiskDlg::kRemovableRadio, CDiskDlg::kLocalDiskRadio, CDiskDlg::kBackupFileRadio);
  diskDlg_.SelectBackupFileMode();
  diskDlg_.ShowWindow(SW_SHOW);
}

void CMainDlg::OnBnClickedBackup() {
  if (diskDlg_.GetSafeHwnd()) diskDlg_.ShowForTask(CDiskDlg::kBackupTask);
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedPlayback() {
  if (diskDlg_.GetSafeHwnd()) diskDlg_.ShowForTask(CDiskDlg::kPlaybackTask);
  RefreshCaptionPanel();
}
