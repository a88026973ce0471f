// Message boxes, captioned with the program's name, behind an injectable service. A box is modal:
// while it is shown, timers and posted messages are still dispatched.
#pragma once

#include "platform/String.h"
#include "platform/wnd/WinMessages.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

// Returns the button chosen: IDOK, IDCANCEL, IDYES, IDNO, IDRETRY.
int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Captioned with the program's name, owned by the active window.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
LPCWSTR AfxGetAppName();

namespace plat {

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual int Show(HWND owner, const CString& text, const CString& caption, UINT type) = 0;
};

// Installs a message-box service (null: Qt's message boxes again); returns the previous one.
IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes);
void SetAppName(const CString& name);

}  // namespace plat
