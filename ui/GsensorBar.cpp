#include "ui/GsensorBar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// An empty second starts from these so that its first sample sets both extremes.
constexpr GsensorSample kEmptyMinimum{512, 512, 512, -1};
constexpr GsensorSample kEmptyMaximum{-512, -512, -512, -1};

int Saturated(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max()));
}

bool WithinLimit(int value, int limit) { return value >= -limit && value <= limit; }

GsensorSample AbsoluteDifference(const GsensorSample& a, const GsensorSample& b) {
  const GsensorSample d = a - b;
  return {std::abs(d.x), std::abs(d.y), std::abs(d.z), d.index};
}

GsensorSample PerAxisMin(const GsensorSample& a, const GsensorSample& b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z), a.index};
}

GsensorSample PerAxisMax(const GsensorSample& a, const GsensorSample& b) {
  return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z), a.index};
}

// The spread from low to high, negative when the low extreme is the larger one.
int SignedSpread(int high, int low) {
  return std::abs(high) < std::abs(low) ? low - high : high - low;
}

}  // namespace

void GsensorBar::SetLayout(int left, int top, int right, int bottom, int xOffset, int yOffset,
                           int scale, int xOrigin, int ownerValue1, int ownerValue2,
                           int ownerValue3) {
  if (next_ != nullptr) next_->SetLayout(left, top, right, bottom, 0, 0, -1, 0);
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
  xOffset_ = xOffset;
  yOffset_ = yOffset;
  xOrigin_ = xOrigin;
  ownerValues_ = {ownerValue1, ownerValue2, ownerValue3};
  leftMargin_ = kLeftMargin;
  rightMargin_ = kRightMargin;
  const std::int64_t width = std::int64_t{right} - left;
  columns_ = Saturated(std::max<std::int64_t>(0, width - leftMargin_ - rightMargin_));
  middle_ = Saturated((std::int64_t{top} + bottom) / 2);
  scale_ = scale == -1 ? Saturated((std::int64_t{bottom} - top) / 10) : scale;
  AllocColumns();
}

void GsensorBar::AllocColumns() {
  const auto count = static_cast<std::size_t>(columns_);
  columnRecords_.assign(count, GsensorSample{});
  marks_.assign(count, GsensorSegmentMark{});
  columnValues_.assign(count, 0);
}

void GsensorBar::SetTimeRange(int start, int span) {
  if (next_ != nullptr) next_->SetTimeRange(start, span);
  start_ = start;
  span_ = span <= 0 ? 1 : std::min(span, kMaxSpan);
  const int perColumn = columns_ > 0 ? span_ / columns_ : 0;
  window_ = perColumn >= 5 ? perColumn : kMinWindow;
  ResetSamples();
  reached_ = 0;
  clockFollows_ = span_ < columns_ ? 1 : 0;
}

void GsensorBar::ResetSamples() {
  secondRecords_.clear();
  secondValues_.clear();
  lateSamples_.clear();
  ResetCursorState();
  std::fill(marks_.begin(), marks_.end(), GsensorSegmentMark{});
  lastSample_.index = -1;
  std::fill(columnRecords_.begin(), columnRecords_.end(), GsensorSample{});
  std::fill(columnValues_.begin(), columnValues_.end(), 0);
  secondRecords_.reserve(2 * static_cast<std::size_t>(span_));
  secondValues_.reserve(static_cast<std::size_t>(span_));
  for (int second = 0; second < span_; ++second) {
    secondValues_.push_back(-1);
    secondRecords_.push_back(kEmptyMinimum);
    secondRecords_.push_back(kEmptyMaximum);
  }
}

void GsensorBar::AddSample(int x, int y, int z, int time) {
  if (frozen_) return;
  if (next_ != nullptr) next_->AddSample(x, y, z, time);
  const bool inLimit = WithinLimit(x, limit_) && WithinLimit(y, limit_) && WithinLimit(z, limit_);
  StoreSample(inLimit ? GsensorSample{x, y, z, time} : GsensorSample{0, 0, 0, time});
  if (!clockFollows_) MoveReached(std::int64_t{time} - start_);
}

void GsensorBar::StoreSample(const GsensorSample& sample) {
  if (!sample.IsZero()) {
    // Each bar of the chain takes the sample itself, so a change marks only this bar's columns.
    if (lastSample_.index != -1 && AbsoluteDifference(sample, lastSample_).Exceeds(thresholds_)) {
      GsensorSegmentMark change;
      change.flags[0] = 1;
      MarkOwnSegments(change, sample.index);
    }
    lastSample_ = sample;
  }
  const auto count = static_cast<std::int64_t>(secondRecords_.size());
  const std::int64_t k = 2 * (std::int64_t{sample.index} - start_ - 1);
  if (count == 0 || k >= count) {
    // The older half goes at once, so that keeping the newest costs a copy only now and then.
    if (lateSamples_.size() >= kMostLateSamples) {
      lateSamples_.erase(lateSamples_.begin(), lateSamples_.begin() + kMostLateSamples / 2);
    }
    lateSamples_.push_back(sample);
    return;
  }
  const auto minimum = static_cast<std::size_t>(std::max<std::int64_t>(k, 0));
  GsensorSample& low = secondRecords_[minimum];
  GsensorSample& high = secondRecords_[minimum + 1];
  low = PerAxisMin(low, sample);
  low.index = static_cast<int>(minimum);
  high = PerAxisMax(high, sample);
  high.index = static_cast<int>(minimum + 1);
}

void GsensorBar::MoveReached(std::int64_t sinceStart) {
  if (span_ <= 0) return;
  const std::int64_t column = std::int64_t{columns_} * sinceStart / span_;
  currentColumn_ = static_cast<int>(std::clamp<std::int64_t>(column, 0, columns_));
  reached_ = std::max(reached_, currentColumn_);
}

void GsensorBar::SetValueAt(int value, double realValue, int time) {
  if (next_ != nullptr) next_->SetValueAt(value, realValue, time);
  SetOwnValue(value, realValue, time);
}

void GsensorBar::SetOwnValue(int value, double realValue, int time) {
  const auto seconds = static_cast<std::int64_t>(secondValues_.size());
  const auto columns = static_cast<std::int64_t>(columnValues_.size());
  const std::int64_t s = std::int64_t{time} - start_ - 1;
  if (columns == 0 || s < 0 || s >= seconds) return;
  int& secondValue = secondValues_[static_cast<std::size_t>(s)];
  int v = value;
  if (secondValue == -1 && realValue != 0.0 && !std::isnan(realValue)) {
    v = static_cast<int>(std::clamp<double>(std::trunc(realValue), std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max()));
  }
  secondValue = std::max(secondValue, v);
  const std::int64_t width = std::min(columns / seconds + 1, columns);
  const std::int64_t limit = columns - width - 1;
  std::int64_t first = std::min(columns * s / seconds, limit);
  if (limit < 1 || first < 1) first = 0;
  for (std::int64_t c = first; c < first + width; ++c) {
    int& columnValue = columnValues_[static_cast<std::size_t>(c)];
    columnValue = std::max(columnValue, v);
  }
}

void GsensorBar::MarkSegments(const GsensorSegmentMark& flags, int time) {
  if (next_ != nullptr) next_->MarkSegments(flags, time);
  MarkOwnSegments(flags, time);
}

void GsensorBar::MarkOwnSegments(const GsensorSegmentMark& flags, int time) {
  const auto count = static_cast<std::int64_t>(marks_.size());
  if (span_ <= 0 || count == 0) return;
  const std::int64_t column = std::int64_t{columns_} * (std::int64_t{time} - start_) / span_;
  const std::int64_t first = std::clamp<std::int64_t>(column, 0, count - 1) + 1;
  const std::int64_t end = std::min(first + columns_ / span_ + 1, count);
  for (std::int64_t c = first; c < end; ++c) {
    GsensorSegmentMark& mark = marks_[static_cast<std::size_t>(c)];
    mark.marked = 1;
    for (int f = 0; f < GsensorSegmentMark::kFlagCount; ++f) mark.flags[f] |= flags.flags[f];
  }
}

void GsensorBar::ReloadSamples() {
  if (next_ != nullptr) next_->ReloadSamples();
  if (span_ == 0) return;
  for (std::size_t c = 0; c < columnRecords_.size(); ++c) {
    const GsensorSample value = ColumnValue(static_cast<int>(c));
    if (value.index == -1) {
      columnRecords_[c].index = -1;
    } else {
      columnRecords_[c] = value;
      columnRecords_[c].index = static_cast<int>(c);
    }
  }
}

// A column covers about half a window of seconds, ending at the second it stands for.
GsensorSample GsensorBar::ColumnValue(int column) const {
  const auto seconds = static_cast<std::int64_t>(secondRecords_.size());
  const auto columns = static_cast<std::int64_t>(columnRecords_.size());
  if (seconds == 0 || columns == 0) return {};
  std::int64_t i = SecondRecordOf(column);
  if (secondRecords_[static_cast<std::size_t>(i)].index == -1) return {};
  GsensorSample high = secondRecords_[static_cast<std::size_t>(i)];
  GsensorSample low = high;
  for (int w = window_ - 1; i >= 0 && w > 0; i -= 2, w -= 2) {
    const GsensorSample& maximum = secondRecords_[static_cast<std::size_t>(i)];
    const GsensorSample& minimum = secondRecords_[static_cast<std::size_t>(i - 1)];
    if (maximum.index != -1) high = PerAxisMax(high, maximum);
    if (minimum.index != -1) low = PerAxisMin(low, minimum);
  }
  return {ScaleAmplitude(SignedSpread(high.x, low.x)), ScaleAmplitude(SignedSpread(high.y, low.y)),
          ScaleAmplitude(SignedSpread(high.z, low.z)), 0};
}

std::int64_t GsensorBar::SecondRecordOf(int column) const {
  const auto seconds = static_cast<std::int64_t>(secondRecords_.size());
  const auto columns = static_cast<std::int64_t>(columnRecords_.size());
  std::int64_t i = std::min((std::int64_t{column} + 1) * seconds / columns, seconds - 1);
  if (i % 2 == 0) ++i;  // a maximum record; the count of records is even
  return i;
}

int GsensorBar::ScaleAmplitude(int amplitude) const {
  return Saturated(std::int64_t{amplitude} * scale_ * 2 / 1024);
}

void GsensorBar::SetClockTime(int time) {
  if (next_ != nullptr) next_->SetClockTime(time);
  const std::int64_t sinceStart = std::int64_t{time} - start_;
  if (clockFollows_ && sinceStart > 0) MoveReached(sinceStart);
}

void GsensorBar::ResetProgress() {
  if (next_ != nullptr) next_->ResetProgress();
  reached_ = 0;
}

void GsensorBar::ResetCursorState() {
  if (next_ != nullptr) next_->ResetCursorState();
  currentColumn_ = 0;
  rememberedCursor_ = 0;
}

void GsensorBar::SetFrozen(bool frozen) {
  if (next_ != nullptr) next_->SetFrozen(frozen);
  frozen_ = frozen ? 1 : 0;
}

void GsensorBar::SetHold(bool hold) {
  if (next_ != nullptr) next_->SetHold(hold);
  hold_ = hold ? 1 : 0;
}

void GsensorBar::SetTracking(bool tracking) {
  tracking_ = tracking ? 1 : 0;
  if (!tracking && hold_ != 1) rememberedCursor_ = -1;
}

bool GsensorBar::SetCursorX(int x) {
  if (targetDc_ == nullptr || x == -1) return false;
  cursorX_ = x;
  return true;
}

void GsensorBar::UpdateCursor(int x, bool absolute) {
  const int p = absolute ? x : Saturated(std::int64_t{x} - xOrigin_);
  if (!tracking_) {
    if (holdCountdown_ >= 1) {
      SetCursorX(rememberedCursor_);
      --holdCountdown_;
    } else {
      SetCursorX(p);
    }
  } else if (!absolute) {
    rememberedCursor_ = p;
    SetCursorX(p);
    holdCountdown_ = kTrackingHold;
  } else {
    SetCursorX(rememberedCursor_ == -1 ? ColumnX(p) : rememberedCursor_);
  }
}

int GsensorBar::XToTime(int x, const RECT& client, int leftMargin, int rightMargin, int rangeMin,
                        int rangeMax) {
  const std::int64_t width = std::int64_t{client.right} - client.left;
  const std::int64_t divisor = width - leftMargin - rightMargin + 2;
  if (divisor <= 0) return rangeMin;
  // Outside 0..divisor the result is clamped anyway; inside, the product fits in 64 bits.
  const std::int64_t dx =
      std::clamp<std::int64_t>(std::int64_t{x} - client.left - leftMargin, 0, divisor);
  std::int64_t t = dx * (std::int64_t{rangeMax} - rangeMin) / divisor + rangeMin;
  if (t < rangeMin) t = rangeMin;
  if (t > rangeMax) t = rangeMax;
  return static_cast<int>(t);
}
