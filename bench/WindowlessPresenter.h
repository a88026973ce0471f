// A window's presenter without the window, for benchmarks: presents cost what the back buffer
// costs, and nothing is hashed or drawn.
#pragma once

#include <memory>

#include "platform/video/BackBufferPresenter.h"

class WindowlessPresenter final : public plat::BackBufferPresenter {
 protected:
  void Presented(const plat::PresentedFrame&) override {}
  void VisibilityChanged(bool) override {}
};

// Gives every window the same windowless presenter while it is installed.
class OneWindow : public plat::IPresenterProvider {
 public:
  OneWindow() : previous_(plat::SetPresenterProvider(this)) {}
  ~OneWindow() override { plat::SetPresenterProvider(previous_); }
  OneWindow(const OneWindow&) = delete;
  OneWindow& operator=(const OneWindow&) = delete;
  std::shared_ptr<plat::IVideoPresenter> PresenterFor(HWND) override { return presenter; }

  std::shared_ptr<plat::IVideoPresenter> presenter = std::make_shared<WindowlessPresenter>();

 private:
  plat::IPresenterProvider* previous_;
};
