// The pointer, cursors and the keyboard state as the message loop sees them.
#pragma once

#include "platform/Geometry.h"
#include "platform/wnd/WinInput.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// Standard cursors only: `name` is one of the IDC_ values; anything else gives null.
HCURSOR LoadCursor(HINSTANCE instance, LPCWSTR name);
// Shows the cursor over the window under the pointer (or the capturing window); returns the
// previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// The pointer in screen coordinates.
BOOL GetCursorPos(LPPOINT point);
// Confines the pointer positions given to windows to the rectangle (screen coordinates); null lifts it.
BOOL ClipCursor(LPCRECT rect);
// The key state as of the message being handled: the high bit (negative) while down, the low bit
// toggled by each press. VK_LBUTTON, VK_RBUTTON and VK_MBUTTON give the mouse buttons.
short GetKeyState(int virtualKey);
// The pointer position (x low, y high, 16 bits each) and tick count of the last message taken
// from the queue.
DWORD GetMessagePos();
LONG GetMessageTime();

// Shows the wait cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};
