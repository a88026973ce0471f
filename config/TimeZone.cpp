#include "config/TimeZone.h"

#include <cstdlib>
#include <mutex>

#include "platform/Time.h"

namespace {

// Offsets in minutes of the zones in use around the world, west to east.
constexpr int kZoneMinutes[] = {-720, -660, -600, -570, -540, -480, -420, -360, -300, -240, -210, -180,
                                -120, -60,  0,    60,   120,  180,  210,  240,  270,  300,  330,  345,
                                360,  390,  420,  480,  525,  540,  570,  600,  630,  660,  720,  765,
                                780,  840};

TimeZoneRow MakeRow(std::int32_t seconds, std::int32_t id) {
  TimeZoneRow row;
  row.seconds = seconds;
  row.hours = seconds / 3600;
  row.quarterHours = (seconds % 3600) / 900;
  row.id = id;
  const int minutes = std::abs(seconds) / 60;
  row.name.Format(L"(UTC%c%02d:%02d)", seconds < 0 ? L'-' : L'+', minutes / 60, minutes % 60);
  return row;
}

std::mutex g_mutex;

std::vector<TimeZoneRow>& Rows() {
  static std::vector<TimeZoneRow> rows = [] {
    std::vector<TimeZoneRow> r;
    r.push_back(MakeRow(0, 0));
    for (int minutes : kZoneMinutes) r.push_back(MakeRow(minutes * 60, static_cast<std::int32_t>(r.size())));
    r.push_back(TimeZoneRow{});
    return r;
  }();
  return rows;
}

int FindFromRowOne(std::int32_t seconds) {
  const auto& rows = Rows();
  for (size_t i = 1; i < rows.size() && !rows[i].name.IsEmpty(); ++i)
    if (rows[i].seconds == seconds) return static_cast<int>(i);
  return -1;
}

}  // namespace

const std::vector<TimeZoneRow>& TimeZoneTable() { return Rows(); }

std::int32_t InitTimeZoneTable() {
  const std::int32_t offset = plat::LocalUtcOffsetSeconds();
  std::lock_guard lock(g_mutex);
  Rows()[0] = MakeRow(offset, 0);
  return offset;
}

int GetLocalTimeZoneRow() {
  std::lock_guard lock(g_mutex);
  return FindFromRowOne(Rows()[0].seconds);
}

int TimeZoneIndexFromOffset(std::int32_t value) {
  std::lock_guard lock(g_mutex);
  return FindFromRowOne(value - 43200);
}
