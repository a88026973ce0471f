// How every window shows a recording's time and reads back a time the user picks. A recording's
// time is the recorder's wall-clock date taken as the PC's local time (seconds since 1970), so its
// local time is the recorder's own clock: the text the on-screen text draws on the picture.
//
// With the PC's own zone chosen, a window shows exactly that, in summer and in winter. With
// another zone of the table chosen, the time moves by that zone's difference from the PC's zone at
// that moment. Nothing else adds an offset: a window hands the recording time and the zone here
// and shows what comes back.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/String.h"

namespace app {

struct DisplayZone {
  bool pcZone = true;
  std::int32_t offsetSeconds = 0;  // east of UTC; used when not the PC's zone

  static DisplayZone PcZone() { return {}; }
  static DisplayZone Fixed(std::int32_t offsetSeconds) { return {false, offsetSeconds}; }
  // The zone a chosen offset stands for: the PC's own when it is the PC's standard offset.
  static DisplayZone ForOffset(std::int32_t offsetSeconds);
};

// The date and time a window shows, as a picker or a calendar holds it.
struct DisplayTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The pair every window uses: a recording time as shown in the zone, and a shown time back as the
// recording time. None when the C library cannot represent the moment.
std::optional<DisplayTime> ToDisplayTime(std::int64_t recordingTime, const DisplayZone& zone);
std::optional<std::int64_t> FromDisplayTime(const DisplayTime& shown, const DisplayZone& zone);

// "YYYY-MM-DD hh:mm:ss" of the shown time; empty when it cannot be shown.
CString DisplayTimeText(std::int64_t recordingTime, const DisplayZone& zone);
// The value for a control that shows a local time (a date-time picker), so that it shows the
// display time; and a picker's value back as the recording time.
std::optional<std::int64_t> ToPickerTime(std::int64_t recordingTime, const DisplayZone& zone);
std::optional<std::int64_t> FromPickerTime(std::int64_t pickerTime, const DisplayZone& zone);

}  // namespace app
