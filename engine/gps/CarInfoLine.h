// The car-data line that the map page shows beside the map: comma-separated 8-bit text whose
// first field (its sentence name) is not read, then
//   1 name, 2 label, 3 not read, 4 status (must begin with "A"),
//   5 longitude "E"/"W" + digits with the point after the fourth digit, divided by 10
//     (E1213456789 -> 121.3456789),
//   6 latitude "N"/"S" + digits with the point after the second digit (N25012345 -> 25.012345),
//   7 value B / 10, 8 value A / 10, 9 value D, 10 value C, 11 eight flag characters ('1' = on).
#pragma once

#include <string>
#include <string_view>

#include "platform/String.h"
#include "platform/Types.h"

constexpr int kCarInfoFlagCount = 8;

struct CarInfo {
  CString name;       // at most 15 characters, spaces removed
  std::string label;  // as on the line
  double latitude = 0.0;
  double longitude = 0.0;
  double valueA = 0.0;  // the speed shown on the map, km/h
  double valueB = 0.0;  // the course shown on the map, degrees
  double valueC = 0.0;
  double valueD = 0.0;
  BYTE flags[kCarInfoFlagCount] = {1, 1, 1, 1, 1, 1, 1, 1};
};

// Reads the line into info, field by field; fields after the last one on the line keep their
// values (each of fields 1 to 10 is read only when a comma follows it; field 11 runs to the next
// comma or the end).
// A line is rejected when its status is not "A", when it ends before its position, or when its
// position or flags are malformed or cut short: then the latitude, longitude, value A and value C
// become 0.0, all flags 1, a non-empty name becomes rejectedName (the caller passes the
// translated "TestCarInfo"), and the result is false. Reads nothing beyond the text's length or
// its first zero byte; numbers are read the same way whatever the process locale.
bool ParseCarInfoLine(std::string_view line, CarInfo& info, const CString& rejectedName);
