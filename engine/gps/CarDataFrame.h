// Car-data frames of the recorder's stream: after the 4-byte frame header, upper-case
// hexadecimal digits ('0'-'9', 'A'-'F'), counted from the header's first byte:
//   4-5 speed (km/h), 6-9 RPM, 10-11 engine load (%), 12-13 battery voltage ((v + 100) / 10 V),
//   14-15 engine temperature (v - 40 degrees C), 16-17 throttle position (%), 18-19 status,
//   20-21 MAF (v x 3), 22-25 distance (km), 26-27 average fuel economy (v / 10 km/L).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Types.h"

// Status bits of a car-data record.
constexpr int kCarStatusDtc = 0x01;
constexpr int kCarStatusCruisePresent = 0x02;
constexpr int kCarStatusClutchPresent = 0x04;
constexpr int kCarStatusBrakePresent = 0x08;
constexpr int kCarStatusCruiseOn = 0x10;
constexpr int kCarStatusClutchOn = 0x20;
constexpr int kCarStatusBrakeOn = 0x40;
constexpr int kCarStatusEmergencyBraking = 0x80;

struct CarDataRecord {
  std::int64_t time = 0;  // seconds of the frame; 0 = no car data yet
  int speed = 0;          // km/h
  int rpm = 0;
  int engineLoad = 0;  // percent
  double batteryVoltage = 0.0;
  int engineTemperature = 0;  // degrees C
  int throttlePosition = 0;   // percent
  int status = 0;
  int maf = 0;
  int distance = 0;          // km
  double fuelEconomy = 0.0;  // km/L
};

// Decodes one car-data frame (header included) into record, stamped with the given time. A
// frame too short for the first eight fields (20 bytes) is refused and leaves the record as it
// was. MAF, distance and fuel economy need the full 28 bytes and are 0 in a shorter frame. A
// field with a character that is not an upper-case hexadecimal digit is 0.
bool ParseCarDataFrame(const BYTE* frame, std::size_t length, std::int64_t time,
                       CarDataRecord& record);

// A unit the car data's speed is shown in: the km/h value times factor, labelled with text.
struct SpeedUnit {
  double factor;
  const wchar_t* text;
};

// Speed unit 0 km/h, 1 miles per hour, 2 knots; a number that names no unit (it comes from the
// settings file) shows km/h.
const SpeedUnit& SpeedUnitOf(int unit);

// The engine temperature as shown: degrees Celsius as recorded, or whole degrees Fahrenheit.
int DisplayTemperature(int celsius, bool fahrenheit);
