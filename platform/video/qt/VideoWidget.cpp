#include "platform/video/qt/VideoWidget.h"

#include <mutex>

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

#include "platform/video/BackBufferPresenter.h"
#include "platform/video/PresentedFrame.h"

namespace plat {

// Carries presents and visibility changes to the widget's thread, for as long as the widget
// exists. Calls queued for a widget are dropped when it is destroyed before they run.
class QtPresenter final : public BackBufferPresenter {
 public:
  void Attach(VideoWidget* widget) {
    std::lock_guard lock(mutex_);
    widget_ = widget;
  }
  void SetClientSize(QSize size) {
    std::lock_guard lock(mutex_);
    client_ = CSize(size.width(), size.height());
  }

 protected:
  CSize ClientSize() const override {
    std::lock_guard lock(mutex_);
    return client_;
  }

  void Presented(const PresentedFrame&) override {
    std::lock_guard lock(mutex_);
    if (widget_) QMetaObject::invokeMethod(widget_, [w = widget_] { w->update(); }, Qt::QueuedConnection);
  }

  void VisibilityChanged(bool visible) override {
    std::unique_lock lock(mutex_);
    if (!widget_) return;
    if (widget_->thread() == QThread::currentThread()) {
      VideoWidget* w = widget_;
      lock.unlock();  // the widget cannot go away on its own thread while this runs
      w->setVisible(visible);
      return;
    }
    QMetaObject::invokeMethod(widget_, [w = widget_, visible] { w->setVisible(visible); }, Qt::QueuedConnection);
  }

 private:
  mutable std::mutex mutex_;
  VideoWidget* widget_ = nullptr;
  CSize client_;  // the widget's size: what presents convert for
};

VideoWidget::VideoWidget(QWidget* parent) : QWidget(parent), presenter_(std::make_shared<QtPresenter>()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  presenter_->Attach(this);
  presenter_->SetClientSize(size());
}

VideoWidget::~VideoWidget() { presenter_->Attach(nullptr); }

// Pictures presented from now on are converted for the new size; until one is, the last one is
// scaled to it.
void VideoWidget::resizeEvent(QResizeEvent*) { presenter_->SetClientSize(size()); }

std::shared_ptr<IVideoPresenter> VideoWidget::Presenter() const { return presenter_; }

void VideoWidget::paintEvent(QPaintEvent* event) {
  PresentedFrame frame;
  presenter_->GetPresented(frame);
  QPainter painter(this);
  ComposeFrame(painter, rect(), frame, event->region());
}

}  // namespace plat
