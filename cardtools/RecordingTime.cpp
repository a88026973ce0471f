#include "cardtools/RecordingTime.h"

#include <ctime>

#include "platform/Time.h"

namespace {

CString LocalTimeText(std::int64_t seconds, const wchar_t* format) {
  std::tm tm{};
  if (!plat::EpochToLocal(seconds, &tm)) return CString();
  CString text;
  text.Format(format, tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

}  // namespace

CString RecordingTimeText(std::int64_t seconds) { return LocalTimeText(seconds, L"%04d-%02d-%02d %02d:%02d:%02d"); }

CString RecordingFileStem(std::int64_t seconds) { return LocalTimeText(seconds, L"%04d%02d%02d_%02d%02d%02d"); }

CString RecordingLengthText(std::int64_t seconds) {
  const std::int64_t s = seconds < 0 ? 0 : seconds;
  CString text;
  text.Format(L"%02lld:%02lld:%02lld", static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
              static_cast<long long>(s % 60));
  return text;
}
