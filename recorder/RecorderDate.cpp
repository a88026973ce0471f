#include "recorder/RecorderDate.h"

#include <cstring>
#include <ctime>

#include "platform/Time.h"

bool IsValidRecorderDate(const std::uint8_t* d) {
  return d[1] >= 1 && d[1] <= 12 && d[2] >= 1 && d[2] <= 31 && d[3] < 24 && d[4] < 60 && d[5] < 60;
}

std::int64_t RecorderDateToLocalTime(const std::uint8_t* d) {
  if (!IsValidRecorderDate(d)) return 0;
  const std::int64_t t = plat::LocalToEpoch(1800 + d[0], d[1], d[2], d[3], d[4], d[5]);
  return t < 0 ? 0 : t;
}

void RecorderDateFromTime(std::int64_t time, std::uint8_t* date) {
  std::memset(date, 0, 6);
  std::tm tm{};
  if (!plat::EpochToLocal(time, &tm)) return;
  const int year = tm.tm_year + 1900;
  if (year < 1800 || year > 1800 + 255) return;
  date[0] = static_cast<std::uint8_t>(year - 1800);
  date[1] = static_cast<std::uint8_t>(tm.tm_mon + 1);
  date[2] = static_cast<std::uint8_t>(tm.tm_mday);
  date[3] = static_cast<std::uint8_t>(tm.tm_hour);
  date[4] = static_cast<std::uint8_t>(tm.tm_min);
  date[5] = static_cast<std::uint8_t>(tm.tm_sec);
}

RecorderDate RecorderDateFromTime(std::int64_t time) {
  RecorderDate d{};
  RecorderDateFromTime(time, d.data());
  return d;
}
