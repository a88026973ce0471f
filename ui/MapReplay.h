// The map page's track replay: a worker walks a copy of a track's points, one every 200 ms divided
// by the speed factor, and hands each point to the map page's window by a posted message, so that
// only the UI thread touches the page. It can be paused, stepped a point at a time and sent to
// another point. One replay at a time: Stop ends the worker and waits for it, which is quick, as
// the worker never waits for the UI thread and every wait of it ends when it is told to stop.
// The pace comes from the tick clock (plat::TickClock), which tests replace.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/gps/GpsTrack.h"
#include "platform/Message.h"
#include "platform/Sync.h"
#include "platform/Time.h"

class CMapReplay {
 public:
  // Posted to the window: wParam the point's index, lParam the replay's id.
  static constexpr UINT kMsgPoint = 0x47C;
  // Posted when the worker walked past the last point; lParam the replay's id.
  static constexpr UINT kMsgEnd = 0x47D;
  static constexpr double kStepMs = 200.0;
  // A paused replay looks at its requests this often, and at once when it is woken.
  static constexpr std::uint32_t kPauseStepMs = 10;

  CMapReplay() = default;
  CMapReplay(const CMapReplay&) = delete;
  CMapReplay& operator=(const CMapReplay&) = delete;
  ~CMapReplay() { Stop(); }

  // Stops a running replay, then walks the points from `first` (a valid index), not paused.
  // Invalid points are skipped.
  void Start(HWND target, std::vector<GpsPoint> points, int first);
  // Ends the replay and waits for its worker; false when none was running.
  bool Stop();
  bool IsRunning() const { return worker_.joinable(); }
  // Whether a message of the window comes from the replay that runs now.
  bool IsCurrent(LPARAM id) const { return IsRunning() && id == static_cast<LPARAM>(id_); }
  const GpsPoint& Point(WPARAM index) const { return points_[index]; }

  // A paused replay shows no further point until it is resumed or stepped.
  void Pause(bool paused);
  bool IsPaused() const { return paused_; }
  // Shows the next point, also while paused, and pauses after it.
  void Step();
  // The replay's pace: points are 200 ms / factor apart (truncated to whole milliseconds). Only a
  // positive, finite factor is taken.
  void SetSpeedFactor(double factor);

 private:
  void Run(HWND target, std::size_t first, std::uint32_t id, plat::IClock& clock);
  // Waits while paused and takes a step request; false when the replay is to stop.
  bool TakeTurn(plat::IClock& clock);
  std::uint32_t PauseMs() const;

  // Changed only while no worker runs; the worker and the UI thread read it.
  std::vector<GpsPoint> points_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> paused_ = false;
  std::atomic<bool> step_ = false;
  std::atomic<double> speedFactor_ = 1.0;
  CEvent wake_;  // set when the worker should look at its requests again
  std::uint32_t id_ = 0;
  std::thread worker_;
};
