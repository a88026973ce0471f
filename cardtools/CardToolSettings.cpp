#include "cardtools/CardToolSettings.h"

#include "app/AppConfig.h"
#include "engine/video/Snapshot.h"
#include "platform/UserFolders.h"
#include "platform/wnd/Wnd.h"

CString BackupFolder() {
  const std::string videos = plat::UserVideosDir();
  const CString fallback = videos.empty() ? CString() : CString(videos + "/BlackBox");
  return g_appConfig.ReadConfigString(L"BackupPath", fallback);
}

CString SnapshotFolder() {
  return g_appConfig.ReadConfigString(L"SnapshotPath", DefaultSnapshotFolder(g_appConfig.GetAppFolder()));
}

CString BackupFilesFolder() { return g_appConfig.ReadConfigString(L"BackFilePath", BackupFolder()); }

void TranslateDialogTexts(CWnd& dialog, std::initializer_list<int> items) {
  dialog.SetWindowText(LoadLanguageString(dialog.GetWindowText()));
  for (int id : items) {
    if (CWnd* item = dialog.GetDlgItem(id)) item->SetWindowText(LoadLanguageString(item->GetWindowText()));
  }
}
