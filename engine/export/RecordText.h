// The texts of an export's side files: an SRT subtitle cue per car-data record and a CSV line per
// record, under the CSV's header line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/gps/CarDataFrame.h"

// The header line of the CSV file, as the recorder's tools expect it (the "%s" included).
extern const std::string_view kCsvHeader;

// How the subtitles show speed and temperature: speed unit 0 km/h, 1 miles per hour, 2 knots
// (any other value: km/h); temperature in degrees Fahrenheit or Celsius.
struct CarTextUnits {
  int speedUnit = 0;
  bool fahrenheit = false;
};

// One subtitle cue: its number, start and end (milliseconds from the start of the video) and the
// record's values, ending in an empty line.
std::string SrtCue(int number, std::int64_t startMs, std::int64_t endMs, const CarDataRecord& record,
                   const CarTextUnits& units);

// One CSV line of a record. The date and time are those the windows show for the record's time
// in the zone of the chosen offset (the PC's own zone when it is the PC's standard offset).
std::string CsvLine(const CarDataRecord& record, std::int64_t timeZoneOffset);
