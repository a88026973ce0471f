// A presenter provider for a single window, installed for its own lifetime: the headless player
// and the tests show one video window into a presenter they hold, with no window layer around.
#pragma once

#include <memory>
#include <utility>

#include "platform/video/VideoPresenter.h"

namespace plat {

class OneWindowPresenter final : public IPresenterProvider {
 public:
  OneWindowPresenter(HWND window, std::shared_ptr<IVideoPresenter> presenter)
      : window_(window), presenter_(std::move(presenter)), previous_(SetPresenterProvider(this)) {}
  ~OneWindowPresenter() override { SetPresenterProvider(previous_); }
  OneWindowPresenter(const OneWindowPresenter&) = delete;
  OneWindowPresenter& operator=(const OneWindowPresenter&) = delete;

  std::shared_ptr<IVideoPresenter> PresenterFor(HWND window) override {
    return window == window_ ? presenter_ : nullptr;
  }

 private:
  HWND window_;
  std::shared_ptr<IVideoPresenter> presenter_;
  IPresenterProvider* previous_;  // put back when this one goes
};

}  // namespace plat
