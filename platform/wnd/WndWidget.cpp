// The widget of a window that draws itself, and the event handling every widget of the layer shares.
#include <QCloseEvent>
#include <QFocusEvent>
#include <QPaintEvent>
#include <QWidget>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

class WndWidget : public QWidget {
 public:
  WndWidget(Window& wnd, QWidget* parent) : QWidget(parent), handle_(wnd.handle) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  bool event(QEvent* e) override {
    Window* w = WindowOf(handle_);
    if (w && HandleWidgetEvent(w, *this, e)) return true;
    return QWidget::event(e);
  }

  void paintEvent(QPaintEvent* e) override {
    if (Window* w = WindowOf(handle_)) PaintWidget(*w, *this, e->region());
  }

 private:
  HWND handle_;
};

bool IsMouseEvent(QEvent::Type t) {
  return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseButtonDblClick ||
         t == QEvent::MouseMove || t == QEvent::Wheel;
}

// A top-level window moved or sized by the window manager or the user. A window with a sizing
// frame may change the size it is given (WM_SIZING, tracking limits).
void FollowTopLevelGeometry(Window& w, const QWidget& widget) {
  QRect g = widget.geometry();
  const bool sized = g.size() != QSize(w.rect.Width(), w.rect.Height());
  if (!sized && g.topLeft() == QPoint(w.rect.left, w.rect.top)) return;
  if (sized && (w.style & WS_THICKFRAME)) g = ProposeSizing(w, g);
  w.rect = ToCRect(g);
  if (g != widget.geometry()) w.PlaceWidget();
  if (!sized) return;
  ResizeBacking(w);
  LayoutScrollBars(w);
  InvalidateWhole(w, true);
  w.Send(WM_SIZE, SIZE_RESTORED, PackSize(w.ClientRect()));
}

// A window minimised or restored from outside (the window manager); ShowWindow does its own.
void FollowWindowState(Window& w, const QWidget& widget) {
  if (widget.isMinimized()) {
    if (!(w.style & WS_MINIMIZE)) HideOwnedWindows(w);
    w.style |= WS_MINIMIZE;
  } else if (w.style & WS_MINIMIZE) {
    w.style &= ~WS_MINIMIZE;
    w.Send(WM_QUERYOPEN);
    ShowOwnedWindows(w);
  }
}

}  // namespace

QWidget* MakeSelfDrawnWidget(Window& wnd, QWidget* parent) { return new WndWidget(wnd, parent); }

bool HandleWidgetEvent(Window* wnd, QWidget& widget, QEvent* e) {
  const QEvent::Type t = e->type();
  if (IsMouseEvent(t)) {
    if (!wnd->selfDrawn) return false;
    OnQtMouse(e);
    return true;
  }
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      OnQtKey(e);
      return true;
    case QEvent::FocusIn:
      OnQtFocusIn(*wnd, static_cast<QFocusEvent*>(e)->reason());
      return false;
    case QEvent::Leave:
      OnQtLeave(*wnd);
      return false;
    case QEvent::Close:
      e->ignore();
      wnd->Send(WM_CLOSE);
      return true;
    case QEvent::Move:
    case QEvent::Resize:
      if (!wnd->IsChild()) FollowTopLevelGeometry(*wnd, widget);
      return false;
    case QEvent::WindowStateChange:
      FollowWindowState(*wnd, widget);
      return false;
    case QEvent::WindowActivate:
      RaiseTopLevel(*wnd->TopLevel());
      return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
      return HandleDropEvent(*wnd, e);
    default:
      return false;
  }
}

}  // namespace plat
