// The folder picker behind an injectable service: the program's is Qt's directory dialog, tests
// script one. The browser's owner gets told when the picker opens, when the selection changes and
// when a typed name does not validate, and may set the selection and a status text.
#pragma once

#include <functional>

#include "platform/String.h"
#include "platform/wnd/WinMessages.h"

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_VALIDATE = 0x0020;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;

namespace plat {

class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  virtual void SetSelection(const CString& path) = 0;
  virtual void SetStatusText(const CString& text) = 0;
};

struct FolderBrowseEvents {
  std::function<void(FolderBrowser&)> initialized;
  // The path is empty for an item that has no file-system path.
  std::function<void(FolderBrowser&, const CString& path)> selectionChanged;
  // A non-zero answer keeps the picker open.
  std::function<int(FolderBrowser&, const CString& typed)> validateFailed;
};

struct FolderBrowseResult {
  int result = IDCANCEL;  // IDOK with a path, IDCANCEL, or -1: the choice has no file-system path
  CString path;
};

class IFolderPicker {
 public:
  virtual ~IFolderPicker() = default;
  virtual FolderBrowseResult Browse(HWND owner, const CString& title, UINT flags, FolderBrowseEvents& events) = 0;
};

// Installs a picker (null: Qt's again); returns the previous one.
IFolderPicker* SetFolderPicker(IFolderPicker* picker);
FolderBrowseResult BrowseForFolder(HWND owner, const CString& title, UINT flags, FolderBrowseEvents& events);

}  // namespace plat
