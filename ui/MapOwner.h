// What the map page asks of the window that owns it (the main window). Every call comes on the UI
// thread.
#pragma once

#include <cstdint>

class IMapOwner {
 public:
  virtual ~IMapOwner() = default;

  // The user clicked the map where no road was chosen yet (true), or chose one (false).
  virtual void SetMapSelectionPending(bool pending) = 0;
  // A road was chosen: the owner forgets the list that belongs to the old place.
  virtual void ClearMapSelectionList() = 0;
  // The open recording's first and last engine times (seconds since 1970); false when none is open.
  virtual bool GetRecordingTimeRange(std::int64_t& first, std::int64_t& last) const = 0;
  // Plays the open recording from that engine time; false when nothing plays that could go there
  // (a replay of the event log's track, a stopped play).
  virtual bool SeekMapTime(std::int64_t time) = 0;

  // While true, a fix's course is not shown (the G-sensor bar holds the view).
  virtual bool HoldsCourse() const = 0;
  // The page shows new values: the owner refreshes the panels that read them.
  virtual void OnMapUpdated() = 0;

  // The track replay: whether the owner still shows the replay (map view), and its position slider.
  virtual bool IsReplayView() const = 0;
  virtual void SetReplaySliderRange(int pointCount) = 0;
  virtual void SetReplaySliderPos(int point) = 0;
};
