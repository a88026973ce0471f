// The map page's track replay: a worker walks a copy of a track's points, one every 200 ms of the
// tick clock, and hands each point to the map page's window by a posted message, so that only the
// UI thread touches the page. One replay at a time: Stop ends the worker's wait at once and waits
// for it, which is quick, as the worker never waits for the UI thread.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "engine/gps/GpsTrack.h"
#include "platform/Message.h"
#include "platform/Sync.h"

class CMapReplay {
 public:
  // Posted to the window: wParam the point's index, lParam the replay's id.
  static constexpr UINT kMsgPoint = 0x47C;
  // Posted when the worker walked past the last point; lParam the replay's id.
  static constexpr UINT kMsgEnd = 0x47D;
  static constexpr int kStepMs = 200;

  CMapReplay() = default;
  CMapReplay(const CMapReplay&) = delete;
  CMapReplay& operator=(const CMapReplay&) = delete;
  ~CMapReplay() { Stop(); }

  // Stops a running replay, then walks the points from `first` (a valid index). Invalid points are
  // skipped.
  void Start(HWND target, std::vector<GpsPoint> points, int first);
  // Ends the replay and waits for its worker; false when none was running.
  bool Stop();
  bool IsRunning() const { return worker_.joinable(); }
  // Whether a message of the window comes from the replay that runs now.
  bool IsCurrent(LPARAM id) const { return IsRunning() && id == static_cast<LPARAM>(id_); }
  const GpsPoint& Point(WPARAM index) const { return points_[index]; }

 private:
  void Run(HWND target, std::size_t first, std::uint32_t id);

  // Changed only while no worker runs; the worker and the UI thread read it.
  std::vector<GpsPoint> points_;
  CEvent stop_{true};
  std::uint32_t id_ = 0;
  std::thread worker_;
};
