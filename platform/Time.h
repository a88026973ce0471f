// Tick counts, sleeping and local-time conversions. Code that paces or times out takes its time
// from an IClock so that tests can drive it with a clock of their own.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "platform/Types.h"

class CEvent;

// Milliseconds since an arbitrary start, 32 bits, wrapping like the system tick count.
DWORD GetTickCount();
void Sleep(DWORD ms);

namespace plat {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::uint64_t NowMs() const = 0;  // monotonic milliseconds
  virtual void SleepMs(std::uint32_t ms) = 0;
  // An interruptible sleep: waits at most timeoutMs for the event; true when it was signalled.
  virtual bool WaitEvent(CEvent& event, std::uint32_t timeoutMs);
  DWORD TickCount() const { return static_cast<DWORD>(NowMs()); }
};

// The steady clock of the machine.
IClock& SystemClock();

// The clock behind GetTickCount and the window layer's timers: the machine's clock unless one is
// installed (tests install one they move themselves). Returns the previously installed clock
// (null = none).
IClock* SetTickClock(IClock* clock);
IClock& TickClock();

// Seconds since 1970 of a local date and time (daylight saving decided by the time zone rules,
// TZ honoured); -1 when the fields do not form a time the C library can represent.
std::int64_t LocalToEpoch(int year, int month, int day, int hour, int minute, int second);
// Seconds since 1970 of a UTC date and time; -1 when the fields do not form one.
std::int64_t UtcToEpoch(int year, int month, int day, int hour, int minute, int second);
bool EpochToLocal(std::int64_t t, std::tm* out);
bool EpochToUtc(std::int64_t t, std::tm* out);
// "YYYY-MM-DD hh:mm:ss" in local time; none when the C library cannot convert the moment.
std::optional<std::string> LocalDateTimeText(std::int64_t t);
// The PC's offset from UTC in seconds (east positive), standard time, as the C library sees it.
std::int32_t LocalUtcOffsetSeconds();
// The offset in force at the given moment (daylight saving included).
std::int32_t LocalUtcOffsetAt(std::int64_t t);

// The zone a recording's time is shown in, wherever it is shown: windows, exported files. A
// recording's time is the recorder's wall-clock date taken as the PC's local time, so in the PC's
// own zone its local time is the recorder's clock, in summer and in winter. Another zone shows
// UTC moved by that zone's offset: the recorder's clock moved by the zone's difference from the
// PC's at that moment.
struct DisplayZone {
  bool pcZone = true;
  std::int32_t offsetSeconds = 0;  // east of UTC; used when not the PC's zone

  static DisplayZone PcZone() { return {}; }
  static DisplayZone Fixed(std::int32_t offsetSeconds) { return {false, offsetSeconds}; }
  // The zone a chosen offset stands for: the PC's own when it is the PC's standard offset.
  static DisplayZone ForOffset(std::int32_t offsetSeconds);
};

// The date and time a recording time shows in the zone; false when the C library cannot convert
// the moment.
bool EpochToZoneTime(std::int64_t t, const DisplayZone& zone, std::tm* out);

}  // namespace plat
