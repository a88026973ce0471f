// CDiskDlg: the card dialog (template 155), a modeless window of the main window for the whole
// run. It opens the source the engine plays (a card drive, a local disk or a `.sd` backup),
// lists its recordings (and hands each one to its owner), and backs chosen recordings up into a
// `.sd` file or exports them as AVI files through the engine's jobs, with progress.
//
// For playback it shows the source and its recordings; for the backup task also the time range,
// the destination, the format and the Backup button, and the list gets check boxes.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "cardtools/CardDialogOwner.h"
#include "cardtools/EventLogView.h"
#include "cardtools/JobWatcher.h"
#include "controls/ColorListCtrl.h"
#include "engine/store/CardStore.h"
#include "engine/stream/SourceJob.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/DateTimeCtrl.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListCtrl.h"
#include "platform/wnd/ProgressCtrl.h"
#include "users/EventLogDb.h"

class CDiskDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 155;
  enum SourceMode { kRemovableMode = 0, kBackupFileMode = 1, kLocalDiskMode = 2 };
  enum Task { kPlaybackTask = 0, kBackupTask = 1 };
  enum BackupFormat { kSdFormat = 0, kAviFormat = 1 };

  // Controls of the template.
  static constexpr int kRemovableRadio = 1050;
  static constexpr int kBackupFileRadio = 1051;
  static constexpr int kLocalDiskRadio = 1052;
  static constexpr int kRemovableList = 1053;
  static constexpr int kLocalDiskList = 1054;
  static constexpr int kBackupFileList = 1055;
  static constexpr int kOpenButton = 1056;
  static constexpr int kSourceText = 1057;
  static constexpr int kRecordList = 1058;
  static constexpr int kStartPicker = 1062;
  static constexpr int kEndPicker = 1063;
  static constexpr int kProgressBar = 1064;
  static constexpr int kBackupDestination = 1110;
  static constexpr int kBrowseDestination = 1111;
  static constexpr int kBackupButton = 1113;
  static constexpr int kBackupFormat = 1114;
  static constexpr int kEventList = 1120;
  static constexpr int kSnapshotFolder = 1566;
  static constexpr int kBrowseSnapshot = 1567;
  // Posted by the export worker when the engine's job has ended.
  static constexpr UINT kExportStepMessage = WM_APP + 0x155;

  CDiskDlg(ICardDialogOwner& owner, CWnd* parent);
  ~CDiskDlg() override;

  // Hides the dialog when it is shown for this task already; otherwise prepares it for the task
  // (1 backup, 0 playback) and shows it.
  void ShowForTask(int task);
  // Opens a `.sd` backup (or an `.idx` index) as the engine's source and lists its recordings;
  // the owner then has no card drive. A file that is not a readable store leaves the engine and
  // the lists as they were.
  bool OpenSdFile(const CString& path);
  // Why the last OpenSdFile of the path failed, in the user's language: the path and the reason,
  // or "No recordings found" for a store without a recording.
  CString OpenFailureText(const CString& path) const;
  // Opens the card of a drive text ("E:/", "//./PhysicalDrive3") through the engine's raw-card
  // source, read-only, lists its recordings and gives the owner its drive number. A drive that
  // holds no readable card leaves everything as it was.
  bool OpenCardByPath(const CString& drivePath);
  // Whether a drive was refused since ForgetDeniedDrives: this user may not read its disk.
  bool DriveWasDenied() const { return driveDenied_; }
  void ForgetDeniedDrives() { driveDenied_ = false; }
  // Tells the user that cards cannot be read without the right to read disks, and what to do.
  void WarnNoDiskAccess();
  // Whether the open source is a backup file (not a card or a local disk).
  bool IsBackupFileOpen() const { return !openSource_.IsEmpty() && openDrive_.IsEmpty(); }
  // Stops playback and forgets the open source and its recordings, in both lists.
  void CloseSource();
  // Opens the current source again, by the source mode.
  bool ReopenSource();

  void SelectBackupFileMode();
  void SelectRemovableMode();
  void SelectLocalDiskMode();
  void OnBnClickedLocalDisk();
  void OnBnClickedRemovableStorage();

  // Sets the start (0) or end (1) bound of the time range; the bounds are recording times plus
  // the owner's UTC offset.
  void SetRecordTimePicker(std::int64_t time, int which);
  // Outside playback and with time 0: the engine's job progress. During playback: how far the
  // time (plus the owner's time-zone offset) lies into the time range, up to 90 %.
  void UpdateProgressFromPosition(std::int64_t time);
  // Half the file progress (progressValue) plus half the engine's position progress.
  void UpdateBackupProgress();
  void EnableControls(bool enable);
  // Keeps the 16-bit check value (CRC-16/CCITT) of the account the user was accepted with.
  void SetCardPasswordHash(const CString& userName, const CString& password);
  std::uint16_t GetCardPasswordHash() const { return cardPasswordHash_; }
  // Starts reading a recorder event log (".log") in the background; the owner is posted
  // WM_EVENTLOG_LOADED when it ends and then takes the rows with TakeEventLog, true when the rows
  // of that read are decoded and held (a file that is no event log is refused with a message).
  void LoadEventLog(const CString& path);
  bool TakeEventLog(WPARAM read);
  // The coloured list of the log's records, shown in place of the recordings; the log's track
  // goes to the view.
  void FillEventLogList(IEventLogView& view);
  // Each record from the view's start on as a G-sensor sample, a speed and its event marks, at
  // its time less the owner's time-zone offset; then the bars reload their columns. Always true.
  bool PlotEventLog(IEventLogView& view);
  // Backs the chosen recordings up in the chosen format (see the class comment).
  void OnBnClickedBackup();
  // The recordings a backup left out, named as the list shows them, one a line after the
  // reason; empty when it left none out.
  CString LeftOutText(const std::vector<LeftOutEntry>& leftOut) const;

  int GetSourceMode() const { return mode_; }
  int GetTask() const { return task_; }
  // The text of the chosen drive in the current drive mode; empty in backup-file mode.
  CString GetCurrentDriveText() const;
  // The recording the user chose in the list: its selected row, else its focused one; -1 for none.
  int GetChosenRecording() const;
  void SetSourceText(const CString& text);
  CString GetSourceText() const;
  std::int64_t GetTimeBound(int which) const { return bounds_[which == 1 ? 1 : 0]; }
  void SetProgress(int percent);
  CListCtrl& RecordList() { return recordList_; }
  CComboBox& RemovableList() { return removableList_; }
  CComboBox& LocalDiskList() { return localDiskList_; }
  CProgressCtrl& ProgressBar() { return progress_; }
  CEventLogDb& EventLog() { return eventLog_; }
  CColorListCtrl& EventList() { return eventList_; }

  // Fields the owner reads and writes.
  int progressMode = 0;        // 1: the owner sets the progress from chunk times during a job
  bool aviExport = false;      // while the AVI export worker runs
  bool jobRunning = false;     // while a backup or export runs; the owner clears it after a backup
  bool exportJob = false;      // while an export runs
  double progressValue = 0.0;  // the file part of a job's progress, 0.0 to 1.0
  bool listUpdating = false;   // while the owner ticks and selects rows of the recording list
  CString recordingFolder;     // the opened card's "dcim/" folder, set by the owner

  BOOL OnInitDialog() override;
  // Enter on a recording of the list plays it, as a double click does.
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  struct PendingExport {
    IndexEntry* entry;
    std::int64_t start;
    std::int64_t end;
    CString path;
  };

  // Source (DiskDlgSource.cpp).
  bool OpenStoreSource(const CString& source);
  void ListRecordings();
  void ClearRecordings();
  void SelectMode(int mode);
  void EnableSourceLists();
  void UpdateCaption();
  void FillBackupFileList();
  void OpenChosenSource();
  void InitEventList();
  void ShowEventList(bool show);
  void OnCommand(int id, int code);
  // Backup (DiskDlgBackup.cpp).
  bool ReadTimeRange(std::int64_t* from, std::int64_t* to);
  std::vector<int> ChosenRows(std::int64_t from, std::int64_t to) const;
  CString ChosenDestination();
  void StartSdBackup(const std::vector<int>& rows, const CString& folder);
  void StartAviExport(const std::vector<int>& rows, std::int64_t from, std::int64_t to, const CString& folder);
  void StartNextExport();
  void OnExportStepDone();
  void FinishExport(bool complete);
  void BrowseFolder(int editId, LPCWSTR configKey);
  void ShowBackupSection(bool show);
  // For playback, a recording of the list is played and the dialog steps aside.
  void PlayListedRecording(int row);
  // The dialog lies in the owner's area on the screen; where it is taller, its lists give up
  // height, down to a few rows.
  void FitIntoArea();
  CRect FramedRect() const;
  // The lists are `squeeze` pixels shorter than the template's and everything below moves up.
  void SqueezeLists(int squeeze);

  ICardDialogOwner& owner_;
  CListCtrl recordList_;
  CComboBox removableList_;
  CComboBox localDiskList_;
  CComboBox backupFileList_;
  CComboBox formatList_;
  CDateTimeCtrl pickers_[2];
  CProgressCtrl progress_;
  CColorListCtrl eventList_;
  CEventLogDb eventLog_;
  CJobWatcher watcher_;

  int mode_ = kRemovableMode;
  int task_ = kPlaybackTask;
  CString openSource_;   // the engine source opened: a file path or "dvk2://N"
  CString openDrive_;    // the drive text of the card opened
  std::vector<RecordSpanEntry> spans_;
  std::int64_t bounds_[2] = {0, 0};
  std::uint16_t cardPasswordHash_ = 0;
  bool driveDenied_ = false;
  StoreOpenFailure openFailure_ = StoreOpenFailure::kNone;  // of the last source that did not open
  std::deque<PendingExport> exports_;
  CString exportFolder_;
  CString exportPath_;  // the first file of the export that runs
  int fullClientHeight_ = 0;
  int listSqueeze_ = 0;
};
