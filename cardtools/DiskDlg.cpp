// The card dialog's window: its controls, the task it is shown for, the source modes, the time
// range and the progress bar.
#include "cardtools/DiskDlg.h"

#include <algorithm>
#include <optional>

#include "cardtools/DriveFinder.h"
#include "engine/IIbpCtrl.h"
#include "platform/wnd/SysMetrics.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "settings/DialogTexts.h"

namespace {

constexpr int kSourceGroup = 1060;
constexpr int kBackupGroup = 1070;
// The controls below the backup group's top belong to the backup task only.
constexpr int kBackupSectionItems[] = {kBackupGroup, 1071, 1072, 1073, 1074, CDiskDlg::kStartPicker, CDiskDlg::kEndPicker,
                                       CDiskDlg::kBackupDestination, CDiskDlg::kBrowseDestination,
                                       CDiskDlg::kBackupFormat, CDiskDlg::kBackupButton};
constexpr int kInteractiveItems[] = {CDiskDlg::kRemovableRadio,    CDiskDlg::kBackupFileRadio,   CDiskDlg::kLocalDiskRadio,
                                     CDiskDlg::kRemovableList,     CDiskDlg::kLocalDiskList,     CDiskDlg::kBackupFileList,
                                     CDiskDlg::kOpenButton,        CDiskDlg::kRecordList,        CDiskDlg::kStartPicker,
                                     CDiskDlg::kEndPicker,         CDiskDlg::kBackupDestination, CDiskDlg::kBrowseDestination,
                                     CDiskDlg::kBackupFormat,      CDiskDlg::kBackupButton,      CDiskDlg::kBrowseSnapshot};
// What lies below the lists, which moves up when the lists give up height.
constexpr int kBelowListItems[] = {1075, CDiskDlg::kSnapshotFolder, CDiskDlg::kBrowseSnapshot, CDiskDlg::kProgressBar,
                                   IDCANCEL};
// The lists keep this much height, a few rows, however small the screen.
constexpr int kShortestList = 96;
// The caption that a window manager may put above the dialog when it first shows it; without
// one the dialog merely sits that much lower.
constexpr int kUnframedCaption = 24;
constexpr const wchar_t* kPickerFormat = L"yyyy'-'MM'-'dd HH':'mm':'ss";
constexpr int kTimeColumnWidth = 190;
constexpr int kLengthColumnWidth = 120;

std::uint16_t Crc16Ccitt(const std::string& bytes) {
  std::uint16_t crc = 0xFFFF;
  for (unsigned char b : bytes) {
    crc ^= static_cast<std::uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

}  // namespace

CDiskDlg::CDiskDlg(ICardDialogOwner& owner, CWnd* parent) : CDialog(kTemplate, parent), owner_(owner) {}

CDiskDlg::~CDiskDlg() { watcher_.Stop(); }

void CDiskDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, kRecordList, recordList_);
  DDX_Control(dx, kRemovableList, removableList_);
  DDX_Control(dx, kLocalDiskList, localDiskList_);
  DDX_Control(dx, kBackupFileList, backupFileList_);
  DDX_Control(dx, kBackupFormat, formatList_);
  DDX_Control(dx, kStartPicker, pickers_[0]);
  DDX_Control(dx, kEndPicker, pickers_[1]);
  DDX_Control(dx, kProgressBar, progress_);
  DDX_Control(dx, kEventList, eventList_);
}

BOOL CDiskDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kSourceGroup, kBackupGroup, kRemovableRadio, kBackupFileRadio, kLocalDiskRadio,
                               kOpenButton, kBackupButton, 1071, 1072, 1073, 1074, 1075, 1076, IDCANCEL});
  CRect client;
  GetClientRect(&client);
  fullClientHeight_ = client.Height();
  recordList_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  recordList_.InsertColumn(0, LoadLanguageString(L"RECORD TIME"), LVCFMT_LEFT, kTimeColumnWidth);
  recordList_.InsertColumn(1, LoadLanguageString(L"TIME END"), LVCFMT_LEFT, kTimeColumnWidth);
  recordList_.InsertColumn(2, LoadLanguageString(L"Total Times"), LVCFMT_RIGHT, kLengthColumnWidth);
  formatList_.AddString(LoadLanguageString(L"Backup file (.sd)"));
  formatList_.AddString(LoadLanguageString(L"AVI video"));
  formatList_.SetCurSel(kSdFormat);
  for (CDateTimeCtrl& picker : pickers_) picker.SetFormat(kPickerFormat);
  GetDlgItem(kBackupDestination)->SetWindowText(app::BackupFolder());
  GetDlgItem(kSnapshotFolder)->SetWindowText(app::SnapshotFolder());
  eventLog_.SetOwner(m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr);
  eventLog_.SetBrakesMode(g_appConfig.ReadConfigInt(L"BrakesMode", 0));
  InitEventList();
  FindCardDrives(&removableList_, &localDiskList_);
  FillBackupFileList();
  SelectRemovableMode();
  ShowBackupSection(false);
  return TRUE;
}

void CDiskDlg::ShowForTask(int task) {
  if (IsWindowVisible() && task == task_) {
    ShowWindow(SW_HIDE);
    return;
  }
  task_ = task == kBackupTask ? kBackupTask : kPlaybackTask;
  const DWORD checks = task_ == kBackupTask ? LVS_EX_CHECKBOXES : 0;
  recordList_.SetExtendedStyle((recordList_.GetExtendedStyle() & ~LVS_EX_CHECKBOXES) | checks);
  UpdateCaption();
  ShowBackupSection(task_ == kBackupTask);
  FitIntoArea();
  ShowWindow(SW_SHOW);
}

// The dialog is cut off above the backup group for playback.
void CDiskDlg::ShowBackupSection(bool show) {
  for (int id : kBackupSectionItems) {
    if (CWnd* item = GetDlgItem(id)) item->ShowWindow(show ? SW_SHOW : SW_HIDE);
  }
  CRect group;
  GetDlgItem(kBackupGroup)->GetWindowRect(&group);
  ScreenToClient(&group);
  CRect window, client;
  GetWindowRect(&window);
  GetClientRect(&client);
  const int height = show ? fullClientHeight_ : group.top;
  SetWindowPos(nullptr, 0, 0, window.Width(), window.Height() - client.Height() + height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window with its frame; before a window manager has framed it, with a caption above it.
CRect CDiskDlg::FramedRect() const {
  CRect window;
  CRect client;
  GetWindowRect(&window);
  GetClientRect(&client);
  if (window.Height() == client.Height() && (GetStyle() & WS_CAPTION) == WS_CAPTION) window.top -= kUnframedCaption;
  return window;
}

// Centred in the area when it does not lie wholly there, and kept on the screen.
void CDiskDlg::FitIntoArea() {
  const CRect work = plat::WorkArea();
  CRect area;
  if (!area.IntersectRect(owner_.GetCardDialogArea(), work)) area = work;
  CRect list;
  recordList_.GetWindowRect(&list);
  const int spare = std::max(list.Height() + listSqueeze_ - kShortestList, 0);
  SqueezeLists(std::min(std::max(FramedRect().Height() + listSqueeze_ - area.Height(), 0), spare));
  const CRect framed = FramedRect();
  CPoint at = framed.TopLeft();
  if ((framed & area) != framed) {
    at = CPoint(area.left + (area.Width() - framed.Width()) / 2, area.top + (area.Height() - framed.Height()) / 2);
  }
  at.x = std::max<int>(work.left, std::min<int>(at.x, work.right - framed.Width()));
  at.y = std::max<int>(work.top, std::min<int>(at.y, work.bottom - framed.Height()));
  CRect window;
  GetWindowRect(&window);
  SetWindowPos(nullptr, at.x, at.y + window.top - framed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDiskDlg::SqueezeLists(int squeeze) {
  const int delta = squeeze - listSqueeze_;
  if (delta == 0) return;
  listSqueeze_ = squeeze;
  const auto move = [this](int id, int down, int longer) {
    CWnd* item = GetDlgItem(id);
    if (item == nullptr) return;
    CRect r;
    item->GetWindowRect(&r);
    ScreenToClient(&r);
    item->MoveWindow(r.left, r.top + down, r.Width(), r.Height() + longer, FALSE);
  };
  for (int id : {kRecordList, kEventList}) move(id, 0, -delta);
  for (int id : kBelowListItems) move(id, -delta, 0);
  for (int id : kBackupSectionItems) move(id, -delta, 0);
  fullClientHeight_ -= delta;
  CRect window;
  GetWindowRect(&window);
  SetWindowPos(nullptr, 0, 0, window.Width(), window.Height() - delta, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Invalidate();
}

int CDiskDlg::GetChosenRecording() const {
  const int selected = recordList_.GetNextItem(-1, LVNI_SELECTED);
  return selected >= 0 ? selected : recordList_.GetNextItem(-1, LVNI_FOCUSED);
}

void CDiskDlg::PlayListedRecording(int row) {
  if (task_ != kPlaybackTask || row < 0 || row >= recordList_.GetItemCount()) return;
  if (owner_.PlayRecord(row)) ShowWindow(SW_HIDE);
}

BOOL CDiskDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && msg->hwnd == recordList_.GetSafeHwnd() &&
      task_ == kPlaybackTask) {
    PlayListedRecording(GetChosenRecording());
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

void CDiskDlg::UpdateCaption() {
  const wchar_t* caption = L"Playback";
  if (task_ == kBackupTask) {
    caption = L"Backup";
  } else if (mode_ == kBackupFileMode) {
    caption = L"Open an existing file";
  }
  SetWindowText(LoadLanguageString(caption));
}

void CDiskDlg::SelectMode(int mode) {
  mode_ = mode;
  CheckRadioButton(kRemovableRadio, kLocalDiskRadio, kRemovableRadio + mode);
  EnableSourceLists();
  UpdateCaption();
  SetProgress(0);
}

// Only the list of the current source mode can be chosen from.
void CDiskDlg::EnableSourceLists() {
  removableList_.EnableWindow(mode_ == kRemovableMode);
  backupFileList_.EnableWindow(mode_ == kBackupFileMode);
  localDiskList_.EnableWindow(mode_ == kLocalDiskMode);
}

void CDiskDlg::SelectBackupFileMode() { SelectMode(kBackupFileMode); }
void CDiskDlg::SelectRemovableMode() { SelectMode(kRemovableMode); }
void CDiskDlg::SelectLocalDiskMode() { SelectMode(kLocalDiskMode); }
void CDiskDlg::OnBnClickedLocalDisk() { SelectLocalDiskMode(); }
void CDiskDlg::OnBnClickedRemovableStorage() { SelectRemovableMode(); }

CString CDiskDlg::GetCurrentDriveText() const {
  const CComboBox* list = mode_ == kRemovableMode ? &removableList_ : mode_ == kLocalDiskMode ? &localDiskList_ : nullptr;
  CString text;
  if (list && list->GetCurSel() >= 0) list->GetLBText(list->GetCurSel(), text);
  return text;
}

void CDiskDlg::SetSourceText(const CString& text) {
  if (CWnd* item = GetDlgItem(kSourceText)) item->SetWindowText(text);
}

CString CDiskDlg::GetSourceText() const {
  const CWnd* item = GetDlgItem(kSourceText);
  return item ? item->GetWindowText() : CString();
}

// The picker shows the recording time of the bound as every window shows it.
void CDiskDlg::SetRecordTimePicker(std::int64_t time, int which) {
  const int i = which == 1 ? 1 : 0;
  bounds_[i] = time;
  const std::optional<std::int64_t> shown = app::ToPickerTime(time - owner_.GetUtcOffsetSeconds(), owner_.GetDisplayZone());
  if (shown) pickers_[i].SetTime(*shown);
}

void CDiskDlg::SetProgress(int percent) { progress_.SetPos(std::clamp(percent, 0, 100)); }

void CDiskDlg::UpdateProgressFromPosition(std::int64_t time) {
  IIbpCtrl* engine = owner_.GetEngine();
  if (time == 0 && !owner_.IsPlaying()) {
    if (engine) SetProgress(static_cast<int>(engine->GetProgressRatio() * 100.0));
    return;
  }
  const std::int64_t span = bounds_[1] - bounds_[0];
  const std::int64_t into = time + owner_.GetTimeZoneOffset() - bounds_[0];
  if (span <= 0 || into < 0 || into > span) return;
  SetProgress(static_cast<int>(90 * into / span));
}

void CDiskDlg::UpdateBackupProgress() {
  IIbpCtrl* engine = owner_.GetEngine();
  const double position = engine ? engine->GetProgressRatio() : 0.0;
  SetProgress(static_cast<int>(50.0 * progressValue + 50.0 * position));
}

void CDiskDlg::EnableControls(bool enable) {
  for (int id : kInteractiveItems) {
    if (CWnd* item = GetDlgItem(id)) item->EnableWindow(enable);
  }
  if (enable) EnableSourceLists();
  owner_.EnableMainControls(enable);
}

void CDiskDlg::SetCardPasswordHash(const CString& userName, const CString& password) {
  cardPasswordHash_ = Crc16Ccitt(userName.ToUtf8() + '\0' + password.ToUtf8());
}

LRESULT CDiskDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      break;
    case WM_NOTIFY: {
      const auto* notify = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
      if (notify != nullptr && notify->hdr.idFrom == kRecordList && notify->hdr.code == static_cast<UINT>(NM_DBLCLK)) {
        PlayListedRecording(notify->iItem);
      }
      break;
    }
    case kExportStepMessage:
      OnExportStepDone();
      return 0;
    case WM_DESTROY:
      watcher_.Stop();
      break;
    default:
      break;
  }
  return CDialog::WindowProc(msg, wParam, lParam);
}
