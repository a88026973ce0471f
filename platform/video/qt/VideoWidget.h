// The widget that shows a channel's pictures: the window layer puts it into the channel window
// and hands its presenter to whoever asks for the window's presenter. The presenter may outlive
// the widget (the video thread holds it); presents to a widget that is gone show nothing.
#pragma once

#include <memory>

#include <QWidget>

#include "platform/video/VideoPresenter.h"

namespace plat {

class QtPresenter;

class VideoWidget : public QWidget {
 public:
  explicit VideoWidget(QWidget* parent = nullptr);
  ~VideoWidget() override;

  std::shared_ptr<IVideoPresenter> Presenter() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<QtPresenter> presenter_;
};

}  // namespace plat
