#include "ui/MapReplay.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

void CMapReplay::Start(HWND target, std::vector<GpsPoint> points, int first) {
  Stop();
  points_ = std::move(points);
  stop_ = false;
  paused_ = false;
  step_ = false;
  wake_.Reset();
  ++id_;
  worker_ = std::thread(&CMapReplay::Run, this, target, static_cast<std::size_t>(first), id_,
                        std::ref(plat::TickClock()));
}

bool CMapReplay::Stop() {
  if (!worker_.joinable()) return false;
  stop_ = true;
  wake_.Set();
  worker_.join();
  return true;
}

// Only a resume has a waiting worker to wake; a pause takes effect before the next point.
void CMapReplay::Pause(bool paused) {
  if (paused_.exchange(paused) && !paused) wake_.Set();
}

void CMapReplay::Step() {
  step_ = true;
  wake_.Set();
}

void CMapReplay::SetSpeedFactor(double factor) {
  if (factor > 0.0 && std::isfinite(factor)) speedFactor_ = factor;
}

std::uint32_t CMapReplay::PauseMs() const {
  constexpr double kLongest = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(std::min(kStepMs / speedFactor_, kLongest));
}

void CMapReplay::Run(HWND target, std::size_t index, std::uint32_t id, plat::IClock& clock) {
  plat::SetCurrentThreadPriority(plat::ThreadPriority::AboveNormal);
  for (; index < points_.size() && TakeTurn(clock); ++index) {
    if (points_[index].invalid) continue;
    ::PostMessage(target, kMsgPoint, index, id);
    clock.WaitEvent(wake_, PauseMs());
  }
  if (!stop_) ::PostMessage(target, kMsgEnd, 0, id);
}

bool CMapReplay::TakeTurn(plat::IClock& clock) {
  while (paused_ && !stop_ && !step_) clock.WaitEvent(wake_, kPauseStepMs);
  if (stop_) return false;
  if (step_.exchange(false)) paused_ = true;
  return true;
}
