// FileManager: the backup-file manager (template 1571), a modeless window of the main window. It
// lists the `.sd` backups of the backup folder with their sizes and times; it does not open,
// copy, rename or delete them.
#pragma once

#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListCtrl.h"

class FileManager : public CDialog {
 public:
  static constexpr UINT kTemplate = 1571;
  static constexpr int kFolderText = 1001;
  static constexpr int kFileList = 1002;

  explicit FileManager(CWnd* parent);

  // Refills the list from the backup folder, by name.
  void RefreshBackupList();

  BOOL OnInitDialog() override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  CListCtrl fileList_;
};
