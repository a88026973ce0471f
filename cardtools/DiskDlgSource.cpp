// The card dialog's source: opening a card or a backup as the engine's source, listing its
// recordings here and in the owner's record list, and forgetting them again.
#include <algorithm>

#include "cardtools/DiskDlg.h"
#include "cardtools/DriveFinder.h"
#include "engine/IIbpCtrl.h"
#include "engine/SourcePath.h"
#include "platform/File.h"
#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"

namespace {

// Why the source is not a store with at least one recording; kNone when it is one. Read on a
// store of its own, so that a source that cannot be played never replaces the engine's.
StoreOpenFailure StoreFailureOf(const CString& source) {
  const SourceAddress address = ParseSourcePath(source);
  unsigned driveNo = 0;
  if (!IsCardStoreSource(address.type)) return StoreOpenFailure::kNotAStore;
  if (address.type == kSourceRawCard && !ParseDriveNumber(address.host, &driveNo)) return StoreOpenFailure::kMissing;
  CCardStore store;
  CString path = source;
  store.SetStoreSource(address.type, driveNo, address.type == kSourceRawCard ? std::string() : path.Trim().ToUtf8());
  store.OpenStore();
  const StoreOpenFailure failure = store.OpenFailure();
  store.CloseStore();
  return failure;
}

// Selects the list's entry with the text, when it has one.
void SelectEntry(CComboBox& list, const CString& text) {
  CString entry;
  for (int i = 0; i < list.GetCount(); ++i) {
    if (list.GetLBText(i, entry) >= 0 && entry == text) list.SetCurSel(i);
  }
}

// A length as "hh:mm:ss"; a negative one shows as 00:00:00.
CString LengthText(std::int64_t seconds) {
  const std::int64_t s = seconds < 0 ? 0 : seconds;
  CString text;
  text.Format(L"%02lld:%02lld:%02lld", static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
              static_cast<long long>(s % 60));
  return text;
}

CString RawCardSource(unsigned driveNo) {
  CString source;
  source.Format(L"dvk2://%u", driveNo);
  return source;
}

}  // namespace

bool CDiskDlg::OpenSdFile(const CString& path) {
  const int type = ParseSourcePath(path).type;
  openFailure_ = StoreOpenFailure::kNotAStore;
  if (type != kSourceBackupFile && type != kSourceIndexFile) return false;
  if (!OpenStoreSource(path)) return false;
  openDrive_.Empty();
  owner_.SetCardDriveNumber(-1);  // no card is the source any more
  SetSourceText(path);
  if (backupFileList_.GetSafeHwnd()) backupFileList_.SetWindowText(path);
  return true;
}

bool CDiskDlg::OpenCardByPath(const CString& drivePath) {
  const std::optional<unsigned> driveNo = DriveNumberOfText(drivePath, ReadDriveTable());
  if (!driveNo) return false;
  if (ProbeDriveAccess(*driveNo) == DriveAccess::kDenied) {
    driveDenied_ = true;
    return false;
  }
  if (!OpenStoreSource(RawCardSource(*driveNo))) return false;
  openDrive_ = drivePath;
  for (CComboBox* list : {&removableList_, &localDiskList_}) SelectEntry(*list, drivePath);
  owner_.SetCardDriveNumber(static_cast<int>(*driveNo));
  SetSourceText(drivePath);
  return true;
}

bool CDiskDlg::OpenStoreSource(const CString& source) {
  IIbpCtrl* engine = owner_.GetEngine();
  if (!engine) return false;
  openFailure_ = StoreFailureOf(source);
  if (openFailure_ != StoreOpenFailure::kNone) return false;
  ClearRecordings();
  engine->SetSource(source);
  openSource_ = source;
  ShowEventList(false);
  ListRecordings();
  return true;
}

CString CDiskDlg::OpenFailureText(const CString& path) const {
  LPCWSTR format = nullptr;
  switch (openFailure_) {
    case StoreOpenFailure::kMissing:
      format = L"%s cannot be opened: it does not exist";
      break;
    case StoreOpenFailure::kUnreadable:
      format = L"%s cannot be opened: it cannot be read (no permission)";
      break;
    case StoreOpenFailure::kNotAStore:
      format = L"%s cannot be opened: it is not a card, .sd backup or .idx index";
      break;
    case StoreOpenFailure::kNoDataFolder:
      format = L"%s cannot be opened: no dcim folder for its data lies beside it or in a folder above it";
      break;
    case StoreOpenFailure::kNone:
    case StoreOpenFailure::kNoRecordings:
      return LoadLanguageString(L"No recordings found");
  }
  CString text;
  text.Format(LoadLanguageFormat(format), static_cast<LPCWSTR>(path));
  return text;
}

void CDiskDlg::WarnNoDiskAccess() {
  AfxMessageBox(LoadLanguageString(L"This user may not read the card's disk. Add the user to the disk group (sudo adduser $USER disk), log out and in again, then insert the card again."),
                MB_OK | MB_ICONWARNING);
}

void CDiskDlg::ListRecordings() {
  IIbpCtrl* engine = owner_.GetEngine();
  const app::DisplayZone zone = owner_.GetDisplayZone();
  for (IndexEntry* e = engine->OpenStore(); e; e = engine->GetNextEntry(e)) {
    RecordSpanEntry span;
    span.entry = e;
    span.start = e->StartTime();
    span.end = e->EndTime();
    span.firstChunk = e->FirstChunk();
    const RecordRowTexts row{app::DisplayTimeText(span.start, zone), app::DisplayTimeText(span.end, zone),
                             LengthText(span.end - span.start)};
    const int item = recordList_.InsertItem(recordList_.GetItemCount(), row.start);
    recordList_.SetItemText(item, 1, row.end);
    recordList_.SetItemText(item, 2, row.length);
    spans_.push_back(span);
    owner_.AppendRecordSpan(span, row);
  }
  if (spans_.empty()) return;
  const std::int64_t utc = owner_.GetUtcOffsetSeconds();
  SetRecordTimePicker(spans_.front().start + utc, 0);
  SetRecordTimePicker(spans_.back().end + utc, 1);
}

void CDiskDlg::ClearRecordings() {
  owner_.StopPlayback();
  recordList_.DeleteAllItems();
  spans_.clear();
  owner_.ClearRecordSpans();
}

// Whatever kind of source is open: a card's recordings left listed after the engine let go of its
// store would no longer play.
void CDiskDlg::CloseSource() {
  ClearRecordings();
  openSource_.Empty();
  openDrive_.Empty();
  SetSourceText(CString());
}

bool CDiskDlg::ReopenSource() {
  const CString source = openSource_;
  const CString drive = openDrive_;
  if (source.IsEmpty()) return false;
  return drive.IsEmpty() ? OpenSdFile(source) : OpenCardByPath(drive);
}

// The `.sd` files of the backup folder, newest name last.
void CDiskDlg::FillBackupFileList() {
  const CString folder = app::BackupFilesFolder();
  std::vector<std::string> names = plat::ListFiles(folder.ToUtf8(), ".sd");
  std::sort(names.begin(), names.end());
  backupFileList_.ResetContent();
  const CString prefix = folder.Right(1) == L"/" ? folder : folder + L"/";
  for (const std::string& name : names) backupFileList_.AddString(prefix + CString(name));
}

// The source the user chose in the list of the current mode.
void CDiskDlg::OpenChosenSource() {
  bool opened = false;
  CString path;
  if (mode_ == kBackupFileMode) {
    path = backupFileList_.GetWindowText();
    opened = !path.Trim().IsEmpty() && OpenSdFile(path);
  } else {
    const CString drive = GetCurrentDriveText();
    if (drive.IsEmpty()) return;
    ForgetDeniedDrives();
    opened = owner_.OpenCard(drive);
  }
  if (opened) return;
  if (DriveWasDenied()) {
    WarnNoDiskAccess();
  } else if (!path.IsEmpty()) {
    AfxMessageBox(OpenFailureText(path), MB_OK | MB_ICONWARNING);
  } else {
    AfxMessageBox(LoadLanguageString(L"No recordings found"), MB_OK | MB_ICONWARNING);
  }
}

void CDiskDlg::OnCommand(int id, int code) {
  if (code == CBN_SELCHANGE && (id == kRemovableList || id == kLocalDiskList || id == kBackupFileList)) {
    PostMessage(WM_COMMAND, MAKEWPARAM(kOpenButton, BN_CLICKED), 0);
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kRemovableRadio:
      FindCardDrives(&removableList_, &localDiskList_);
      OnBnClickedRemovableStorage();
      break;
    case kBackupFileRadio:
      FillBackupFileList();
      SelectBackupFileMode();
      break;
    case kLocalDiskRadio:
      FindCardDrives(&removableList_, &localDiskList_);
      OnBnClickedLocalDisk();
      break;
    case kOpenButton:
      OpenChosenSource();
      break;
    case kBackupButton:
      OnBnClickedBackup();
      break;
    case kBrowseDestination:
      BrowseFolder(kBackupDestination, L"BackupPath");
      break;
    case kBrowseSnapshot:
      BrowseFolder(kSnapshotFolder, L"SnapshotPath");
      break;
    default:
      break;
  }
}
