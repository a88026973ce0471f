#include "platform/Time.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Sync.h"

namespace {

class SteadyClock : public plat::IClock {
 public:
  std::uint64_t NowMs() const override {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void SleepMs(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::atomic<plat::IClock*> g_tickClock{nullptr};

}  // namespace

DWORD GetTickCount() { return plat::TickClock().TickCount(); }
void Sleep(DWORD ms) { plat::SystemClock().SleepMs(ms); }

namespace plat {

bool IClock::WaitEvent(CEvent& event, std::uint32_t timeoutMs) {
  return event.Wait(static_cast<std::int32_t>(std::min<std::uint32_t>(timeoutMs, INT32_MAX)));
}

IClock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

IClock* SetTickClock(IClock* clock) { return g_tickClock.exchange(clock); }

IClock& TickClock() {
  IClock* c = g_tickClock.load();
  return c ? *c : SystemClock();
}

namespace {

std::tm FieldsOf(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return tm;
}

}  // namespace

std::int64_t LocalToEpoch(int year, int month, int day, int hour, int minute, int second) {
  tzset();
  std::tm tm = FieldsOf(year, month, day, hour, minute, second);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  return static_cast<std::int64_t>(t);
}

std::int64_t UtcToEpoch(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm = FieldsOf(year, month, day, hour, minute, second);
  return static_cast<std::int64_t>(timegm(&tm));
}

bool EpochToLocal(std::int64_t t, std::tm* out) {
  tzset();
  const std::time_t tt = static_cast<std::time_t>(t);
  return localtime_r(&tt, out) != nullptr;
}

bool EpochToUtc(std::int64_t t, std::tm* out) {
  const std::time_t tt = static_cast<std::time_t>(t);
  return gmtime_r(&tt, out) != nullptr;
}

std::optional<std::string> LocalDateTimeText(std::int64_t t) {
  std::tm tm{};
  if (!EpochToLocal(t, &tm)) return std::nullopt;
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return std::string(buf);
}

std::int32_t LocalUtcOffsetSeconds() {
  tzset();
  // `timezone` is seconds west of UTC for standard time.
  return static_cast<std::int32_t>(-timezone);
}

std::int32_t LocalUtcOffsetAt(std::int64_t t) {
  std::tm tm{};
  if (!EpochToLocal(t, &tm)) return LocalUtcOffsetSeconds();
  return static_cast<std::int32_t>(tm.tm_gmtoff);
}

DisplayZone DisplayZone::ForOffset(std::int32_t offsetSeconds) {
  return offsetSeconds == LocalUtcOffsetSeconds() ? PcZone() : Fixed(offsetSeconds);
}

bool EpochToZoneTime(std::int64_t t, const DisplayZone& zone, std::tm* out) {
  return zone.pcZone ? EpochToLocal(t, out) : EpochToUtc(t + zone.offsetSeconds, out);
}

}  // namespace plat
