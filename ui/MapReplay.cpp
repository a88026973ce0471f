#include "ui/MapReplay.h"

#include <chrono>

#include "platform/Sync.h"

void CMapReplay::Start(HWND target, std::vector<GpsPoint> points, int first) {
  Stop();
  points_ = std::move(points);
  stop_ = false;
  ++id_;
  worker_ = std::thread(&CMapReplay::Run, this, target, static_cast<std::size_t>(first), id_);
}

bool CMapReplay::Stop() {
  if (!worker_.joinable()) return false;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
  return true;
}

void CMapReplay::Run(HWND target, std::size_t first, std::uint32_t id) {
  plat::SetCurrentThreadPriority(plat::ThreadPriority::AboveNormal);
  std::unique_lock lock(mutex_);
  for (std::size_t i = first; i < points_.size() && !stop_; ++i) {
    if (points_[i].invalid) continue;
    ::PostMessage(target, kMsgPoint, i, id);
    wake_.wait_for(lock, std::chrono::milliseconds(kStepMs), [this] { return stop_; });
  }
  if (!stop_) ::PostMessage(target, kMsgEnd, 0, id);
}
