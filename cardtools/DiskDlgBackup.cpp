// The card dialog's Backup button: the chosen recordings of the time range copied into a `.sd`
// backup, or exported one after another into AVI files, by the engine's jobs.
#include <algorithm>
#include <optional>

#include "cardtools/DiskDlg.h"
#include "engine/IIbpCtrl.h"
#include "platform/File.h"
#include "platform/wnd/FolderPicker.h"
#include "platform/wnd/MessageBox.h"
#include "settings/AppConfig.h"

namespace {

void Warn(const wchar_t* text) { AfxMessageBox(LoadLanguageString(text), MB_OK | MB_ICONWARNING); }

// The start of an output file's name, "YYYYMMDD_hhmmss", the recording time as the lists show it.
CString FileStem(std::int64_t recordingTime, const app::DisplayZone& zone) {
  const std::optional<app::DisplayTime> s = app::ToDisplayTime(recordingTime, zone);
  if (!s) return L"recording";
  CString stem;
  stem.Format(L"%04d%02d%02d_%02d%02d%02d", s->year, s->month, s->day, s->hour, s->minute, s->second);
  return stem;
}

// "<folder>/<stem><extension>", with "_1", "_2", ... added while such a file exists: a backup never
// replaces an earlier one.
CString UnusedPath(const CString& folder, const CString& stem, const wchar_t* extension) {
  CString path = folder + L"/" + stem + extension;
  for (int n = 1; plat::FileExists(path.ToUtf8()); ++n) path.Format(L"%ls/%ls_%d%ls", folder.GetString(), stem.GetString(), n, extension);
  return path;
}

bool Overlaps(const RecordSpanEntry& span, std::int64_t from, std::int64_t to) {
  return span.end > from && span.start < to;
}

}  // namespace

void CDiskDlg::OnBnClickedBackup() {
  IIbpCtrl* engine = owner_.GetEngine();
  std::int64_t from = 0;
  std::int64_t to = 0;
  if (!engine || jobRunning || exportJob) return;
  if (!ReadTimeRange(&from, &to)) {
    Warn(L"The end time must be later than the start time");
    return;
  }
  const std::vector<int> rows = ChosenRows(from, to);
  if (rows.empty()) {
    Warn(L"Please select the recordings to back up");
    return;
  }
  const CString folder = ChosenDestination();
  if (folder.IsEmpty()) {
    Warn(L"The backup folder cannot be created");
    return;
  }
  owner_.StopPlayback();
  if (formatList_.GetCurSel() == kAviFormat) {
    StartAviExport(rows, from, to, folder);
  } else {
    StartSdBackup(rows, folder);
  }
}

// The range of recording times the pickers show; false when it is empty.
bool CDiskDlg::ReadTimeRange(std::int64_t* from, std::int64_t* to) {
  const std::int64_t utc = owner_.GetUtcOffsetSeconds();
  for (int i = 0; i < 2; ++i) {
    std::int64_t shown = 0;
    if (!pickers_[i].GetTime(shown)) continue;
    const std::optional<std::int64_t> recording = app::FromPickerTime(shown, owner_.GetDisplayZone());
    if (recording) bounds_[i] = *recording + utc;
  }
  *from = bounds_[0] - utc;
  *to = bounds_[1] - utc;
  return *to > *from;
}

// Every ticked recording, whether the range reaches it or not: playing a recording narrows the
// range to that one, and a tick is the user's own choice. When none is ticked, the selected ones
// that overlap the range.
std::vector<int> CDiskDlg::ChosenRows(std::int64_t from, std::int64_t to) const {
  std::vector<int> ticked;
  std::vector<int> selected;
  const int count = std::min(recordList_.GetItemCount(), static_cast<int>(spans_.size()));
  for (int row = 0; row < count; ++row) {
    if (recordList_.GetCheck(row)) ticked.push_back(row);
    if (Overlaps(spans_[static_cast<size_t>(row)], from, to) && recordList_.GetItemState(row, LVIS_SELECTED)) {
      selected.push_back(row);
    }
  }
  return ticked.empty() ? selected : ticked;
}

// The destination folder, made when missing and kept as the backup folder; empty when it cannot
// be made.
CString CDiskDlg::ChosenDestination() {
  CString folder = GetDlgItem(kBackupDestination)->GetWindowText();
  folder.Trim();
  while (folder.GetLength() > 1 && folder.Right(1) == L"/") folder = folder.Left(folder.GetLength() - 1);
  if (folder.IsEmpty() || !plat::MakeDirs(folder.ToUtf8())) return CString();
  g_appConfig.WriteConfigString(L"BackupPath", folder);
  return folder;
}

// The engine copies the entries; its end message reaches the owner, which reports and enables the
// controls again.
void CDiskDlg::StartSdBackup(const std::vector<int>& rows, const CString& folder) {
  std::vector<IndexEntry*> entries;
  for (int row : rows) entries.push_back(spans_[static_cast<size_t>(row)].entry);
  const std::int64_t first = spans_[static_cast<size_t>(rows.front())].start;
  const CString path = UnusedPath(folder, FileStem(first, owner_.GetDisplayZone()), L".sd");
  IIbpCtrl* engine = owner_.GetEngine();
  if (engine->StartBackup(path, entries.data(), static_cast<int>(entries.size())) != EngineStart::kStarted) {
    Warn(L"The backup could not be started");
    return;
  }
  jobRunning = true;
  progressMode = 0;
  progressValue = 0.0;
  SetProgress(0);
  EnableControls(false);
}

// Each recording's part of the range goes to an AVI file of its own, a recording that the range
// does not reach whole; the worker waits for each export to end, and the next one starts from
// the UI thread.
void CDiskDlg::StartAviExport(const std::vector<int>& rows, std::int64_t from, std::int64_t to, const CString& folder) {
  exports_.clear();
  for (int row : rows) {
    const RecordSpanEntry& span = spans_[static_cast<size_t>(row)];
    const bool inRange = Overlaps(span, from, to);
    const std::int64_t start = inRange ? std::max(span.start, from) : span.start;
    const std::int64_t end = inRange ? std::min(span.end, to) : span.end;
    const CString path = UnusedPath(folder, FileStem(start, owner_.GetDisplayZone()), L".avi");
    exports_.push_back({span.entry, start, end, path});
  }
  exportFolder_ = folder;
  aviExport = true;
  exportJob = true;
  jobRunning = true;
  progressMode = 1;
  progressValue = 0.0;
  SetProgress(0);
  EnableControls(false);
  StartNextExport();
}

void CDiskDlg::StartNextExport() {
  const PendingExport next = exports_.front();
  exports_.pop_front();
  exportPath_ = next.path;
  IIbpCtrl* engine = owner_.GetEngine();
  if (engine->OpenExport(next.path, next.entry, 0, next.start, next.end) != EngineStart::kStarted) {
    FinishExport(false);
    return;
  }
  watcher_.Start(engine, GetSafeHwnd(), kExportStepMessage);
}

// An export counts as done when the engine says so and its first file is there: a range without a
// picture to start from writes nothing.
void CDiskDlg::OnExportStepDone() {
  watcher_.Stop();
  IIbpCtrl* engine = owner_.GetEngine();
  if (!aviExport || !engine) return;
  const bool done = engine->GetJobResult() == JobResult::kDone && plat::FileExists(exportPath_.ToUtf8());
  engine->Close();  // back to idle, so that the next job may start
  if (done && !exports_.empty()) {
    StartNextExport();
    return;
  }
  FinishExport(done);
}

void CDiskDlg::FinishExport(bool complete) {
  exports_.clear();
  aviExport = false;
  exportJob = false;
  jobRunning = false;
  progressMode = 0;
  SetProgress(complete ? 100 : 0);
  EnableControls(true);
  if (!complete) {
    Warn(L"The export could not be completed");
    return;
  }
  const CString text = LoadLanguageString(L"Backup") + L" \"" + GetSourceText() + L"\"" + L" to " + L"\"" +
                       exportFolder_ + L"\" " + LoadLanguageString(L"Completed!");
  AfxMessageBox(text, MB_OK);
}

// Each one by its start and end as its row shows them: the user finds it in the list.
CString CDiskDlg::LeftOutText(const std::vector<LeftOutEntry>& leftOut) const {
  if (leftOut.empty()) return CString();
  const app::DisplayZone zone = owner_.GetDisplayZone();
  CString text = LoadLanguageString(L"These recordings were left out, for none of their data could be read:");
  for (const LeftOutEntry& l : leftOut) {
    text += L"\n" + app::DisplayTimeText(l.entry.StartTime(), zone) + L" - " +
            app::DisplayTimeText(l.entry.EndTime(), zone);
  }
  return text;
}

void CDiskDlg::BrowseFolder(int editId, LPCWSTR configKey) {
  CWnd* edit = GetDlgItem(editId);
  plat::FolderBrowseEvents events;
  const CString start = edit->GetWindowText();
  events.initialized = [&](plat::FolderBrowser& browser) { browser.SetSelection(start); };
  const plat::FolderBrowseResult chosen =
      plat::BrowseForFolder(GetSafeHwnd(), LoadLanguageString(L"Choose a folder"), BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE, events);
  if (chosen.result != IDOK || chosen.path.IsEmpty()) return;
  edit->SetWindowText(chosen.path);
  g_appConfig.WriteConfigString(configKey, chosen.path);
}
