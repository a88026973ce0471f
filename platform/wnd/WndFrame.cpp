// The frames of top-level windows: the window manager's frame around a captioned window, the
// Qt flags of the styles, style changes applied with SWP_FRAMECHANGED, the sizes a sizing frame
// allows (WM_GETMINMAXINFO), sizing by the user (WM_SIZING), and owned windows that go with their
// owner when it is minimised and stay above it when it is shown after them.
#include <QWidget>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/OwnerHint.h"
#include "platform/wnd/SysMetrics.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

constexpr int kMinTrackWidth = 136;
constexpr int kMinTrackHeight = 39;

// The frame last seen around a shown window: a hidden window gets the same.
QMargins g_lastFrame;

// The frame follows the flags the widget was given: a style change shows only once applied.
bool FramedByWindowManager(const Window& w) {
  return !w.IsChild() && w.widget && w.widget->isWindow() && !(w.frameFlags & Qt::FramelessWindowHint);
}

QMargins ReportedFrame(const QWidget& widget) {
  const QRect g = widget.geometry();
  const QRect f = widget.frameGeometry();
  return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

bool HasEdge(WPARAM edge, WPARAM a, WPARAM b, WPARAM c) { return edge == a || edge == b || edge == c; }

// The edge being dragged, from what moved: left or right plus top or bottom.
WPARAM DraggedEdge(const CRect& before, const QRect& after) {
  WPARAM horizontal = 0;
  if (after.left() != before.left) {
    horizontal = WMSZ_LEFT;
  } else if (after.width() != before.Width()) {
    horizontal = WMSZ_RIGHT;
  }
  WPARAM vertical = 0;
  if (after.top() != before.top) {
    vertical = WMSZ_TOP;
  } else if (after.height() != before.Height()) {
    vertical = WMSZ_BOTTOM;
  }
  const WPARAM edge = horizontal + vertical;
  return edge == 0 ? WMSZ_BOTTOMRIGHT : edge;
}

MINMAXINFO DefaultMinMax(const Window& w) {
  const QMargins f = w.Frame();
  MINMAXINFO m;
  m.ptMaxSize = {GetSystemMetrics(SM_CXSCREEN) + f.left() + f.right(),
                 GetSystemMetrics(SM_CYSCREEN) + f.top() + f.bottom()};
  m.ptMaxPosition = {-f.left(), -f.top()};
  m.ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
  m.ptMaxTrackSize = m.ptMaxSize;
  return m;
}

void SetFrameFlags(Window& w, QWidget* parentWidget) {
  w.frameFlags = TopLevelFlags(w);
  w.widget->setParent(parentWidget, w.frameFlags);
}

}  // namespace

QMargins Window::Frame() const {
  if (!FramedByWindowManager(*this)) return {};
  if (widget && widget->isVisible()) {
    const QMargins reported = ReportedFrame(*widget);
    if (!reported.isNull()) g_lastFrame = reported;
  }
  return g_lastFrame;
}

CRect Window::OuterRect() const {
  CRect r = rect;
  const QMargins f = Frame();
  r.InflateRect(f.left(), f.top(), f.right(), f.bottom());
  return r;
}

CRect InnerRect(const Window& w, const CRect& outer) {
  const QMargins f = w.Frame();
  CRect r = outer;
  r.DeflateRect(f.left(), f.top(), f.right(), f.bottom());
  r.right = std::max(r.right, r.left);
  r.bottom = std::max(r.bottom, r.top);
  return r;
}

CRect InnerRectForNew(DWORD style, const CRect& outer) {
  CRect r = outer;
  if (!(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION) {
    r.DeflateRect(g_lastFrame.left(), g_lastFrame.top(), g_lastFrame.right(), g_lastFrame.bottom());
  }
  return r;
}

Qt::WindowFlags TopLevelFlags(const Window& wnd) {
  Qt::WindowFlags f = (wnd.owner || (wnd.exStyle & WS_EX_TOOLWINDOW)) ? Qt::Tool : Qt::Window;
  if ((wnd.style & WS_CAPTION) != WS_CAPTION) {
    f |= Qt::FramelessWindowHint;
  } else {
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (wnd.style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (wnd.style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
    if (wnd.style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
  }
  if (wnd.exStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
  return f;
}

void ApplyTopLevelFlags(Window& w) {
  if (w.IsChild() || !w.widget || w.frameFlags == TopLevelFlags(w)) return;
  const bool shown = w.widget->isVisible();
  SetFrameFlags(w, w.widget->parentWidget());
  w.PlaceWidget();
  if (shown) w.widget->show();
}

void Relink(Window& w, Window* target) {
  if (!w.widget) return;
  const bool shown = (w.style & WS_VISIBLE) != 0;
  if (w.parent) std::erase(w.parent->children, &w);
  w.parent = nullptr;
  w.owner = nullptr;
  if ((w.style & WS_CHILD) && target && target != &w) {
    w.parent = target;
    target->children.push_back(&w);
    // With the flags given: an owned window going into its owner has that parent already, and
    // the plain call would leave it a window of its own.
    w.widget->setParent(target->widget, Qt::Widget);
  } else {
    Window* owner = target ? target->TopLevel() : nullptr;
    w.owner = owner == &w ? nullptr : owner;
    SetFrameFlags(w, w.owner ? w.owner->widget.data() : nullptr);
  }
  SetTopLevel(w, !w.IsChild());
  w.PlaceWidget();
  w.widget->setVisible(shown);
}

void ApplyFrame(Window& w) {
  const bool wantsChild = (w.style & WS_CHILD) != 0;
  if (wantsChild && !w.parent && w.owner) {
    Relink(w, w.owner);
  } else if (!wantsChild && w.parent) {
    Relink(w, w.parent);
  } else {
    ApplyTopLevelFlags(w);
  }
}

CSize ClampToTracking(Window& w, CSize outer) {
  if (w.IsChild() || !(w.style & WS_THICKFRAME)) return outer;
  MINMAXINFO m = DefaultMinMax(w);
  w.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&m));
  const int cx = std::max(m.ptMinTrackSize.x, std::min<int>(outer.cx, m.ptMaxTrackSize.x));
  const int cy = std::max(m.ptMinTrackSize.y, std::min<int>(outer.cy, m.ptMaxTrackSize.y));
  return {cx, cy};
}

QRect ProposeSizing(Window& w, const QRect& geometry) {
  CRect outer = ToCRect(geometry);
  const QMargins f = w.Frame();
  outer.InflateRect(f.left(), f.top(), f.right(), f.bottom());
  const WPARAM edge = DraggedEdge(w.rect, geometry);
  w.Send(WM_SIZING, edge, reinterpret_cast<LPARAM>(static_cast<RECT*>(&outer)));
  outer.NormalizeRect();
  const CSize size = ClampToTracking(w, outer.Size());
  if (HasEdge(edge, WMSZ_LEFT, WMSZ_TOPLEFT, WMSZ_BOTTOMLEFT)) {
    outer.left = outer.right - size.cx;
  } else {
    outer.right = outer.left + size.cx;
  }
  if (HasEdge(edge, WMSZ_TOP, WMSZ_TOPLEFT, WMSZ_TOPRIGHT)) {
    outer.top = outer.bottom - size.cy;
  } else {
    outer.bottom = outer.top + size.cy;
  }
  return ToQRect(InnerRect(w, outer));
}

void HideOwnedWindows(Window& owner) {
  for (Window* top : TopLevelWindows()) {
    if (top->owner != &owner || !(top->style & WS_VISIBLE)) continue;
    top->style &= ~WS_VISIBLE;
    top->hiddenWithOwner = true;
    if (top->widget) top->widget->hide();
  }
}

void ShowOwnedWindows(Window& owner) {
  for (Window* top : TopLevelWindows()) {
    if (top->owner != &owner || !top->hiddenWithOwner || !top->object) continue;
    top->object->ShowWindow(SW_SHOWNA);
  }
}

// The transient-for hint written when an owned window was shown before its owner named a window
// the window manager did not know yet. Written again now, it is read again, and the window manager
// keeps the owned window above its owner. Unmapping and mapping the window instead would race a
// busy window manager, which could leave the window unmanaged.
void RenewOwnerHints(Window& owner) {
  if (!owner.widget) return;
  for (Window* top : TopLevelWindows()) {
    if (top->owner != &owner || !(top->style & WS_VISIBLE) || !top->widget || !top->widget->isVisible()) continue;
    WriteTransientFor(*top->widget, *owner.widget);
    top->widget->raise();
  }
}

}  // namespace plat
