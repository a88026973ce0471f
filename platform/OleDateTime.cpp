#include "platform/OleDateTime.h"

#include <cmath>
#include <ctime>

#include "platform/Time.h"

namespace {

constexpr int kSecondsPerDay = 86400;
// 1899-12-30, the day the count starts from, is this many days before 1970-01-01.
constexpr std::int64_t kEpochOffsetDays = 25569;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

namespace plat {

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace plat

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime::COleDateTime(std::int64_t time) {
  std::tm tm{};
  if (!plat::EpochToLocal(time, &tm)) {
    m_status = invalid;
    return;
  }
  SetDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime(static_cast<std::int64_t>(std::time(nullptr))); }

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  const bool ok = year >= 100 && year <= 9999 && day >= 1 && day <= plat::DaysInMonth(year, month) && hour >= 0 &&
                  hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
  if (!ok) {
    m_dt = 0.0;
    m_status = invalid;
    return 1;
  }
  const std::int64_t days = DaysFromCivil(year, month, day) + kEpochOffsetDays;
  const double fraction = static_cast<double>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
  // Before the start day the time of day still counts forward: -1.25 is 1899-12-29 06:00.
  m_dt = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  m_status = valid;
  return 0;
}

bool COleDateTime::Split(Fields& out) const {
  if (m_status != valid || !std::isfinite(m_dt) || std::fabs(m_dt) > 3.0e6) return false;
  std::int64_t days = static_cast<std::int64_t>(std::trunc(m_dt));
  std::int64_t seconds = std::llround(std::fabs(m_dt - static_cast<double>(days)) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    ++days;
    seconds -= kSecondsPerDay;
  }
  const std::int64_t fromUnix = days - kEpochOffsetDays;
  CivilFromDays(fromUnix, out.year, out.month, out.day);
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  out.dayOfWeek = static_cast<int>(((fromUnix + 4) % 7 + 7) % 7) + 1;  // 1970-01-01 was a Thursday
  return true;
}
