#include "platform/video/qt/WindowPresenters.h"

#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

#include "platform/wnd/Wnd.h"

namespace plat {

namespace {

// The client area in the coordinates of the window's widget (the window less the window
// manager's frame of a captioned top-level window).
QRect ClientGeometry(const CWnd& wnd) {
  CRect client;
  wnd.GetClientRect(&client);
  POINT origin{0, 0};
  wnd.ClientToScreen(&origin);
  return QRect(wnd.Widget()->mapFromGlobal(QPoint(origin.x, origin.y)), QSize(client.Width(), client.Height()));
}

void FitToClient(HWND window, QWidget& widget) {
  if (const CWnd* wnd = CWnd::FromHandle(window)) widget.setGeometry(ClientGeometry(*wnd));
}

}  // namespace

WindowPresenters::WindowPresenters() : previous_(SetPresenterProvider(this)) {}

WindowPresenters::~WindowPresenters() {
  SetPresenterProvider(previous_);
  std::map<HWND, Shown> shown;
  {
    std::lock_guard lock(mutex_);
    shown.swap(shown_);
  }
  for (auto& [window, s] : shown) delete s.widget.data();
}

std::shared_ptr<IVideoPresenter> WindowPresenters::PresenterFor(HWND window) {
  if (!window) return nullptr;
  {
    std::lock_guard lock(mutex_);
    const auto it = shown_.find(window);
    if (it != shown_.end()) return it->second.presenter;
  }
  if (QThread::currentThread() == thread()) return Show(window);
  QMetaObject::invokeMethod(this, [this, window] { Show(window); }, Qt::QueuedConnection);
  return nullptr;
}

VideoWidget* WindowPresenters::WidgetOf(HWND window) const {
  std::lock_guard lock(mutex_);
  const auto it = shown_.find(window);
  return it == shown_.end() ? nullptr : it->second.widget.data();
}

// The widget goes below any control the window may hold, over the window's own drawing.
std::shared_ptr<IVideoPresenter> WindowPresenters::Show(HWND window) {
  {
    std::lock_guard lock(mutex_);
    const auto it = shown_.find(window);
    if (it != shown_.end()) return it->second.presenter;
  }
  const CWnd* wnd = CWnd::FromHandle(window);
  QWidget* parent = wnd ? wnd->Widget() : nullptr;
  if (!parent) return nullptr;
  auto* widget = new VideoWidget(parent);
  widget->setGeometry(ClientGeometry(*wnd));
  widget->lower();
  widget->show();
  parent->installEventFilter(this);
  connect(widget, &QObject::destroyed, this, [this, window] { Forget(window); });
  std::lock_guard lock(mutex_);
  Shown& s = shown_[window];
  s = Shown{parent, widget, widget->Presenter()};
  return s.presenter;
}

void WindowPresenters::Forget(HWND window) {
  std::lock_guard lock(mutex_);
  shown_.erase(window);
}

bool WindowPresenters::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Resize) return false;
  std::map<HWND, Shown> shown;
  {
    std::lock_guard lock(mutex_);
    shown = shown_;
  }
  for (const auto& [window, s] : shown) {
    if (s.window == watched && s.widget) FitToClient(window, *s.widget);
  }
  return false;
}

}  // namespace plat
