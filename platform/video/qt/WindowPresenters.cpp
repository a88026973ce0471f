#include "platform/video/qt/WindowPresenters.h"

#include <QMetaObject>
#include <QThread>
#include <QWidget>

#include "platform/wnd/ForeignWidget.h"

namespace plat {

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

// The widget fills the window's client area beneath any control the window may hold, and lets the
// mouse and the keys through to the window: a double click on the picture is the window's.
std::shared_ptr<IVideoPresenter> WindowPresenters::Show(HWND window) {
  {
    std::lock_guard lock(mutex_);
    const auto it = shown_.find(window);
    if (it != shown_.end()) return it->second.presenter;
  }
  auto* widget = new VideoWidget();
  if (!EmbedWidget(window, widget, ForeignInput::kWindow)) {
    delete widget;
    return nullptr;
  }
  connect(widget, &QObject::destroyed, this, [this, window] { Forget(window); });
  std::lock_guard lock(mutex_);
  Shown& s = shown_[window];
  s = Shown{widget, widget->Presenter()};
  return s.presenter;
}

void WindowPresenters::Forget(HWND window) {
  std::lock_guard lock(mutex_);
  shown_.erase(window);
}

}  // namespace plat
