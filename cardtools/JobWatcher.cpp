#include "cardtools/JobWatcher.h"

#include "engine/IIbpCtrl.h"

namespace {

constexpr std::int32_t kPollMs = 20;

}  // namespace

void CJobWatcher::Start(IIbpCtrl* engine, HWND wnd, UINT msg) {
  Stop();
  stop_.Reset();
  thread_ = std::thread([this, engine, wnd, msg] {
    while (engine->GetJobResult() == JobResult::kRunning) {
      if (stop_.Wait(kPollMs)) return;
    }
    ::PostMessage(wnd, msg, 0, 0);
  });
}

void CJobWatcher::Stop() {
  stop_.Set();
  if (thread_.joinable()) thread_.join();
}
