// Opening links and folders with the desktop's programs, and the warning beep, behind an
// injectable shell service.
#pragma once

#include <QUrl>

#include "platform/String.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/WinMessages.h"

constexpr UINT MB_ICONHAND = 0x10;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

// Opens an http or https link, a mailto address (everything after "mailto:" is the address,
// percent-encoded, so it cannot add headers) or an existing folder; the verb must be null, "open"
// or "explore". Anything else, files and programs above all, is refused with SE_ERR_ACCESSDENIED.
// Success is a value above 32.
HINSTANCE ShellExecute(HWND wnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);
void MessageBeep(UINT type);

namespace plat {

class IShell {
 public:
  virtual ~IShell() = default;
  virtual bool Open(const QUrl& url) = 0;
  virtual void Beep() = 0;
};

// Installs a shell (null: the desktop's again); returns the previous one.
IShell* SetShell(IShell* shell);
// What ShellExecute opens for a target, or an invalid URL for a target it refuses.
QUrl ShellTarget(const CString& operation, const CString& target);

}  // namespace plat
