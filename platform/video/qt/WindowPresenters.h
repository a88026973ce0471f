// The presenters of the program's channel windows: a window that the engine is given as video
// window shows its pictures through a video widget put into it as a child, which fills the
// window's client area and follows its size, and through which the mouse and the keys reach the
// window as if the picture were its own drawing. The pictures are stretched through the crop or
// letterboxed as the engine presents them. The program makes one on the UI thread, once windows
// exist, and keeps it for its run; it is the installed provider while it lives.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include <QObject>
#include <QPointer>

#include "platform/video/VideoPresenter.h"
#include "platform/video/qt/VideoWidget.h"

namespace plat {

class WindowPresenters final : public QObject, public IPresenterProvider {
 public:
  WindowPresenters();
  // Puts the previous provider back and takes the video widgets out of their windows.
  ~WindowPresenters() override;
  WindowPresenters(const WindowPresenters&) = delete;
  WindowPresenters& operator=(const WindowPresenters&) = delete;

  // The presenter of a live window, its video widget made at the first asking. The widget is
  // made on the UI thread: asked on another thread before it exists, the answer is null and the
  // widget is made shortly after, so that a later asking finds it.
  std::shared_ptr<IVideoPresenter> PresenterFor(HWND window) override;
  // The widget that shows the window's pictures; null when none was made. UI thread.
  VideoWidget* WidgetOf(HWND window) const;

 private:
  struct Shown {
    QPointer<VideoWidget> widget;
    std::shared_ptr<IVideoPresenter> presenter;
  };

  std::shared_ptr<IVideoPresenter> Show(HWND window);
  void Forget(HWND window);

  mutable std::mutex mutex_;  // the map, which the video threads read
  std::map<HWND, Shown> shown_;
  IPresenterProvider* previous_;
};

}  // namespace plat
