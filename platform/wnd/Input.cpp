// Mouse and keyboard input: Qt events become the platform's input messages.
//
// The window that gets a mouse message is chosen here, not by Qt: the capturing window, else the
// deepest visible and enabled window under the pointer that does not answer HTTRANSPARENT, within
// its window region. Double clicks, leave tracking, cursor requests and the caption move loop are
// ours too, timed by the tick clock, so that tests drive them deterministically.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <array>

#include "platform/Time.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/KeyMap.h"
#include "platform/wnd/SysMetrics.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

constexpr int kDragThreshold = 4;
constexpr UINT kNonClientOffset = WM_LBUTTONDOWN - WM_NCLBUTTONDOWN;

struct PressRecord {
  HWND wnd = nullptr;
  UINT message = 0;
  DWORD time = 0;
  QPoint pos;
};

struct MoveLoop {
  HWND wnd = nullptr;
  QPoint start;
  QPoint windowStart;
  bool moving = false;
};

struct InputState {
  HWND capture = nullptr;
  HWND focus = nullptr;
  HWND under = nullptr;
  QPoint cursor;
  std::optional<QRect> clip;
  std::array<bool, 256> down{};
  std::array<bool, 256> toggled{};
  PressRecord lastPress;
  MoveLoop move;
  HCURSOR cursorShape = nullptr;
  MSG context;
};

InputState g;

LPARAM PackPoint(QPoint p) {
  return MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(p.x())), static_cast<WORD>(static_cast<std::int16_t>(p.y())));
}

void SetDown(int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  if (down && !g.down[static_cast<size_t>(vk)]) g.toggled[static_cast<size_t>(vk)] = !g.toggled[static_cast<size_t>(vk)];
  g.down[static_cast<size_t>(vk)] = down;
}

void SyncModifiers(Qt::KeyboardModifiers mods) {
  SetDown(VK_SHIFT, mods.testFlag(Qt::ShiftModifier));
  SetDown(VK_CONTROL, mods.testFlag(Qt::ControlModifier));
  SetDown(VK_MENU, mods.testFlag(Qt::AltModifier));
}

void SyncButtons(Qt::MouseButtons buttons) {
  SetDown(VK_LBUTTON, buttons.testFlag(Qt::LeftButton));
  SetDown(VK_RBUTTON, buttons.testFlag(Qt::RightButton));
  SetDown(VK_MBUTTON, buttons.testFlag(Qt::MiddleButton));
}

WPARAM MouseKeys() {
  WPARAM mk = 0;
  if (g.down[VK_LBUTTON]) mk |= MK_LBUTTON;
  if (g.down[VK_RBUTTON]) mk |= MK_RBUTTON;
  if (g.down[VK_MBUTTON]) mk |= MK_MBUTTON;
  if (g.down[VK_SHIFT]) mk |= MK_SHIFT;
  if (g.down[VK_CONTROL]) mk |= MK_CONTROL;
  return mk;
}

bool InsideShape(const Window& w, QPoint screen) {
  const QPoint p = screen - w.WindowToScreen();
  if (!QRect(0, 0, w.rect.Width(), w.rect.Height()).contains(p)) return false;
  if (w.colorKey && !w.keyShape.contains(p - w.ClientOrigin())) return false;
  return !w.region || w.region->contains(p);
}

Window* WindowOfWidget(QObject* obj) {
  const QVariant v = obj->property("plat.hwnd");
  return v.isValid() ? WindowOf(reinterpret_cast<HWND>(v.value<qulonglong>())) : nullptr;
}

Window* HitTestIn(Window& w, QPoint screen, LRESULT* hit) {
  if (w.widget) {
    const QObjectList& kids = w.widget->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      Window* child = WindowOfWidget(*it);
      if (!child || !child->IsChild() || !child->Visible() || !child->Enabled() || !InsideShape(*child, screen)) continue;
      if (Window* found = HitTestIn(*child, screen, hit)) return found;
    }
  }
  const LRESULT code = w.Send(WM_NCHITTEST, 0, PackPoint(screen));
  if (code == HTTRANSPARENT) return nullptr;
  *hit = code;
  return &w;
}

void UpdateHover(Window* under) {
  const HWND h = under ? under->handle : nullptr;
  if (h == g.under) return;
  Window* old = WindowOf(g.under);
  g.under = h;
  if (old && old->leaveArmed) {
    old->leaveArmed = false;
    MSG m;
    m.hwnd = old->handle;
    m.message = WM_MOUSELEAVE;
    PostQueued(m);
  }
}

// The caption move loop: starts once the pointer travels past the drag threshold with the button
// held; a release after a move is swallowed, a release without one reaches the window.
bool HandleMoveLoop(QEvent::Type type, QPoint screen) {
  if (!g.move.wnd) return false;
  Window* top = WindowOf(g.move.wnd);
  if (type == QEvent::MouseButtonRelease || !top) {
    const bool swallow = g.move.moving && top;
    g.move = {};
    return swallow;
  }
  if (type != QEvent::MouseMove) return false;
  const QPoint d = screen - g.move.start;
  if (!g.move.moving && std::abs(d.x()) <= kDragThreshold && std::abs(d.y()) <= kDragThreshold) return false;
  g.move.moving = true;
  const QPoint to = g.move.windowStart + d;
  top->object->SetWindowPos(nullptr, to.x(), to.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

UINT ButtonBase(Qt::MouseButton button) {
  if (button == Qt::RightButton) return WM_RBUTTONDOWN;
  if (button == Qt::MiddleButton) return WM_MBUTTONDOWN;
  return WM_LBUTTONDOWN;
}

UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button, const Window& target, QPoint screen) {
  const UINT base = ButtonBase(button);
  if (type == QEvent::MouseButtonRelease) return base + 1;
  const DWORD now = GetTickCount();
  const QPoint d = screen - g.lastPress.pos;
  const int half = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  const bool dbl = (target.cls->style & CS_DBLCLKS) && g.lastPress.wnd == target.handle && g.lastPress.message == base &&
                   now - g.lastPress.time <= GetDoubleClickTime() && std::abs(d.x()) <= half && std::abs(d.y()) <= half;
  if (dbl) {
    g.lastPress = {};
    return base + 2;
  }
  g.lastPress = {target.handle, base, now, screen};
  return base;
}

void DispatchMouse(QEvent::Type type, Qt::MouseButton button, QPoint screen) {
  LRESULT hit = HTCLIENT;
  Window* captured = WindowOf(g.capture);
  Window* under = HitTest(screen, &hit);
  UpdateHover(under);
  Window* target = captured ? captured : under;
  if (!target) return;
  if (captured) hit = HTCLIENT;
  const UINT clientMsg = type == QEvent::MouseMove ? WM_MOUSEMOVE : ButtonMessage(type, button, *target, screen);
  MSG m;
  m.hwnd = target->handle;
  m.time = GetTickCount();
  m.pt = {screen.x(), screen.y()};
  if (hit == HTCLIENT) {
    m.message = clientMsg;
    m.wParam = MouseKeys();
    m.lParam = PackPoint(target->ScreenToClient(screen));
  } else {
    m.message = clientMsg - kNonClientOffset;
    m.wParam = static_cast<WPARAM>(hit);
    m.lParam = PackPoint(screen);
  }
  if (!captured && (clientMsg == WM_MOUSEMOVE || type == QEvent::MouseButtonPress)) {
    target->Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(target->handle),
                 MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(m.message)));
  }
  DispatchQueued(m);
}

void DispatchWheel(QWheelEvent* we, QPoint screen) {
  LRESULT hit = HTCLIENT;
  Window* target = WindowOf(g.focus);
  if (!target) target = HitTest(screen, &hit);
  if (!target) return;
  MSG m;
  m.hwnd = target->handle;
  m.message = WM_MOUSEWHEEL;
  const int delta = we->angleDelta().y();
  m.wParam = MAKEWPARAM(static_cast<WORD>(MouseKeys()), static_cast<WORD>(static_cast<std::int16_t>(delta)));
  m.lParam = PackPoint(screen);
  m.pt = {screen.x(), screen.y()};
  DispatchQueued(m);
}

std::vector<wchar_t> CharsOf(const QKeyEvent& ke, int vk) {
  const bool ctrl = g.down[VK_CONTROL];
  if (ctrl && !g.down[VK_MENU] && vk >= 'A' && vk <= 'Z') return {static_cast<wchar_t>(vk - 'A' + 1)};
  std::vector<wchar_t> out;
  for (QChar c : ke.text()) {
    if (c.unicode() != 0x7F) out.push_back(static_cast<wchar_t>(c.unicode()));
  }
  if (out.empty()) {
    if (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB || vk == VK_BACK || vk == VK_SPACE) {
      out.push_back(static_cast<wchar_t>(vk == VK_RETURN ? 13 : vk));
    }
  }
  return out;
}

Window* KeyTarget() {
  if (Window* f = WindowOf(g.focus)) return f;
  const std::vector<Window*> tops = TopLevelWindows();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if ((*it)->Visible()) return *it;
  }
  return nullptr;
}

Qt::CursorShape ShapeOf(HCURSOR cursor) {
  switch (reinterpret_cast<UINT_PTR>(cursor)) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

// Follows the key in the key state and makes its key message for the target; the message is
// WM_NULL for a key without a virtual key code.
MSG KeyMessage(const QKeyEvent& ke, HWND target) {
  const bool press = ke.type() == QEvent::KeyPress;
  const int vk = VirtualKeyOf(ke.key(), ke.modifiers().testFlag(Qt::KeypadModifier));
  SyncModifiers(ke.modifiers());
  const bool wasDown = vk > 0 && g.down[static_cast<size_t>(vk)];
  SetDown(vk, press);
  const bool alt = g.down[VK_MENU];
  MSG m;
  m.hwnd = target;
  m.time = GetTickCount();
  m.pt = {g.cursor.x(), g.cursor.y()};
  m.lParam = 1 | (alt ? (1 << 29) : 0) | (wasDown ? (1 << 30) : 0) | (press ? 0 : static_cast<LPARAM>(0xC0000000u));
  if (vk > 0) {
    m.message = press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    m.wParam = static_cast<WPARAM>(vk);
  }
  return m;
}

// The mouse message of a Qt mouse event as it stands, without the layer's own double clicks.
MSG ForeignMouseMessage(const QMouseEvent& me, const Window& target) {
  const QPoint screen = me.globalPosition().toPoint();
  g.cursor = screen;
  SyncModifiers(me.modifiers());
  SyncButtons(me.buttons());
  MSG m;
  m.hwnd = target.handle;
  m.time = GetTickCount();
  m.pt = {screen.x(), screen.y()};
  const UINT base = ButtonBase(me.button());
  switch (me.type()) {
    case QEvent::MouseButtonPress: m.message = base; break;
    case QEvent::MouseButtonRelease: m.message = base + 1; break;
    case QEvent::MouseButtonDblClick: m.message = base + 2; break;
    default: m.message = WM_MOUSEMOVE; break;
  }
  m.wParam = MouseKeys();
  m.lParam = PackPoint(target.ScreenToClient(screen));
  return m;
}

}  // namespace

HWND CaptureWindow() { return g.capture; }

void SetCaptureWindow(Window* wnd) {
  const HWND h = wnd ? wnd->handle : nullptr;
  const HWND old = g.capture;
  g.capture = h;
  if (old == h) return;
  if (Window* o = WindowOf(old)) o->Send(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(h));
}

Window* FocusWindow() { return WindowOf(g.focus); }

void SetFocusWindow(Window* wnd) {
  const HWND h = wnd ? wnd->handle : nullptr;
  if (h == g.focus) return;
  const HWND old = g.focus;
  g.focus = h;
  if (Window* o = WindowOf(old)) o->Send(WM_KILLFOCUS, reinterpret_cast<WPARAM>(h));
  Window* now = WindowOf(h);
  if (g.focus != h || !now) return;
  if (now->widget) now->widget->setFocus(Qt::OtherFocusReason);
  now->Send(WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
}

void ForgetWindow(Window& wnd) {
  if (g.capture == wnd.handle) g.capture = nullptr;
  if (g.focus == wnd.handle) g.focus = nullptr;
  if (g.under == wnd.handle) g.under = nullptr;
  if (g.lastPress.wnd == wnd.handle) g.lastPress = {};
  if (g.move.wnd == wnd.handle) g.move = {};
}

Window* HitTest(QPoint screen, LRESULT* hit) {
  const std::vector<Window*> tops = TopLevelWindows();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    Window* top = *it;
    if (!top->Visible() || !InsideShape(*top, screen)) continue;
    return top->Enabled() ? HitTestIn(*top, screen, hit) : nullptr;
  }
  return nullptr;
}

QPoint CursorPos() { return g.cursor; }

void OnQtMouse(QEvent* event) {
  const auto* pe = static_cast<const QSinglePointEvent*>(event);
  QPoint screen = pe->globalPosition().toPoint();
  if (g.clip) {
    screen.setX(std::clamp(screen.x(), g.clip->left(), g.clip->right()));
    screen.setY(std::clamp(screen.y(), g.clip->top(), g.clip->bottom()));
  }
  g.cursor = screen;
  SyncModifiers(pe->modifiers());
  SyncButtons(pe->buttons());
  if (event->type() == QEvent::Wheel) {
    DispatchWheel(static_cast<QWheelEvent*>(event), screen);
    return;
  }
  const QEvent::Type type = event->type() == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : event->type();
  if (HandleMoveLoop(type, screen)) return;
  DispatchMouse(type, pe->button(), screen);
}

void OnQtKey(QEvent* event) {
  const auto* ke = static_cast<const QKeyEvent*>(event);
  const bool press = event->type() == QEvent::KeyPress;
  Window* target = KeyTarget();
  MSG m = KeyMessage(*ke, target ? target->handle : nullptr);
  if (!target) return;
  const int vk = m.message == WM_NULL ? 0 : static_cast<int>(m.wParam);
  const bool alt = g.down[VK_MENU];
  bool translate = true;
  if (vk > 0) translate = DispatchQueued(m);
  if (!press || !translate) return;
  for (wchar_t c : CharsOf(*ke, vk)) {
    m.message = alt ? WM_SYSCHAR : WM_CHAR;
    m.wParam = static_cast<WPARAM>(c);
    DispatchQueued(m);
  }
}

bool PreTranslateForeignInput(Window& owner, QEvent* event) {
  MSG m;
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    m = KeyMessage(*static_cast<const QKeyEvent*>(event), owner.handle);
  } else if (event->type() != QEvent::Wheel) {
    m = ForeignMouseMessage(*static_cast<const QMouseEvent*>(event), owner);
  }
  if (m.message == WM_NULL) return false;
  SetMessageContext(m);
  return PreTranslateChain(m);
}

void OnQtLeave(Window& wnd) {
  if (!wnd.IsChild() && g.under && !g.capture) UpdateHover(nullptr);
}

void OnQtFocusIn(Window& wnd, int reason) {
  if (reason == Qt::MouseFocusReason) {
    SetFocusWindow(&wnd);
  } else if (reason == Qt::ActiveWindowFocusReason) {
    // A window made active keeps the focus it had; a focus left in another window comes here.
    Window* f = WindowOf(g.focus);
    if (f && f != &wnd && f->widget && f->TopLevel() == wnd.TopLevel()) {
      f->widget->setFocus(Qt::OtherFocusReason);
    } else if (f && f->TopLevel() != wnd.TopLevel()) {
      SetFocusWindow(&wnd);
    }
  }
}

bool ArmLeaveTracking(Window& wnd, bool arm) {
  if (!arm) {
    wnd.leaveArmed = false;
    return true;
  }
  if (g.under != wnd.handle) {
    MSG m;
    m.hwnd = wnd.handle;
    m.message = WM_MOUSELEAVE;
    PostQueued(m);
    return true;
  }
  wnd.leaveArmed = true;
  return true;
}

void SetMessageContext(const MSG& msg) { g.context = msg; }

void BeginMoveByCaption(Window& wnd) {
  Window* top = wnd.TopLevel();
  if (!g.down[VK_LBUTTON] || !top->object) return;
  const CRect outer = top->OuterRect();
  g.move = {top->handle, g.cursor, QPoint(outer.left, outer.top), false};
}

Qt::KeyboardModifiers ModifiersOfKeyState() {
  Qt::KeyboardModifiers mods;
  if (g.down[VK_SHIFT]) mods |= Qt::ShiftModifier;
  if (g.down[VK_CONTROL]) mods |= Qt::ControlModifier;
  if (g.down[VK_MENU]) mods |= Qt::AltModifier;
  return mods;
}

void SetKeyDown(int vk, bool down) { SetDown(vk, down); }

}  // namespace plat

using plat::g;

HCURSOR LoadCursor(HINSTANCE, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const auto id = reinterpret_cast<UINT_PTR>(name);
  static const UINT_PTR known[] = {32512, 32513, 32514, 32515, 32644, 32645, 32646, 32648, 32649};
  for (UINT_PTR k : known) {
    if (k == id) return reinterpret_cast<HCURSOR>(id);
  }
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  const HCURSOR old = g.cursorShape;
  g.cursorShape = cursor;
  plat::Window* w = plat::WindowOf(g.capture ? g.capture : g.under);
  if (w && w->widget) {
    if (cursor) {
      w->widget->setCursor(plat::ShapeOf(cursor));
    } else {
      w->widget->setCursor(Qt::BlankCursor);
    }
  }
  return old;
}

HCURSOR GetCursor() { return g.cursorShape; }

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = {g.cursor.x(), g.cursor.y()};
  return TRUE;
}

BOOL ClipCursor(LPCRECT rect) {
  if (!rect) {
    g.clip.reset();
  } else {
    g.clip = plat::ToQRect(*rect);
  }
  return TRUE;
}

short GetKeyState(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 255) return 0;
  const auto i = static_cast<size_t>(virtualKey);
  return static_cast<short>((g.down[i] ? 0x8000 : 0) | (g.toggled[i] ? 1 : 0));
}

DWORD GetMessagePos() {
  return MAKELONG(static_cast<WORD>(static_cast<std::int16_t>(g.context.pt.x)),
                  static_cast<WORD>(static_cast<std::int16_t>(g.context.pt.y)));
}

LONG GetMessageTime() { return static_cast<LONG>(g.context.time); }

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track) return FALSE;
  plat::Window* w = plat::WindowOf(track->hwndTrack);
  if (!w) return FALSE;
  if (!(track->dwFlags & TME_LEAVE)) return FALSE;
  return plat::ArmLeaveTracking(*w, !(track->dwFlags & TME_CANCEL)) ? TRUE : FALSE;
}

HWND SetCapture(HWND wnd) {
  const HWND old = g.capture;
  plat::SetCaptureWindow(plat::WindowOf(wnd));
  return old;
}

BOOL ReleaseCapture() {
  plat::SetCaptureWindow(nullptr);
  return TRUE;
}

HWND GetCapture() { return g.capture; }

HWND GetFocus() { return g.focus; }

CWnd* CWnd::SetCapture() {
  plat::RequireUiThread("CWnd::SetCapture");
  return FromHandle(::SetCapture(m_hWnd));
}

CWnd* CWnd::GetCapture() { return FromHandle(g.capture); }

CWnd* CWnd::SetFocus() {
  plat::RequireUiThread("CWnd::SetFocus");
  CWnd* old = FromHandle(g.focus);
  plat::SetFocusWindow(window_ && !window_->destroying ? window_.get() : nullptr);
  return old;
}

CWnd* CWnd::GetFocus() { return FromHandle(g.focus); }

CWnd* CWnd::WindowFromPoint(POINT screen) {
  LRESULT hit = HTNOWHERE;
  plat::Window* w = plat::HitTest({screen.x, screen.y}, &hit);
  return w ? w->object : nullptr;
}
