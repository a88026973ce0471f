// CFolderDialog: asks the user for a folder (the backup folder of the card tools) with the
// platform's folder picker, run with DoModal. Paths of any length are kept whole.
#pragma once

#include "platform/String.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/FolderPicker.h"

class CFolderDialog : public CCommonDialog {
 public:
  // `initialFolder` (null or empty: none) is selected when the picker opens; `flags` are BIF_ values.
  CFolderDialog(LPCWSTR title, LPCWSTR initialFolder, CWnd* parent, UINT flags);

  // False for a null path.
  BOOL SetInitialFolder(LPCWSTR path);
  // IDOK with a chosen folder, IDCANCEL when cancelled, -1 when the choice has no file-system path.
  INT_PTR DoModal() override;
  // The folder chosen by the last DoModal that returned IDOK; empty otherwise.
  const CString& GetFolderPath() const { return chosenPath_; }

 protected:
  // Called while the picker runs.
  virtual void OnInitialized();
  // `path` is empty for an item without a file-system path.
  virtual void OnSelChanged(const CString& path);
  // A typed name that does not exist: a non-zero answer keeps the picker open.
  virtual int OnValidateFailed(const CString& typed);
  // Only while one of the calls above runs.
  void SetSelection(const CString& path);
  void SetStatusText(const CString& text);

 private:
  // Makes the browser reachable for the length of one call from the picker.
  class BrowserScope {
   public:
    BrowserScope(CFolderDialog& dialog, plat::FolderBrowser& browser) : dialog_(dialog) { dialog_.browser_ = &browser; }
    ~BrowserScope() { dialog_.browser_ = nullptr; }
    BrowserScope(const BrowserScope&) = delete;
    BrowserScope& operator=(const BrowserScope&) = delete;

   private:
    CFolderDialog& dialog_;
  };

  CWnd* ModalOwner() const;

  CString title_;
  UINT flags_;
  CString initialFolder_;
  CString chosenPath_;
  plat::FolderBrowser* browser_ = nullptr;
};
