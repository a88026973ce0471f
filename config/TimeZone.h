// The table of time zones the recorder can be set to. Row 0 is the PC's own zone; the table ends
// with a row whose name is empty.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/String.h"

struct TimeZoneRow {
  std::int32_t seconds = 0;      // offset from UTC, east positive
  std::int32_t hours = 0;        // the offset's whole hours (sign of the offset)
  std::int32_t quarterHours = 0; // the rest in quarter hours (sign of the offset)
  std::int32_t id = 0;
  CString name;                  // "(UTC+05:30)"; empty in the closing row
};

// The rows, filled by InitTimeZoneTable (row 0 from the C library's time zone).
const std::vector<TimeZoneRow>& TimeZoneTable();

// Fills row 0 from the C library's time zone and returns the PC's offset from UTC in seconds.
std::int32_t InitTimeZoneTable();
// The row, searched from row 1, whose offset equals row 0's; -1 when none.
int GetLocalTimeZoneRow();
// The row, searched from row 1, whose seconds equal value - 43200; -1 when none.
int TimeZoneIndexFromOffset(std::int32_t value);
