// One day of recordings minute by minute, as the calendar panel shows it: which hours and minutes
// recordings cover, and which recording covers each minute, so that a click on a minute plays the
// recording of that minute of that very day. Days, hours and minutes are those the display zone
// shows (settings/DisplayTime.h).
#pragma once

#include <array>
#include <compare>
#include <vector>

#include "cardtools/RecordSpanEntry.h"
#include "settings/DisplayTime.h"

namespace panels {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  auto operator<=>(const Date&) const = default;
};

Date DateOf(const app::DisplayTime& time);
// The day after, months and leap years counted.
Date NextDay(const Date& date);

// A span is shown when it lasts less than an hour and a second and does not end before it starts.
bool IsShownSpan(const RecordSpanEntry& span);

class DayIndex {
 public:
  static constexpr int kNone = 0;
  static constexpr int kRecorded = 2;

  DayIndex() { Clear(); }

  void Clear();
  // Marks the hours and minutes of the day that the shown spans cover, a span reaching into the
  // day from the day before from 00:00 and one running on into the next day up to 23:59.
  void Fill(const std::vector<RecordSpanEntry>& spans, const Date& day, const app::DisplayZone& zone);

  // 0 for none (and outside the day), 2 for recorded.
  int HourMark(int hour) const;
  int MinuteMark(int hour, int minute) const;
  // The index in the spans of the recording that covers the minute (the last listed when several
  // do); -1 for none.
  int SpanAt(int hour, int minute) const;

 private:
  static bool IsMinute(int hour, int minute) { return hour >= 0 && hour < 24 && minute >= 0 && minute < 60; }
  void MarkSpan(int index, const app::DisplayTime& start, const app::DisplayTime& end, const Date& day);

  std::array<int, 24> hours_{};
  std::array<int, 24 * 60> minutes_{};
  std::array<int, 24 * 60> spans_{};
};

// Every day that a shown span touches, from its start's day to its end's day, each once.
std::vector<Date> RecordedDays(const std::vector<RecordSpanEntry>& spans, const app::DisplayZone& zone);

}  // namespace panels
