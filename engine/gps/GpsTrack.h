// GPS fixes and tracks from the recorder's NMEA RMC sentences. The recorder stores its fixes as
// 8-bit text in the sensor blocks of the card (80-byte fields that need not end with a zero) and
// in the event log. Every parser here takes the text with its length and reads nothing beyond it
// nor beyond its first zero byte; numbers are read the same way whatever the process locale.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Types.h"

constexpr double kNoPosition = -360.0;

// Date text "20yy/mm/dd" with its zero; time text "hh:mm:ss", a zero, the three digits of the
// sentence's fractional seconds and a zero.
constexpr int kGpsDateTextSize = 11;
constexpr int kGpsTimeTextSize = 13;

// One fix as the track parser reads it.
struct GpsFix {
  double latitude = kNoPosition;   // degrees, north positive
  double longitude = kNoPosition;  // degrees, east positive
  double speed = 0.0;              // km/h
  double course = 0.0;             // degrees
  char date[kGpsDateTextSize] = {};
  char time[kGpsTimeTextSize] = {};
};

struct GpsPoint {
  // The empty point: invalid, no position, speed and course -1.0, empty texts.
  GpsPoint();
  // A point from values: invalid when the latitude or the longitude is kNoPosition; the latitude
  // is clamped to [-90, 90], the longitude to [-180, 180], the speed to [0, 999999] and the course
  // to [0, 360]; the texts are copied whole.
  GpsPoint(double latitude, double longitude, double speed, double course,
           const char (&date)[kGpsDateTextSize], const char (&time)[kGpsTimeTextSize],
           std::int32_t timeDifference);

  BYTE invalid = 1;
  double latitude = kNoPosition;
  double longitude = kNoPosition;
  double speed = -1.0;
  double course = -1.0;
  char date[kGpsDateTextSize] = {};
  char time[kGpsTimeTextSize] = {};
  std::int64_t timeValue = 0;       // local time of the fix in seconds, 0 = none
  std::int32_t timeDifference = 0;  // recorder clock minus GPS time, a multiple of 1800 s
};

struct GpsTrackSegment {
  std::vector<GpsPoint> points;
  std::int64_t firstTime = 0;  // local time of the first timed point, 0 = none yet
  std::int64_t lastTime = 0;   // local time of the last timed point
};

class GpsTrack {
 public:
  GpsTrack() = default;

  // Forgets the points; the time difference found so far is kept. Result true.
  bool Clear();

  // The track parser. Reads one RMC sentence ("$GPRMC", else "$GNRMC", up to its '*'; the
  // checksum is not verified). A line that does not begin with the sentence carries the
  // recorder's "yyyy/mm/dd hh:mm:ss" before it, and the fix takes its date and time texts from
  // there. On success the whole fix is written, its position corrected by the global GPS offset
  // table; on failure only its latitude and longitude are set to kNoPosition.
  static bool ParseRmc(std::string_view line, GpsFix& fix);

  // The point for a line: parsed into the track's current fix, with the time difference settled
  // first; the empty point when the line gives no position.
  GpsPoint ParseSentence(std::string_view line);

  // Parses the line and appends a valid point, with its local time, to the head segment.
  bool AddSentence(std::string_view line);

  // The recorder's own local time (seconds) at the moment of the sentences that follow. The
  // first fix parsed after it settles the track's time difference: the recorder time minus the
  // fix's time, rounded to the nearest half hour. Until then points carry a difference of 0.
  void SetRecorderTime(std::int64_t localTime) { recorderTime_ = localTime; }

  std::int32_t TimeDifference() const { return timeDifference_; }  // -1 = not yet known
  const GpsFix& CurrentFix() const { return fix_; }
  const std::vector<GpsTrackSegment>& Segments() const { return segments_; }

 private:
  void SettleTimeDifference();

  std::vector<GpsTrackSegment> segments_;
  GpsFix fix_;
  std::int64_t recorderTime_ = 0;  // 0 = not given
  std::int32_t timeDifference_ = -1;
};

// The map page's position parser: stricter than the track parser, with no recorder prefix, no
// date and no offset correction. A sentence whose mode indicator before '*' is "N" (no fix), a
// status other than "A", a malformed position or a sentence cut before its position is rejected.
// The outputs are written only on success.
bool ParseRmcPosition(std::string_view line, double& latitude, double& longitude, double& speed,
                      double& course);

// The local time (seconds) of a fix's date and time texts; -1 when they do not form a date and
// time.
std::int64_t GpsTextsToLocalTime(const char (&date)[kGpsDateTextSize],
                                 const char (&time)[kGpsTimeTextSize]);
