// One record of the recorder's event log as the card dialog lists and plots it: its time,
// G-sensor values, position text, speed and thirteen event flags (flag 0 marks a plain record).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Types.h"

constexpr int kEventFlagCount = 13;
constexpr int kEventPositionSize = 80;

// The texts of a record that decide its event flags, as the event-log reader takes them from their
// columns; a trigger counts when its first character is '1' ("mobilefcw" also '2').
struct EventLogTriggers {
  std::string_view event;  // first character: flag 4, second: flag 2, third: flag 3
  std::string_view gSensorTrigger;
  std::string_view overspeedTrigger;
  std::string_view idleTrigger;
  std::string_view otherExternal;
  std::string_view mobileLdws;
  std::string_view mobileFcw;
  bool headwayWarning = false;  // flag 10, as the reader derives it
};

struct EventLogRow {
  EventLogRow() { Reset(); }
  // A plain record: taxi and kind 0, flag 0 set, flags 1 to 12 clear.
  void Reset();
  // Flag 0 for an index outside 0..12.
  int GetFlag(int index) const;
  // Keeps at most 79 bytes of the text, always terminated.
  void SetPosition(std::string_view text);
  // Flags 1 to 12 from the record's texts; flag 0 exactly when none of them is set.
  void SetEventFlags(const EventLogTriggers& triggers);

  std::int64_t time = 0;  // local time, seconds since 1970
  std::int32_t time32 = 0;
  std::int32_t gsensorX = 0;
  std::int32_t gsensorY = 0;
  std::int32_t gsensorZ = 0;
  char position[kEventPositionSize] = {};
  std::int32_t speed = 0;
  std::int32_t taxi = 0;
  std::int32_t kind = 0;
  std::int32_t flags[kEventFlagCount] = {};
};

// The colour of an event flag in lists and graphs; -1 gives grey 0xAAAAAA and any index outside
// -1..12 gives 0.
COLORREF GetEventColor(int flagIndex);
