// DayViewModel: the recordings of the open source as the main window lists them (their spans, in
// list order) and the day the day view shows of them: which hours and minutes recordings cover,
// which recording covers each minute, and the day, hour and minute the user chose. The day view,
// the calendar and the position timer all ask it, so that they agree on which recording a time
// or a chunk belongs to.
//
// It knows no window and no engine: days, hours and minutes are those of the display zone it is
// given (settings/DisplayTime.h).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cardtools/RecordSpanEntry.h"
#include "settings/DisplayTime.h"
#include "ui/panels/DayIndex.h"

class DayViewModel {
 public:
  // ---- The spans, in the order the card dialog listed them
  const std::vector<RecordSpanEntry>& Spans() const { return spans_; }
  void AppendSpan(const RecordSpanEntry& span) { spans_.push_back(span); }
  // The day's marks and the choice stay until the day is filled or cleared.
  void ClearSpans() { spans_.clear(); }
  bool IsSpan(int n) const { return n >= 0 && n < SpanCount(); }
  int SpanCount() const { return static_cast<int>(spans_.size()); }
  // n must be a span (IsSpan).
  const RecordSpanEntry& Span(int n) const { return spans_[static_cast<size_t>(n)]; }
  // The recording a chunk belongs to: the last whose first chunk is not after it; -1 for none
  // (also for a negative chunk, which is no picture).
  int SpanOfChunk(std::int64_t chunk) const;
  // Every day that a shown span touches, each once.
  std::vector<panels::Date> RecordedDays(const app::DisplayZone& zone) const;

  // ---- The day shown
  void ClearDay() { day_.Clear(); }
  // Marks the minutes and hours of the day that the shown spans cover.
  void FillDay(const panels::Date& day, const app::DisplayZone& zone) { day_.Fill(spans_, day, zone); }
  int HourMark(int hour) const { return day_.HourMark(hour); }
  int MinuteMark(int hour, int minute) const { return day_.MinuteMark(hour, minute); }
  // The recording of the minute of the day shown, -1 for none.
  int MinuteRecord(int hour, int minute) const { return day_.SpanAt(hour, minute); }

  // ---- What the user chose
  // The day of a recording time, with its hour and minute; false (nothing chosen) when the zone
  // cannot show it.
  bool ChooseTime(std::int64_t time, const app::DisplayZone& zone);
  void ChooseDay(const panels::Date& day);
  void ChooseHour(int hour) { chosenHour_ = hour; }
  void ChooseMinute(int minute) { chosenMinute_ = minute; }
  bool HasChosenDay() const { return chosenDay_.has_value(); }
  // Only when HasChosenDay.
  const panels::Date& ChosenDay() const { return *chosenDay_; }
  // -1 for none.
  int ChosenHour() const { return chosenHour_; }
  int ChosenMinute() const { return chosenMinute_; }
  // The recording time of the chosen hour and minute of a day; none while either is unchosen or
  // the zone has no such time.
  std::optional<std::int64_t> ChosenMinuteOf(const panels::Date& day, const app::DisplayZone& zone) const;

 private:
  std::vector<RecordSpanEntry> spans_;
  panels::DayIndex day_;
  std::optional<panels::Date> chosenDay_;
  int chosenHour_ = -1;
  int chosenMinute_ = -1;
};
