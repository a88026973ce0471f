// CWnd: a window of the program. Each window is one Qt widget; the C++ object attached to it
// receives the window's messages through WindowProc, where each class switches on the message
// and calls DefWindowProc ("default processing") for what it leaves to its window class.
//
// Writing a window class:
// - WindowProc switches on the message; what a class does not handle falls through to its base
//   class's WindowProc (never straight to DefWindowProc, which would skip the bases).
// - Default() runs the default processing of the message being dispatched to this window. A
//   handler that other code also calls directly (a paint handler calling the timer handler, a
//   handler called after a seek) must not call Default(): called directly, it is not handling
//   that message, and Default() would process whatever message is being dispatched instead.
//   Such handlers return their result and leave the default processing to WindowProc.
// - Only the UI thread touches a window (debug builds stop on a wrong thread). Worker threads
//   use ::ShowWindow(HWND), PostMessage and SendMessage, which reach the UI thread.
#pragma once

#include <memory>

#include "platform/Geometry.h"
#include "platform/String.h"
#include "platform/wnd/WinInput.h"
#include "platform/wnd/WinMessages.h"
#include "platform/wnd/WinStyles.h"

class CDC;
class CFont;
class CRgn;
class QWidget;

namespace plat {
class Window;
struct WndAccess;
}

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window's handle; null while the object has no window.
  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  // The object attached to a live window, or null.
  static CWnd* FromHandle(HWND wnd);

  // Placement targets of SetWindowPos.
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;

  // --- creation and destruction
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id);
  BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  virtual BOOL DestroyWindow();
  // Attaches this object to an existing window (a dialog's control): it receives the window's
  // messages from then on; PreSubclassWindow runs once attached.
  BOOL SubclassWindow(HWND wnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  virtual void PreSubclassWindow();
  // Called after the window is gone; self-deleting windows delete themselves here.
  virtual void PostNcDestroy();

  // --- messages
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window class's own processing of a message.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Default processing of the message being handled.
  LRESULT Default();
  // A notification reflected from the parent (owner drawing); TRUE when handled.
  virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Direct on the window's thread; from another thread it waits until the window's thread has
  // handled it. A window that is gone answers 0.
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Queued; callable from any thread.
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // --- geometry (client coordinates start at the client area's top-left)
  void GetClientRect(LPRECT rect) const;
  void GetWindowRect(LPRECT rect) const;  // screen coordinates
  void ClientToScreen(LPPOINT point) const;
  void ClientToScreen(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const;
  void ScreenToClient(LPRECT rect) const;
  void MapWindowPoints(const CWnd* to, LPRECT rect) const;
  void MapWindowPoints(const CWnd* to, LPPOINT points, UINT count) const;
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void CenterWindow(CWnd* alternateOwner = nullptr);
  // The region (window coordinates) becomes the window's; null removes it. Clips painting and
  // hit testing.
  int SetWindowRgn(CRgn* region, BOOL redraw);
  // A top-level WS_EX_LAYERED window: LWA_ALPHA makes the whole window translucent; with
  // LWA_COLORKEY its pixels of the key colour are neither shown nor hit.
  BOOL SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags);

  // --- state
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  int GetDlgCtrlID() const;
  CWnd* GetParent() const;
  CWnd* SetParent(CWnd* newParent);
  CWnd* GetOwner() const;
  CWnd* GetDlgItem(int id) const;
  CWnd* GetNextDlgGroupItem(CWnd* from, BOOL previous = FALSE) const;
  CWnd* GetNextDlgTabItem(CWnd* from, BOOL previous = FALSE) const;
  BOOL IsChild(const CWnd* wnd) const;
  // Checks one radio button of the items firstId..lastId and clears the others.
  void CheckRadioButton(int firstId, int lastId, int checkId);
  CString GetWindowText() const;
  void GetWindowText(CString& text) const;
  void SetWindowText(LPCWSTR text);
  int GetWindowTextLength() const;
  void SetFont(CFont* font, BOOL redraw = TRUE);
  CFont* GetFont() const;

  // --- painting
  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
  BOOL RedrawWindow(LPCRECT rect = nullptr, CRgn* region = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  void UpdateWindow();
  // A device context on the client area outside painting; release it with ReleaseDC.
  CDC* GetDC();
  int ReleaseDC(CDC* dc);

  // --- timers (WM_TIMER, coalesced)
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* unusedCallback = nullptr);
  BOOL KillTimer(UINT_PTR id);

  // --- mouse and keyboard
  CWnd* SetCapture();
  static CWnd* GetCapture();
  CWnd* SetFocus();
  static CWnd* GetFocus();
  static CWnd* WindowFromPoint(POINT screen);
  void DragAcceptFiles(BOOL accept = TRUE);

  // --- scroll bars of the window (SB_HORZ, SB_VERT)
  BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE);
  BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL) const;
  int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
  int GetScrollPos(int bar) const;
  void ShowScrollBar(UINT bar, BOOL show = TRUE);
  void EnableScrollBarCtrl(int bar, BOOL enable = TRUE);

  // --- the Qt side, for the window layer and the test harness
  plat::Window* Impl() const;
  QWidget* Widget() const;

 private:
  friend struct plat::WndAccess;
  std::shared_ptr<plat::Window> window_;
};

// Window classes: a name with a class style, a cursor and a background colour index + 1 (0 for
// none). Registering a name that exists is a success that changes nothing.
struct WNDCLASSW {
  UINT style = 0;
  HCURSOR hCursor = nullptr;
  int hbrBackground = 0;  // system colour index + 1, 0 for none
  LPCWSTR lpszClassName = nullptr;
};
BOOL RegisterClass(const WNDCLASSW* cls);
BOOL GetClassInfo(LPCWSTR className, WNDCLASSW* cls);

BOOL IsWindow(HWND wnd);
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
HWND SetCapture(HWND wnd);
BOOL ReleaseCapture();
HWND GetCapture();
HWND GetFocus();
