#include "settings/DisplayTime.h"

#include <ctime>

#include "platform/Time.h"

namespace app {
namespace {

DisplayTime FromTm(const std::tm& tm) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::optional<std::int64_t> Valid(std::int64_t t) { return t == -1 ? std::nullopt : std::optional(t); }

}  // namespace

std::optional<DisplayTime> ToDisplayTime(std::int64_t recordingTime, const DisplayZone& zone) {
  std::tm tm{};
  if (!plat::EpochToZoneTime(recordingTime, zone, &tm)) return std::nullopt;
  return FromTm(tm);
}

std::optional<std::int64_t> FromDisplayTime(const DisplayTime& s, const DisplayZone& zone) {
  if (zone.pcZone) return Valid(plat::LocalToEpoch(s.year, s.month, s.day, s.hour, s.minute, s.second));
  const std::optional<std::int64_t> utc = Valid(plat::UtcToEpoch(s.year, s.month, s.day, s.hour, s.minute, s.second));
  if (!utc) return std::nullopt;
  return *utc - zone.offsetSeconds;
}

CString DisplayTimeText(std::int64_t recordingTime, const DisplayZone& zone) {
  const std::optional<DisplayTime> s = ToDisplayTime(recordingTime, zone);
  if (!s) return CString();
  CString text;
  text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", s->year, s->month, s->day, s->hour, s->minute, s->second);
  return text;
}

std::optional<std::int64_t> ToPickerTime(std::int64_t recordingTime, const DisplayZone& zone) {
  const std::optional<DisplayTime> s = ToDisplayTime(recordingTime, zone);
  if (!s) return std::nullopt;
  return FromDisplayTime(*s, DisplayZone::PcZone());
}

std::optional<std::int64_t> FromPickerTime(std::int64_t pickerTime, const DisplayZone& zone) {
  const std::optional<DisplayTime> s = ToDisplayTime(pickerTime, DisplayZone::PcZone());
  if (!s) return std::nullopt;
  return FromDisplayTime(*s, zone);
}

}  // namespace app
