#include "ui/DayViewModel.h"

int DayViewModel::SpanOfChunk(std::int64_t chunk) const {
  if (chunk < 0) return -1;
  for (int n = SpanCount() - 1; n >= 0; --n) {
    if (Span(n).firstChunk <= chunk) return n;
  }
  return -1;
}

std::vector<panels::Date> DayViewModel::RecordedDays(const app::DisplayZone& zone) const {
  return panels::RecordedDays(spans_, zone);
}

bool DayViewModel::ChooseTime(std::int64_t time, const app::DisplayZone& zone) {
  const std::optional<app::DisplayTime> shown = app::ToDisplayTime(time, zone);
  if (!shown) return false;
  chosenDay_ = panels::DateOf(*shown);
  chosenHour_ = shown->hour;
  chosenMinute_ = shown->minute;
  return true;
}

void DayViewModel::ChooseDay(const panels::Date& day) { chosenDay_ = day; }

std::optional<std::int64_t> DayViewModel::ChosenMinuteOf(const panels::Date& day, const app::DisplayZone& zone) const {
  if (chosenHour_ < 0 || chosenMinute_ < 0) return std::nullopt;
  return app::FromDisplayTime({day.year, day.month, day.day, chosenHour_, chosenMinute_, 0}, zone);
}
