// How every window shows a recording's time and reads back a time the user picks, in the zone
// chosen (the rule is the platform's DisplayZone, which the exported files follow too). Nothing
// else adds an offset: a window hands the recording time and the zone here and shows what comes
// back.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/String.h"
#include "platform/Time.h"

namespace app {

using DisplayZone = plat::DisplayZone;

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
