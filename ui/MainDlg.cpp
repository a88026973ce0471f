// The main window's construction, the command line it starts with, the card dialog's owner
// interface and the shutdown.
#include "ui/MainDlg.h"

#include <algorithm>

#include "config/TimeZone.h"
#include "engine/IIbpCtrl.h"
#include "layout/MainLayout.h"
#include "platform/Time.h"
#include "platform/wnd/Icon.h"
#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr std::uint32_t kDefaultCardGeneration = 10000;
constexpr std::array<int, 5> kNoEffectButtons{1036, 1037, 1038, 1039, 1100};

bool IsButton(const ui::MainControl& c) {
  return c.kind == ui::ControlKind::kButton || c.kind == ui::ControlKind::kCheckBox;
}

}  // namespace

CMainDlg::CMainDlg(CWnd* parent)
    : CVxSkinDialog(kTemplate, parent),
      versionTexts_{L"001.000.000.000", L"001.000.000.001", L"001.000.000.002"},
      diskDlg_(cardSource_, this),
      ioDlg_(this),
      mapDlg_(*this),
      fileManager_(this),
      filePad_(this),
      videoCtrlPanel_(this),
      ctrlPanel_(this),
      gsensorPanel_(this),
      compassPanel_(this),
      calendarPanel_(this),
      closePanel_(this),
      speedDlg_(this),
      volumeDlg_(this),
      versionInfo_(this) {
  // Message boxes carry the program's name as their caption.
  plat::SetAppName(kApplicationName);
  cardSource_.SetTimeZoneOffset(InitTimeZoneTable());
  nowChannel_ = g_appConfig.ReadConfigInt(L"NowChn", 1);
  DefaultCardConfigBlock(&cardConfig_, kDefaultCardGeneration);
}

CMainDlg::~CMainDlg() {
  if (m_hWnd) DestroyWindow();
}

std::vector<CMainDlg::StartAction> CMainDlg::StartActionsOf(const std::vector<CString>& arguments) {
  if (arguments.empty()) return {{StartAction::kScanDrives, CString()}};
  std::vector<StartAction> actions;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const CString& a = arguments[i];
    if (a.IsEmpty() || a[0] != L'-') continue;
    const bool backupFlag = a.GetLength() >= 2 && (a[1] == L'f' || a[1] == L'F');
    // The path after the flag is looked at again as an argument of its own.
    if (!backupFlag) {
      actions.push_back({StartAction::kScanDrives, CString()});
    } else if (i + 1 < arguments.size()) {
      actions.push_back({StartAction::kOpenBackup, arguments[i + 1]});
    }
  }
  return actions;
}

void CMainDlg::DoDataExchange(CDataExchange* dx) {
  CVxSkinDialog::DoDataExchange(dx);
  for (const ui::MainControl& c : ui::kMainControls) {
    if (IsButton(c)) DDX_Control(dx, c.id, buttons_[c.id]);
  }
  for (int id : kNoEffectButtons) DDX_Control(dx, id, buttons_[id]);
  DDX_Control(dx, mainid::kPositionSlider, positionSlider_);
  DDX_Control(dx, mainid::kTimeRangeSlider, timeRangeSlider_);
  DDX_Control(dx, mainid::kVolumeSlider, volumeSlider_);
  DDX_Control(dx, mainid::kSpeedSlider, speedSlider_);
  DDX_Control(dx, mainid::kHiddenSlider, hiddenSlider_);
  DDX_Control(dx, mainid::kBitmapVolume, volumeBitmapSlider_);
  DDX_Control(dx, mainid::kRecordList, recordList_);
  DDX_Control(dx, mainid::kSettingsList, settingsList_);
  DDX_Control(dx, mainid::kCalendar, calendar_);
  const std::array<int, 4> gridIds{mainid::kHourGrid0, mainid::kHourGrid12, mainid::kMinuteGrid0,
                                   mainid::kMinuteGrid30};
  for (size_t i = 0; i < grids_.size(); ++i) DDX_Control(dx, gridIds[i], grids_[i]);
}

BOOL CMainDlg::OnInitDialog() {
  ShowWindow(SW_HIDE);
  ModifyStyle(WS_THICKFRAME, 0);
  SetProgramIcons();
  CVxSkinDialog::OnInitDialog();
  if (!CreateEngine()) {
    // Without an engine nothing can play: the program ends, its preferences still saved.
    EndDialog(IDABORT);
    return FALSE;
  }
  SetTimer(kTimerId, kTimerPeriodMs);
  SetWindowText(LoadLanguageString(kApplicationName));
  LoadTimeZone();
  LoadOsdConfig();
  CreateChildDialogs();
  LoadChannelConfig();
  SelectUiMode();
  CreatePanels();
  InitLists();
  InitSpeedDigits();
  if (tooltip_.Create(this)) tooltip_.Activate(TRUE);
  LoadDisplayConfig();
  OpenDebugCsv();
  LayOutMode();
  RunStartActions();
  if (!playing_) {
    OpenCard(CString());
    diskDlg_.SelectBackupFileMode();
  }
  ShowItem(mainid::kCompassPanel, false);
  versionInfo_.CenterOnOwner();
  return TRUE;
}

void CMainDlg::SetProgramIcons() {
  const HICON icon = LoadIcon(nullptr, kProgramIcon);
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CMainDlg::CreateEngine() {
  engine_ = CreateIbpCtrl();
  transport_.SetEngine(engine_);
  cardSource_.SetEngine(engine_);
  transport_.AddObserver(this);
  return engine_ != nullptr;
}

void CMainDlg::CreateChildDialogs() {
  diskDlg_.Create(CDiskDlg::kTemplate, this);
  ioDlg_.Create(IOdlg::kTemplate, this);
  fileManager_.Create(FileManager::kTemplate, this);
  filePad_.Create(FilePad::kTemplate, this);
  mapDlg_.Create(this);
  versionInfo_.Create(CVersionInfo::kTemplate, this);
  ShowItem(mainid::kSlidePanel, false);
}

// The panels that no step of the start-up names are made here, once the mode is chosen, so that
// each takes its mode's skin; all start hidden.
void CMainDlg::CreatePanels() {
  videoCtrlPanel_.Create(VideoCtrlPanel::kTemplate, this);
  ctrlPanel_.Create(CCtrlPanel::kTemplate, this);
  gsensorPanel_.Create(GsensorPanel::kTemplate, this);
  compassPanel_.Create(CompassPanel::kTemplate, this);
  calendarPanel_.Create(CalendarPanel::kTemplate, this);
  closePanel_.Create(CClosePanel::kTemplate, this);
  speedDlg_.Create(SpeedDlg::kTemplate, this);
  volumeDlg_.Create(VolumeDlg::kTemplate, this);
}

// The panels' twin sliders follow the main window's, the panel's G-sensor bar follows the main
// one, and the side panels take their first places over the window.
void CMainDlg::LinkPanelSliders() {
  if (videoCtrlPanel_.GetSafeHwnd()) {
    positionSlider_.SetLinkedButton(&videoCtrlPanel_.PositionSlider());
    timeRangeSlider_.SetLinkedButton(&videoCtrlPanel_.MarkBar());
  }
  if (gsensorPanel_.GetSafeHwnd()) gsensorBar_.SetNext(&gsensorPanel_.Bar());
  PlaceSidePanels();
}

void CMainDlg::RunStartActions() {
  for (const StartAction& action : StartActionsOf(arguments_)) {
    if (action.kind == StartAction::kOpenBackup) {
      OpenBackupAtStart(action.path);
    } else {
      ScanDrivesForCard();
    }
  }
}

// A backup named on the command line opens in the card dialog, which shows it; with
// "AutoPlayFirstRecord" its first recording plays and the card dialog steps aside.
void CMainDlg::OpenBackupAtStart(const CString& path) {
  if (!diskDlg_.OpenSdFile(path)) {
    ShowNoticeText(diskDlg_.OpenFailureText(path));
    return;
  }
  diskDlg_.CheckRadioButton(CDiskDlg::kRemovableRadio, CDiskDlg::kLocalDiskRadio, CDiskDlg::kBackupFileRadio);
  diskDlg_.SelectBackupFileMode();
  diskDlg_.ShowForTask(CDiskDlg::kPlaybackTask);
  if (g_appConfig.ReadConfigInt(L"AutoPlayFirstRecord", 0) == 1 && dayView_.SpanCount() > 0) {
    PlayRecord(0);
    diskDlg_.ShowWindow(SW_HIDE);
  }
}

CVxSkinButton* CMainDlg::SkinButton(int id) {
  const auto it = buttons_.find(id);
  return it == buttons_.end() || it->second.GetSafeHwnd() == nullptr ? nullptr : &it->second;
}

void CMainDlg::ShowItem(int id, bool show) {
  if (CWnd* item = GetDlgItem(id)) item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

bool CMainDlg::IsDefaultSourceMode() const {
  return diskDlg_.GetSafeHwnd() != nullptr && diskDlg_.GetSourceMode() == CDiskDlg::kRemovableMode;
}

bool CMainDlg::IsAltSourceMode() const {
  return diskDlg_.GetSafeHwnd() != nullptr && diskDlg_.GetSourceMode() == CDiskDlg::kBackupFileMode;
}

void CMainDlg::SetTimeZoneIndex(int index) {
  const std::vector<TimeZoneRow>& table = TimeZoneTable();
  const int lastRow = static_cast<int>(table.size()) - 2;  // the closing row has no name
  if (index < 1 || index > lastRow) index = std::max(GetLocalTimeZoneRow(), 0);
  const TimeZoneRow& row = table[static_cast<size_t>(index)];
  cardConfig_.SetTimeZoneIndex(static_cast<std::uint32_t>(index));
  cardConfig_.SetTimeZoneOffsetSeconds(row.seconds);
  cardSource_.SetTimeZoneOffset(row.seconds);
}

// The row shows the recording's times as every window shows them, in the chosen zone.
void CMainDlg::OnRecordSpanAppended(int n, const RecordRowTexts& row) {
  const RecordSpanEntry& span = dayView_.Span(n);
  formatCleared_ = false;
  ShowNotice(CString());
  if (!recordList_.GetSafeHwnd()) return;
  const app::DisplayZone zone = GetDisplayZone();
  const int item = recordList_.InsertItem(recordList_.GetItemCount(), app::DisplayTimeText(span.start, zone));
  recordList_.SetItemText(item, 1, app::DisplayTimeText(span.end, zone));
  recordList_.SetItemText(item, 2, row.length);
}

void CMainDlg::OnRecordSpansCleared() {
  currentSpan_ = -1;
  selectedSpan_ = -2;
  if (recordList_.GetSafeHwnd()) recordList_.DeleteAllItems();
}

// While a job runs the transport and the tools wait; the window can still be closed or minimised.
void CMainDlg::EnableMainControls(bool enable) {
  for (auto& [id, button] : buttons_) {
    if (id != mainid::kClose && id != mainid::kMinimize && button.GetSafeHwnd()) button.EnableWindow(enable);
  }
}

void CMainDlg::OnOK() {}

void CMainDlg::OnCancel() {}

void CMainDlg::OnBnClickedClose() {
  if (formatDialogOpen_ || configDialogOpen_) return;
  Sleep(1);
  EndDialog(IDCANCEL);
}

BOOL CMainDlg::DestroyWindow() {
  if (!m_hWnd) return CVxSkinDialog::DestroyWindow();
  OnBnClickedStop();
  StopOwnedWork();
  if (engine_ != nullptr) {
    engine_->Destroy();
    engine_ = nullptr;
  }
  transport_.SetEngine(nullptr);
  cardSource_.SetEngine(nullptr);
  channelWindow_.DestroyWindow();
  diskDlg_.DestroyWindow();
  mapDlg_.DestroyWindow();
  return CVxSkinDialog::DestroyWindow();
}

// Every timer of the window stops, and the debug file of G-sensor samples is closed.
void CMainDlg::StopOwnedWork() {
  KillTimer(kTimerId);
  KillTimer(kStepRepeatTimerId);
  KillTimer(kVisibilityTimerId);
  if (gsensorCsv_.IsOpen() && !gsensorCsv_.Commit()) plat::ReportNotWritten(gsensorCsv_);
}
