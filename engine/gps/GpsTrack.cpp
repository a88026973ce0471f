#include "engine/gps/GpsTrack.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>

#include "engine/gps/DecimalNumber.h"
#include "engine/gps/GpsOffsetTable.h"
#include "engine/gps/SentenceText.h"
#include "platform/Time.h"

namespace {

using sentence_text::AllDigits;
using sentence_text::DigitsValue;
using sentence_text::IsDigit;
using sentence_text::UpToFirstZero;

constexpr std::string_view kGprmc = "$GPRMC";
constexpr std::string_view kGnrmc = "$GNRMC";
constexpr double kKnotsToKmh = 1.852;
constexpr int kMaxFields = 12;
// The recorder's prefix "yyyy/mm/dd hh:mm:ss": the date at 0, the time at 11.
constexpr std::size_t kPrefixDateLength = 10;
constexpr std::size_t kPrefixTimeStart = 11;
constexpr std::size_t kPrefixTimeLength = 8;
constexpr std::int64_t kHalfHour = 1800;

// The fields of one RMC sentence between its name and its '*': field 1 to count, each ended by a
// comma, and the character just before the '*' (the mode indicator). Only the sentence's own
// text is split, so a cut sentence never borrows fields from text that follows it.
struct RmcSentence {
  std::array<std::string_view, kMaxFields + 1> field{};
  int count = 0;
  char beforeStar = 0;

  bool Has(int i) const { return i <= count; }
};

std::optional<RmcSentence> FindRmc(std::string_view line) {
  std::size_t start = line.find(kGprmc);
  if (start == std::string_view::npos) start = line.find(kGnrmc);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t star = line.find('*', start);
  if (star == std::string_view::npos) return std::nullopt;

  RmcSentence sentence;
  sentence.beforeStar = line[star - 1];
  sentence.count =
      sentence_text::SplitFields(line.substr(start, star - start), sentence.field, false);
  return sentence;
}

// Degrees from "ddmm.mmmm" (two degree digits) or "dddmm.mmmm" (three): the point must follow
// the two digits of whole minutes.
std::optional<double> ReadDegrees(std::string_view field, std::size_t degreeDigits) {
  const std::size_t point = degreeDigits + 2;
  if (field.size() <= point || field[point] != '.' || !AllDigits(field.substr(0, point))) {
    return std::nullopt;
  }
  return DigitsValue(field.substr(0, degreeDigits)) +
         ParseDecimalPrefix(field.substr(degreeDigits)) / 60.0;
}

std::optional<double> WithHemisphere(std::optional<double> value, std::string_view field,
                                     char positive, char negative) {
  if (!value || field.empty()) return std::nullopt;
  if (field[0] == positive) return value;
  if (field[0] == negative) return -*value;
  return std::nullopt;
}

struct RmcPosition {
  double latitude = 0.0;
  double longitude = 0.0;
  double speed = 0.0;
  double course = 0.0;
};

// Fields 2 to 8: status "A", latitude and N/S, longitude and E/W, speed in knots, course. A
// sentence that ends before its longitude's hemisphere has no position.
std::optional<RmcPosition> ReadPosition(const RmcSentence& s) {
  if (!s.Has(6) || s.field[2].empty() || s.field[2][0] != 'A') return std::nullopt;
  const std::optional<double> latitude =
      WithHemisphere(ReadDegrees(s.field[3], 2), s.field[4], 'N', 'S');
  const std::optional<double> longitude =
      WithHemisphere(ReadDegrees(s.field[5], 3), s.field[6], 'E', 'W');
  if (!latitude || !longitude) return std::nullopt;
  RmcPosition position{*latitude, *longitude, 0.0, 0.0};
  if (s.Has(7)) position.speed = ParseDecimalPrefix(s.field[7]) * kKnotsToKmh;
  if (s.Has(8)) position.course = ParseDecimalPrefix(s.field[8]);
  return position;
}

// "hhmmss.sss" -> "hh:mm:ss", a zero, up to three fraction digits padded with '0', a zero.
bool ReadSentenceTime(std::string_view field, GpsFix& fix) {
  if (field.size() < 6 || !AllDigits(field.substr(0, 6))) return false;
  char text[kGpsTimeTextSize] = {field[0], field[1], ':', field[2], field[3], ':', field[4],
                                 field[5], '\0',     '0', '0',      '0',      '\0'};
  if (field.size() > 6 && field[6] == '.') {
    const std::string_view fraction = field.substr(7, 3);
    for (std::size_t i = 0; i < fraction.size() && IsDigit(fraction[i]); ++i)
      text[9 + i] = fraction[i];
  }
  std::memcpy(fix.time, text, kGpsTimeTextSize);
  return true;
}

// "ddmmyy" -> "20yy/mm/dd"; all six characters digits, a day of 1 to 31 and a month of 1 to 12.
bool ReadSentenceDate(std::string_view field, GpsFix& fix) {
  if (field.size() < 6 || !AllDigits(field.substr(0, 6))) return false;
  const int day = DigitsValue(field.substr(0, 2));
  const int month = DigitsValue(field.substr(2, 2));
  if (day < 1 || day > 31 || month < 1 || month > 12) return false;
  const char text[kGpsDateTextSize] = {'2',      '0', field[4], field[5], '/', field[2],
                                       field[3], '/', field[0], field[1], '\0'};
  std::memcpy(fix.date, text, kGpsDateTextSize);
  return true;
}

bool ReadRecorderPrefix(std::string_view line, GpsFix& fix) {
  if (line.size() < kPrefixTimeStart + kPrefixTimeLength) return false;
  std::memcpy(fix.date, line.data(), kPrefixDateLength);
  std::memcpy(fix.time, line.data() + kPrefixTimeStart, kPrefixTimeLength);
  return true;
}

bool ReadRmcFix(std::string_view line, GpsFix& fix) {
  const bool prefixed = !line.starts_with(kGprmc) && !line.starts_with(kGnrmc);
  if (prefixed && !ReadRecorderPrefix(line, fix)) return false;
  const std::optional<RmcSentence> sentence = FindRmc(line);
  if (!sentence) return false;
  const std::optional<RmcPosition> position = ReadPosition(*sentence);
  if (!position) return false;
  if (!prefixed) {
    if (!ReadSentenceTime(sentence->field[1], fix)) return false;
    if (sentence->Has(9) && !ReadSentenceDate(sentence->field[9], fix)) return false;
  }
  fix.latitude = position->latitude;
  fix.longitude = position->longitude;
  fix.speed = position->speed;
  fix.course = position->course;
  return true;
}

void ApplyOffsetTable(GpsFix& fix) {
  const std::optional<GpsOffset> offset = GlobalGpsOffsetTable().Find(fix.longitude, fix.latitude);
  if (!offset) return;
  fix.longitude += offset->longitude;
  fix.latitude += offset->latitude;
}

// To the nearest multiple of half an hour, halves rounded up, for either sign.
std::int64_t RoundToHalfHour(std::int64_t seconds) {
  const std::int64_t shifted = seconds + kHalfHour / 2;
  std::int64_t halves = shifted / kHalfHour;
  if (shifted % kHalfHour < 0) --halves;
  return halves * kHalfHour;
}

std::optional<int> FieldValue(std::string_view text, std::size_t pos, std::size_t length, int low,
                              int high) {
  const std::string_view digits = text.substr(pos, length);
  if (!AllDigits(digits)) return std::nullopt;
  const int value = DigitsValue(digits);
  if (value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace

GpsPoint::GpsPoint() = default;

GpsPoint::GpsPoint(double lat, double lon, double spd, double crs,
                   const char (&dateText)[kGpsDateTextSize],
                   const char (&timeText)[kGpsTimeTextSize], std::int32_t difference)
    : invalid(lat == kNoPosition || lon == kNoPosition ? 1 : 0),
      latitude(std::clamp(lat, -90.0, 90.0)),
      longitude(std::clamp(lon, -180.0, 180.0)),
      speed(std::clamp(spd, 0.0, 999999.0)),
      course(std::clamp(crs, 0.0, 360.0)),
      timeDifference(difference) {
  std::memcpy(date, dateText, kGpsDateTextSize);
  std::memcpy(time, timeText, kGpsTimeTextSize);
}

std::int64_t GpsTextsToLocalTime(const char (&date)[kGpsDateTextSize],
                                 const char (&time)[kGpsTimeTextSize]) {
  const std::string_view d(date, kGpsDateTextSize);
  const std::string_view t(time, kGpsTimeTextSize);
  const std::optional<int> year = FieldValue(d, 0, 4, 0, 9999);
  const std::optional<int> month = FieldValue(d, 5, 2, 1, 12);
  const std::optional<int> day = FieldValue(d, 8, 2, 1, 31);
  const std::optional<int> hour = FieldValue(t, 0, 2, 0, 23);
  const std::optional<int> minute = FieldValue(t, 3, 2, 0, 59);
  const std::optional<int> second = FieldValue(t, 6, 2, 0, 59);
  if (!year || !month || !day || !hour || !minute || !second) return -1;
  return plat::LocalToEpoch(*year, *month, *day, *hour, *minute, *second);
}

bool GpsTrack::Clear() {
  segments_.clear();
  return true;
}

bool GpsTrack::ParseRmc(std::string_view line, GpsFix& fix) {
  GpsFix parsed;
  if (!ReadRmcFix(UpToFirstZero(line), parsed)) {
    fix.latitude = kNoPosition;
    fix.longitude = kNoPosition;
    return false;
  }
  ApplyOffsetTable(parsed);
  fix = parsed;
  return true;
}

void GpsTrack::SettleTimeDifference() {
  if (timeDifference_ != -1 || recorderTime_ == 0) return;
  const std::int64_t fixTime = GpsTextsToLocalTime(fix_.date, fix_.time);
  if (fixTime == -1) return;
  const std::int64_t difference = RoundToHalfHour(recorderTime_ - fixTime);
  if (difference < std::numeric_limits<std::int32_t>::min() ||
      difference > std::numeric_limits<std::int32_t>::max()) {
    return;
  }
  timeDifference_ = static_cast<std::int32_t>(difference);
}

GpsPoint GpsTrack::ParseSentence(std::string_view line) {
  if (!ParseRmc(line, fix_)) return GpsPoint();
  SettleTimeDifference();
  return GpsPoint(fix_.latitude, fix_.longitude, fix_.speed, fix_.course, fix_.date, fix_.time,
                  timeDifference_ == -1 ? 0 : timeDifference_);
}

bool GpsTrack::AddSentence(std::string_view line) {
  if (segments_.empty()) segments_.emplace_back();
  GpsPoint point = ParseSentence(line);
  if (point.invalid) return false;
  GpsTrackSegment& segment = segments_.front();
  const std::int64_t fixTime = GpsTextsToLocalTime(point.date, point.time);
  if (fixTime != -1) {
    point.timeValue = fixTime + point.timeDifference;
    if (segment.firstTime == 0) segment.firstTime = point.timeValue;
    segment.lastTime = point.timeValue;
  }
  segment.points.push_back(point);
  return true;
}

bool ParseRmcPosition(std::string_view line, double& latitude, double& longitude, double& speed,
                      double& course) {
  const std::optional<RmcSentence> sentence = FindRmc(UpToFirstZero(line));
  if (!sentence || sentence->beforeStar == 'N') return false;
  const std::optional<RmcPosition> position = ReadPosition(*sentence);
  if (!position) return false;
  latitude = position->latitude;
  longitude = position->longitude;
  speed = position->speed;
  course = position->course;
  return true;
}
