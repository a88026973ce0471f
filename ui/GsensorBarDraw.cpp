// Drawing of the G-sensor bar: the curves of the reached columns and the starts of their events.
#include <algorithm>

#include "controls/EventLogRow.h"
#include "platform/gdi/Dc.h"
#include "ui/GsensorBar.h"

namespace {

// The event-log flag that each mark byte carries (the event log fills the bytes in this order).
constexpr int kEventFlagOfByte[GsensorSegmentMark::kFlagCount] = {1, 4, 2,  3,  5,  6,
                                                                  7, 8, 9, 10, 11, 12};

int AxisValue(const GsensorSample& sample, int axis) {
  return axis == 0 ? sample.x : axis == 1 ? sample.y : sample.z;
}

// The first event flag set in this mark and not in the one before, or -1. Byte 0 is left out: the
// bar's own change detection sets it on nearly every column that has samples, so where it starts
// tells nothing.
int NewFlag(const GsensorSegmentMark& mark, const GsensorSegmentMark& before) {
  if (!mark.marked) return -1;
  for (int f = 1; f < GsensorSegmentMark::kFlagCount; ++f) {
    if (mark.flags[f] && !before.flags[f]) return f;
  }
  return -1;
}

}  // namespace

bool GsensorBar::Draw(CDC* dc) {
  targetDc_ = dc;
  if (dc == nullptr || columnRecords_.size() < 2) return false;
  // A frozen bar holds a whole event log: all its columns are shown.
  const int count = static_cast<int>(columnRecords_.size());
  if (frozen_) reached_ = count;
  reached_ = std::min(reached_, count);
  DrawMarks(*dc);
  DrawCurves(*dc);
  return false;
}

void GsensorBar::DrawCurves(CDC& dc) {
  CPen* old = nullptr;
  for (int axis = 0; axis < 3; ++axis) {
    CPen pen(PS_SOLID, 1, penColors_[axis]);
    CPen* previous = dc.SelectObject(&pen);
    if (axis == 0) old = previous;
    DrawCurve(dc, axis);
  }
  dc.SelectObject(old);
}

// Where several columns stand for one second they hold one value: the curve runs straight from the
// first column of each second to the next second's, so that it rises and falls as the samples do
// instead of standing flat across each second and jumping at its end. A column without samples
// ends the curve; the next one with samples starts it again.
void GsensorBar::DrawCurve(CDC& dc, int axis) {
  const auto segment = [&](int from, int to) {
    dc.MoveTo(ColumnX(columnRecords_[from].index), ValueY(AxisValue(columnRecords_[from], axis)));
    dc.LineTo(ColumnX(columnRecords_[to].index), ValueY(AxisValue(columnRecords_[to], axis)));
  };
  int from = -1;
  for (int c = 0; c < reached_; ++c) {
    if (columnRecords_[c].index < 0) {
      if (from >= 0 && c - 1 > from) segment(from, c - 1);
      from = -1;
      continue;
    }
    const bool knot = from < 0 || c == reached_ - 1 || SecondRecordOf(c) != SecondRecordOf(c - 1);
    if (!knot) continue;
    if (from >= 0) segment(from, c);
    from = c;
  }
}

// A segment of marked columns shows where its event starts: a dotted line across the bar in the
// event's colour, under the curves.
void GsensorBar::DrawMarks(CDC& dc) {
  const GsensorSegmentMark none;
  for (int c = 0; c < reached_ && c < static_cast<int>(marks_.size()); ++c) {
    const int flag = NewFlag(marks_[c], c > 0 ? marks_[c - 1] : none);
    if (flag < 0) continue;
    const COLORREF color = GetEventColor(kEventFlagOfByte[flag]);
    for (int y = top_; y < bottom_; y += 2) dc.SetPixel(ColumnX(c), y, color);
  }
}
