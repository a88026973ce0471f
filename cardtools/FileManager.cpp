#include "cardtools/FileManager.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "platform/File.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "settings/DialogTexts.h"
#include "settings/DisplayTime.h"

namespace {

CString SizeText(std::uintmax_t bytes) {
  CString text;
  text.Format(L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

// The file's last change as seconds since 1970; 0 when it cannot be read.
std::int64_t ModifiedTime(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

}  // namespace

FileManager::FileManager(CWnd* parent) : CDialog(kTemplate, parent) {}

void FileManager::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, kFileList, fileList_); }

BOOL FileManager::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {});
  fileList_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  fileList_.InsertColumn(0, LoadLanguageString(L"File"), LVCFMT_LEFT, 250);
  fileList_.InsertColumn(1, LoadLanguageString(L"Size"), LVCFMT_RIGHT, 100);
  fileList_.InsertColumn(2, LoadLanguageString(L"Modified"), LVCFMT_LEFT, 170);
  RefreshBackupList();
  return TRUE;
}

void FileManager::RefreshBackupList() {
  const CString folder = app::BackupFilesFolder();
  GetDlgItem(kFolderText)->SetWindowText(folder);
  std::vector<std::string> names = plat::ListFiles(folder.ToUtf8(), ".sd");
  std::sort(names.begin(), names.end());
  fileList_.DeleteAllItems();
  for (const std::string& name : names) {
    const std::filesystem::path path = std::filesystem::path(folder.ToUtf8()) / name;
    std::error_code ec;
    const int row = fileList_.InsertItem(fileList_.GetItemCount(), CString::FromUtf8(name));
    fileList_.SetItemText(row, 1, SizeText(std::filesystem::file_size(path, ec)));
    fileList_.SetItemText(row, 2, app::DisplayTimeText(ModifiedTime(path), app::DisplayZone::PcZone()));
  }
}
