// The hour and minute grids of a day, as the main window and the calendar panel both show them:
// one row of equal cells that only show colours.
#pragma once

class CGridCtrl;

namespace ui {

inline constexpr int kHourColumns = 12;    // a half day of hours
inline constexpr int kMinuteColumns = 30;  // a half hour of minutes

// Column c of n across a width w spans from c * w / n to (c + 1) * w / n, so the widths fill it.
int EvenColumnWidth(int width, int columns, int column);

// One row of cells filling the grid exactly, so that it never needs a scroll bar (a row one pixel
// taller than the grid would bring one up). The cells shrink first: while the grid needs scroll
// bars they may leave no client area to measure.
void LayDayGridCells(CGridCtrl& grid, int columns);

}  // namespace ui
