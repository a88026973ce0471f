// The window layer's record of one window and the internal services that the layer's files share.
// Only the window layer includes this header.
#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/Icon.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/Wnd.h"

class COleDropTarget;

namespace plat {

class Window;

// The default processing of one window class, one instance per window.
class ClassProc {
 public:
  virtual ~ClassProc() = default;
  // The Qt widget of a standard control; null for a window that draws itself.
  virtual QWidget* MakeWidget(Window& wnd, QWidget* parent);
  virtual LRESULT Proc(Window& wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Where the widget goes for a window rectangle (window coordinates of the parent widget).
  virtual QRect WidgetGeometry(Window& wnd, const QRect& windowRect);
};

// What every window does by default, whatever its class.
LRESULT DefaultProc(Window& wnd, UINT msg, WPARAM wParam, LPARAM lParam);

struct WindowClass {
  std::wstring name;
  UINT style = 0;
  HCURSOR cursor = nullptr;
  int background = 0;  // system colour index + 1; 0 for none
  std::function<std::unique_ptr<ClassProc>()> makeProc;
  std::function<CWnd*()> makeObject;  // the wrapper of a control that no object subclasses
};

const WindowClass* FindWindowClass(LPCWSTR name);
bool AddWindowClass(WindowClass cls);

struct ScrollBarState {
  SCROLLINFO info;
  bool shown = false;
  bool enabled = true;
  QPointer<QScrollBar> bar;
};

class Window {
 public:
  HWND handle = nullptr;
  CWnd* object = nullptr;
  bool ownsObject = false;  // a wrapper made by the layer, deleted with the window
  const WindowClass* cls = nullptr;
  std::unique_ptr<ClassProc> proc;
  QPointer<QWidget> widget;
  bool selfDrawn = true;
  Window* parent = nullptr;  // child windows
  Window* owner = nullptr;   // top-level windows owned by another
  std::vector<Window*> children;  // in creation order, which is the tab order
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT id = 0;
  CString text;
  CFont* font = nullptr;
  CRect rect;  // window rectangle: parent client coordinates for a child, screen for a top-level
  QImage backing;  // client-size pixels of a window that draws itself
  QRegion update;  // client coordinates
  bool eraseNeeded = false;
  bool inPaint = false;
  std::optional<QRegion> region;  // window coordinates
  std::optional<COLORREF> colorKey;  // layered: pixels of this colour are see-through
  QRegion keyShape;                  // client coordinates: what the colour key leaves
  ScrollBarState bars[2];
  bool destroying = false;
  bool leaveArmed = false;
  bool hiddenWithOwner = false;  // hidden while its owner is minimised
  Qt::WindowFlags frameFlags;    // the Qt flags given to a top-level window's widget
  COleDropTarget* dropTarget = nullptr;
  HICON icons[2] = {nullptr, nullptr};  // ICON_SMALL, ICON_BIG
  std::vector<QPointer<QWidget>> embedded;  // foreign widgets filling the client area
  std::vector<std::pair<HWND, QString>> tips;  // tips of tooltip controls, the newest last

  bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
  Window* TopLevel();
  Window* ParentOrOwner() const { return parent ? parent : owner; }
  bool HasOwnBorder() const;  // a 1-pixel frame drawn by the layer (WS_BORDER)
  QMargins NonClient() const;
  CRect ClientRect() const;
  QPoint ClientOrigin() const;  // the client area's top-left in window coordinates
  QPoint ClientToScreen(QPoint client) const;
  QPoint ScreenToClient(QPoint screen) const;
  QPoint WindowToScreen() const;  // screen position of the window's top-left
  // The window manager's frame around a top-level window with a caption (as last applied with
  // SWP_FRAMECHANGED), outside `rect`: as the platform reports it for the shown window, else as
  // last reported for any; none otherwise.
  QMargins Frame() const;
  CRect OuterRect() const;  // `rect` with the frame, as GetWindowRect gives it
  bool Visible() const;  // the window and every ancestor carry WS_VISIBLE
  bool Enabled() const;  // no WS_DISABLED on the window or a top-level ancestor

  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  void PlaceWidget();  // puts the widget at the window rectangle and sizes the backing image
};

// The size of a rectangle as WM_SIZE carries it (WndGeometry.cpp).
LPARAM PackSize(const CRect& rc);

// Attaching objects to windows.
struct WndAccess {
  static void Attach(CWnd& obj, const std::shared_ptr<Window>& wnd);
  static void Detach(CWnd& obj);
};

// Makes a window of a class for an object (Wnd.cpp). A child's rectangle is in the parent's client
// coordinates. Returns null when the class is unknown, a child has no parent or WM_CREATE fails.
std::shared_ptr<Window> CreateWindowFor(CWnd& obj, DWORD exStyle, const WindowClass& cls, const CString& text,
                                        DWORD style, const CRect& rect, Window* parent, UINT id);
// Registers the standard control classes (StandardClasses.cpp), each made by its control's file.
void RegisterStandardClasses();
WindowClass ButtonClass();
WindowClass StaticClass();
WindowClass EditClass();
WindowClass ComboBoxClass();
WindowClass ListViewClass();
WindowClass DateTimeClass();
WindowClass ProgressClass();
WindowClass ToolTipClass();
// Default erasing with the class background; TRUE when erased (WndPaint.cpp).
LRESULT EraseWithClassBrush(Window& wnd, HDC dc);
// Client contexts of a window that is going draw nowhere from then on (WndPaint.cpp).
void ForgetHeldDcs(HWND wnd);
// Client contexts kept between messages may have drawn: the next paint pass shows their windows.
void ShowHeldDcDrawing();
// What a window that does not paint does: validates, erasing first when asked (WndPaint.cpp).
void ValidateWithDefaultPaint(Window& wnd);
// Starts moving a top-level window with the pointer, as a press on its caption does (Input.cpp).
void BeginMoveByCaption(Window& wnd);

// --- handles and threads (MessageRouter.cpp)
bool IsUiThread();
// Debug builds: a window operation called off the UI thread is reported (by default the program
// stops with the operation's name). Worker threads use ::ShowWindow(HWND), PostMessage and
// SendMessage, which the router carries to the UI thread.
void RequireUiThread(const char* operation);
void SetWrongThreadHandler(std::function<void(const char*)> handler);
HWND RegisterWindow(const std::shared_ptr<Window>& wnd);
void UnregisterWindow(Window& wnd);
Window* WindowOf(HWND wnd);
std::shared_ptr<Window> SharedWindowOf(HWND wnd);
std::vector<Window*> TopLevelWindows();  // bottom first
void RaiseTopLevel(Window& wnd);
void SetTopLevel(Window& wnd, bool topLevel);
// Runs a queued message as the message loop would: the pre-translation chain, then the window.
// Returns false when a pre-translation consumed it or the window is gone.
bool DispatchQueued(MSG& msg);
// The pre-translation chain alone, from the message's window up; true when it was consumed.
bool PreTranslateChain(MSG& msg);
// Posts from the window thread, at the given Qt priority.
void PostQueued(const MSG& msg, int priority = 0);
void AbortSendsTo(HWND wnd);
// Counts messages dispatched, so that a pump can tell when nothing happens any more.
std::uint64_t Activity();
void NoteActivity();

// --- loops and timers (MessageLoop.cpp, Timers.cpp)
void WakeLoop();
// Modal loops call the hook when nothing is left to do; it returns false when nothing it could do
// would end the loop (the loop then gives up with -1). Set by the test harness; real loops wait.
void SetModalIdleHook(std::function<bool()> hook);
// Runs until `running` turns false; -1 when a test's idle hook gave up.
int RunModalLoop(const std::function<bool()>& running, const std::function<void()>& onFirstIdle);
bool PumpOnce();
UINT_PTR StartTimer(Window& wnd, UINT_PTR id, UINT ms);
bool StopTimer(HWND wnd, UINT_PTR id);
void StopTimers(HWND wnd);
bool FireDueTimers();
std::optional<std::uint64_t> NextTimerDue();
// Timers fire only when a test's pump asks (FireDueTimers), never from a real-time wake-up.
void SetManualTime(bool manual);

// --- input (Input.cpp)
HWND CaptureWindow();
void SetCaptureWindow(Window* wnd);
Window* FocusWindow();
void SetFocusWindow(Window* wnd);
void ForgetWindow(Window& wnd);  // the window is going: drop capture, focus, hover references
Window* HitTest(QPoint screen, LRESULT* hit);
QPoint CursorPos();
void OnQtMouse(QEvent* event);
void OnQtKey(QEvent* event);
// The key or mouse event of a foreign widget that handles its own input, as the owner's message
// through the pre-translation chain alone; true when a PreTranslateMessage consumed it.
bool PreTranslateForeignInput(Window& owner, QEvent* event);
void OnQtLeave(Window& wnd);
void OnQtFocusIn(Window& wnd, int reason);
bool ArmLeaveTracking(Window& wnd, bool arm);
Qt::KeyboardModifiers ModifiersOfKeyState();
void SetKeyDown(int vk, bool down);
void SetMessageContext(const MSG& msg);

// --- painting (WndPaint.cpp)
void InvalidateClient(Window& wnd, const QRegion& rgn, bool erase);
void InvalidateWhole(Window& wnd, bool erase);  // the whole client area
// The whole client areas of the window and of all its descendants, erased.
void InvalidateTree(Window& wnd);
bool PaintWindow(Window& wnd);
bool PaintAll();
void SchedulePaint();
void ResizeBacking(Window& wnd);
// The widget's shape: the window region, less the colour key's pixels of a layered window.
void ApplyShape(Window& wnd);
void PaintWidget(Window& wnd, QWidget& widget, const QRegion& exposed);
// The window's font as Qt shows it: the one set with WM_SETFONT, else the message font.
QFont FontOf(const Window& wnd);

// --- scroll bars (ScrollBars.cpp)
void LayoutScrollBars(Window& wnd);

// --- the widget of a window that draws itself (WndWidget.cpp)
QWidget* MakeSelfDrawnWidget(Window& wnd, QWidget* parent);
// Shared event handling of every widget of the layer; true when the event was consumed.
bool HandleWidgetEvent(Window* wnd, QWidget& widget, QEvent* event);
// Drag-and-drop events of a widget: drop targets and dropped files (DragDrop.cpp).
bool HandleDropEvent(Window& wnd, QEvent* event);
void ForgetDropTarget(Window& wnd);
// The widget takes drags while the window accepts files or has a drop target.
void FollowDropStyle(Window& wnd);
// --- frames (WndFrame.cpp)
// The Qt window flags of a top-level window's styles.
Qt::WindowFlags TopLevelFlags(const Window& wnd);
// Gives a top-level window's widget the flags of its styles when they changed.
void ApplyTopLevelFlags(Window& wnd);
// The window becomes a child of `target` (with WS_CHILD) or a top-level window owned by
// target's top-level window (null: none), keeping its rectangle's numbers.
void Relink(Window& wnd, Window* target);
// Style changes take effect: child or top-level as WS_CHILD says, the frame as the caption says.
void ApplyFrame(Window& wnd);
// The window rectangle less the frame.
CRect InnerRect(const Window& wnd, const CRect& outer);
// The same for a window about to be made with the style.
CRect InnerRectForNew(DWORD style, const CRect& outer);
// A window size as the tracking limits of a sizing frame allow it (WM_GETMINMAXINFO).
CSize ClampToTracking(Window& wnd, CSize outer);
// The new widget geometry of a top-level window that the user sized to `geometry`: the window
// may change the proposal in WM_SIZING, then the tracking limits apply.
QRect ProposeSizing(Window& wnd, const QRect& geometry);
void HideOwnedWindows(Window& owner);
void ShowOwnedWindows(Window& owner);
// The owner has just been mapped: its owned windows shown before tell the window manager their
// owner again and are raised, so that a window manager, which takes a window's owner only when it
// manages both, keeps them above it.
void RenewOwnerHints(Window& owner);
// Foreign widgets of the window follow its client area (ForeignWidget.cpp).
void PlaceEmbedded(Window& wnd);
// Default processing of WM_SETICON and WM_GETICON (Icon.cpp).
LRESULT SetIconOf(Window& wnd, WPARAM which, HICON icon);
LRESULT IconOf(const Window& wnd, WPARAM which);
// Tips of tooltip controls: the widget shows the tip set last of those still there (ToolTipCtrl.cpp).
void SetTip(Window& tool, HWND control, const std::optional<QString>& text);

}  // namespace plat
