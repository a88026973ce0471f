// Helpers of the engine tests: the engine made and destroyed as the main window does it, and a
// rig that plays a source through it with an offscreen presenter in the channel window and a
// router that records what the engine posts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/IbpCtrl.h"
#include "platform/video/OffscreenPresenter.h"
#include "platform/video/OneWindowPresenter.h"
#include "tests/engine/stream/SourceTestSupport.h"

namespace enginetest {

inline IbpCtrlPtr MakeEngine() { return IbpCtrlPtr(CIbpCtrl::Create()); }

inline HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

// An engine on a source, its notify window and its video window set, the window showing into an
// offscreen presenter. The engine goes first, then the window and the router.
struct PlayRig {
  static constexpr std::uintptr_t kNotify = 0x10;
  static constexpr std::uintptr_t kVideo = 0x20;

  explicit PlayRig(const std::string& path)
      : presenter(std::make_shared<plat::OffscreenPresenter>()),
        window(Window(kVideo), presenter),
        engine(MakeEngine()),
        sourceType(engine->SetSource(CString(path))) {
    engine->SetNotifyWindow(Window(kNotify), 0);
    engine->SetVideoWindow(Window(kVideo), 0);
  }
  std::size_t Posted(UINT msg) const { return router.Posted(msg).size(); }
  // Waits for the end of the play, which takes as long as the recording; false after a generous
  // bound.
  bool WaitForEnd() const {
    for (int i = 0; i < 6000 && Posted(WM_PLAYER_END) == 0; ++i) Sleep(10);
    return Posted(WM_PLAYER_END) > 0;
  }
  // The pictures presented, each once however often it was presented.
  std::vector<std::string> Hashes() const {
    std::vector<std::string> hashes;
    for (const plat::PresentRecord& r : presenter->Presents()) {
      if (hashes.empty() || hashes.back() != r.hash) hashes.push_back(r.hash);
    }
    return hashes;
  }

  sourcetest::RecordingRouter router;
  std::shared_ptr<plat::OffscreenPresenter> presenter;
  plat::OneWindowPresenter window;
  IbpCtrlPtr engine;
  int sourceType;
};

}  // namespace enginetest
