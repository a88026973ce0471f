#include "ui/panels/DayIndex.h"

#include <algorithm>
#include <optional>

#include "platform/OleDateTime.h"

namespace panels {
namespace {

constexpr std::int64_t kLongestShownSpan = 3600;

}  // namespace

Date DateOf(const app::DisplayTime& time) { return {time.year, time.month, time.day}; }

Date NextDay(const Date& date) {
  if (date.day < plat::DaysInMonth(date.year, date.month)) return {date.year, date.month, date.day + 1};
  if (date.month < 12) return {date.year, date.month + 1, 1};
  return {date.year + 1, 1, 1};
}

bool IsShownSpan(const RecordSpanEntry& span) {
  return span.end >= span.start && span.end - span.start <= kLongestShownSpan;
}

void DayIndex::Clear() {
  hours_.fill(kNone);
  minutes_.fill(kNone);
  spans_.fill(-1);
}

void DayIndex::Fill(const std::vector<RecordSpanEntry>& spans, const Date& day, const app::DisplayZone& zone) {
  Clear();
  for (size_t i = 0; i < spans.size(); ++i) {
    if (!IsShownSpan(spans[i])) continue;
    const std::optional<app::DisplayTime> start = app::ToDisplayTime(spans[i].start, zone);
    const std::optional<app::DisplayTime> end = app::ToDisplayTime(spans[i].end, zone);
    if (start && end) MarkSpan(static_cast<int>(i), *start, *end, day);
  }
}

void DayIndex::MarkSpan(int index, const app::DisplayTime& start, const app::DisplayTime& end, const Date& day) {
  if (DateOf(start) > day || DateOf(end) < day) return;
  const int first = DateOf(start) < day ? 0 : start.hour * 60 + start.minute;
  const int last = DateOf(end) > day ? 24 * 60 - 1 : end.hour * 60 + end.minute;
  for (int m = first; m <= last; ++m) {
    minutes_[static_cast<size_t>(m)] = std::max(minutes_[static_cast<size_t>(m)], kRecorded);
    hours_[static_cast<size_t>(m / 60)] = std::max(hours_[static_cast<size_t>(m / 60)], kRecorded);
    spans_[static_cast<size_t>(m)] = index;
  }
}

int DayIndex::HourMark(int hour) const { return hour >= 0 && hour < 24 ? hours_[static_cast<size_t>(hour)] : kNone; }

int DayIndex::MinuteMark(int hour, int minute) const {
  return IsMinute(hour, minute) ? minutes_[static_cast<size_t>(hour * 60 + minute)] : kNone;
}

int DayIndex::SpanAt(int hour, int minute) const {
  return IsMinute(hour, minute) ? spans_[static_cast<size_t>(hour * 60 + minute)] : -1;
}

std::vector<Date> RecordedDays(const std::vector<RecordSpanEntry>& spans, const app::DisplayZone& zone) {
  std::vector<Date> days;
  for (const RecordSpanEntry& span : spans) {
    if (!IsShownSpan(span)) continue;
    const std::optional<app::DisplayTime> start = app::ToDisplayTime(span.start, zone);
    const std::optional<app::DisplayTime> end = app::ToDisplayTime(span.end, zone);
    if (!start || !end) continue;
    for (Date d = DateOf(*start); d <= DateOf(*end); d = NextDay(d)) {
      if (std::find(days.begin(), days.end(), d) == days.end()) days.push_back(d);
    }
  }
  return days;
}

}  // namespace panels
