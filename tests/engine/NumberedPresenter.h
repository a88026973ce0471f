// A presenter that reads the number drawn into each test picture it is given, and an engine that
// plays into it. Apart from the other engine test helpers: the picture is read through Qt, whose
// keywords the other tests' names must not meet.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/video/PresentedFrame.h"
#include "testdata/TestVideo.h"
#include "tests/engine/EngineTestSupport.h"

namespace enginetest {

// A presenter that notes each new picture it is given by the number drawn into it, with the play
// clock as it stood when the picture was presented.
class NumberedPresenter final : public plat::BackBufferPresenter {
 public:
  struct Shown {
    int number = -1;
    std::int64_t playClock = 0;
  };
  void Watch(const CPlayClock& clock) { clock_ = &clock; }
  std::vector<Shown> Pictures() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    shown_.clear();
  }

 protected:
  void Presented(const plat::PresentedFrame& frame) override {
    const QImage& p = frame.picture;
    if (p.isNull() || p.width() < 40) return;
    const int number = fixtures::ReadPictureNumber(p.width(), p.height(), [&](int x, int y) { return qGray(p.pixel(x, y)); });
    const CPlayClock* clock = clock_.load();
    std::lock_guard lock(mutex_);
    if (!shown_.empty() && shown_.back().number == number) return;
    shown_.push_back({number, clock ? clock->Get() : 0});
  }
  void VisibilityChanged(bool) override {}

 private:
  std::atomic<const CPlayClock*> clock_{nullptr};
  mutable std::mutex mutex_;
  std::vector<Shown> shown_;
};

// An engine playing into a NumberedPresenter that reads the engine's play clock.
struct NumberedRig {
  explicit NumberedRig(const std::string& path)
      : presenter(std::make_shared<NumberedPresenter>()), window(Window(PlayRig::kVideo), presenter), engine(MakeEngine()) {
    presenter->Watch(engine->State().playClock);
    engine->SetSource(CString(path));
    engine->SetNotifyWindow(Window(PlayRig::kNotify), 0);
    engine->SetVideoWindow(Window(PlayRig::kVideo), 0);
  }
  // Waits until the engine has told the end of a play that many times; false after a generous bound.
  bool WaitForEnds(std::size_t ends) const {
    for (int i = 0; i < 6000 && router.Posted(WM_PLAYER_END).size() < ends; ++i) Sleep(10);
    return router.Posted(WM_PLAYER_END).size() >= ends;
  }

  sourcetest::RecordingRouter router;
  std::shared_ptr<NumberedPresenter> presenter;
  plat::OneWindowPresenter window;
  IbpCtrlPtr engine;
};

}  // namespace enginetest
