#include "ui/MapReplay.h"

#include "platform/Time.h"

void CMapReplay::Start(HWND target, std::vector<GpsPoint> points, int first) {
  Stop();
  points_ = std::move(points);
  stop_.Reset();
  ++id_;
  worker_ = std::thread(&CMapReplay::Run, this, target, static_cast<std::size_t>(first), id_);
}

bool CMapReplay::Stop() {
  if (!worker_.joinable()) return false;
  stop_.Set();
  worker_.join();
  return true;
}

void CMapReplay::Run(HWND target, std::size_t first, std::uint32_t id) {
  plat::SetCurrentThreadPriority(plat::ThreadPriority::AboveNormal);
  plat::IClock& clock = plat::TickClock();
  for (std::size_t i = first; i < points_.size(); ++i) {
    if (points_[i].invalid) continue;
    ::PostMessage(target, kMsgPoint, i, id);
    if (clock.WaitEvent(stop_, kStepMs)) return;
  }
  if (!stop_.IsSet()) ::PostMessage(target, kMsgEnd, 0, id);
}
