// Headless, deterministic running of windows for tests, in the test's own process.
//
// Init (once, after the QApplication exists, on Qt's offscreen platform) installs a fake tick clock
// that drives timers, double clicks and GetTickCount; timers fire only when the test moves time;
// and fake services: clipboard, message boxes, shell, folder picker and drag loop. Modal loops,
// when idle, run the steps queued with WhileModal, then move time to the next due timer, and give
// up (DoModal returns -1) when neither is left. Input is given as Qt events to the windows'
// widgets and then pumped, so it takes the same way as the user's.
#pragma once

#include <QImage>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Time.h"
#include "platform/wnd/Clipboard.h"
#include "platform/wnd/DragDrop.h"
#include "platform/wnd/FolderPicker.h"
#include "platform/wnd/Menu.h"
#include "platform/wnd/Wnd.h"
#include "tests/support/FakeClock.h"

namespace plat::test {

void Init();
// Back to a clean state between tests: key state up, fakes emptied, no queued modal steps.
void Reset();
FakeClock& Clock();

// Runs posted messages, due timers and the paint pass until nothing more happens.
void Pump();
// Moves the clock in steps to each due timer (pumping after each), then to now + ms.
void AdvanceTime(std::uint32_t ms);
// Runs when a modal loop is next idle, in the order queued.
void WhileModal(std::function<void()> step);

// A pixel of a window's backing image (client coordinates).
COLORREF Pixel(const CWnd* wnd, int x, int y);
// The client area as the screen shows it: the window with its children over it.
QImage Grab(const CWnd* wnd);
// Writes the image as <name>.png under $PLAYER_TEST_OUTPUT (or the working folder); returns the path.
QString SavePng(const QImage& image, const QString& name);

// Mouse messages (WM_MOUSEMOVE, WM_[LRM]BUTTONDOWN/UP) at a client point of the window; the point
// may lie outside it. `keys` adds MK_SHIFT and MK_CONTROL.
void Mouse(const CWnd* wnd, UINT msg, CPoint client, WPARAM keys = 0);
void Wheel(const CWnd* wnd, CPoint client, int delta);
// The window that the pointer reaches at a screen point: the uppermost shown top-level window
// there and in it the uppermost child; null for none.
CWnd* WindowAt(CPoint screen);
// A click of the left button at a screen point (clicks 2: a double click) as the user gives it:
// to the widget lying uppermost there, which Qt or the layer then hands on. Returns the window
// the pointer reached, as WindowAt.
CWnd* ClickAt(CPoint screen, int clicks = 1);
// The screen as it shows the shown top-level windows, the lowest first (without their frames).
QImage GrabScreen();
// WM_KEYDOWN / WM_KEYUP of a virtual key to the focus window; WM_CHAR of a character.
void Key(UINT msg, int code);
void SetKeyState(int vk, bool down);
// Replaces the primary screen's size (GetSystemMetrics SM_CXSCREEN, SM_CYSCREEN, the work area);
// Reset goes back to 1920 x 1080.
void SetScreenSize(int width, int height);
// Debug builds report window operations called off the UI thread to the handler instead of
// stopping the program; null goes back to stopping.
void OnWrongThread(std::function<void(const char*)> handler);
// Changes a system colour and tells every window with WM_SYSCOLORCHANGE.
void SetSysColor(int index, COLORREF color);

// Fake services.
struct MessageBoxCall {
  HWND owner;
  CString text;
  CString caption;
  UINT type;
};
// The answers of the next message boxes, in order; without one a box answers its first button.
void AnswerMessageBoxes(std::vector<int> answers);
std::vector<MessageBoxCall> MessageBoxes();
struct PopupMenuCall {
  HWND owner;
  std::vector<MenuItem> items;
  CPoint at;
  UINT flags;
};
// The ids the next pop-up menus choose, in order; without one a menu ends without a choice.
void AnswerPopupMenus(std::vector<UINT_PTR> answers);
std::vector<PopupMenuCall> PopupMenus();
std::vector<QUrl> OpenedUrls();
int Beeps();
void SetClipboardData(const ClipData& data);
ClipData ClipboardData();

struct FolderStep {
  enum Kind { Select, TypeInvalid } kind;
  CString text;  // the path selected (empty: an item without a path), or the text typed
};
// Scripts the next folder picker: after its steps it ends with the result (a validate-failed answer
// of 0 ends it at once with IDCANCEL).
void ScriptFolderPicker(std::vector<FolderStep> steps, FolderBrowseResult result);
std::vector<CString> FolderStatusTexts();
std::vector<CString> FolderSelections();

struct DragMove {
  DragStep step;
  const CWnd* target;
  CPoint client;
  DWORD keyState;
};
// Scripts the next drag loop: its steps go to the targets' drop targets, and DoDragDrop returns
// the drop's effect, or `outside` for a script without a drop (a drop into another program).
void ScriptDrag(std::vector<DragMove> moves, DROPEFFECT outside = DROPEFFECT_NONE);
// A drag that comes from another program carrying the data.
DROPEFFECT DragFromOutside(const ClipData& data, const std::vector<DragMove>& moves);

// Records every message a window receives, and answers them as told.
class SpyWnd : public CWnd {
 public:
  struct Record {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    NMHDR notify;  // a copy of the header for WM_NOTIFY
  };
  BOOL CreateTopLevel(const CRect& rect, DWORD style = WS_POPUP | WS_VISIBLE);
  BOOL CreateChild(CWnd* parent, const CRect& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The records of one message, in order.
  std::vector<Record> Of(UINT msg) const;
  std::vector<UINT> Messages() const;
  void Clear() { records.clear(); }

  std::vector<Record> records;
  std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> answer;
};

}  // namespace plat::test
