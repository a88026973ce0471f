#include "ui/panels/CalendarPanel.h"

#include <algorithm>
#include <optional>

#include "engine/IIbpCtrl.h"
#include "ui/DayGrid.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

using ui::kHourColumns;
using ui::kMinuteColumns;

namespace {

constexpr std::array<int, 4> kGridIds{mainid::kHourGrid0, mainid::kHourGrid12, mainid::kMinuteGrid0,
                                      mainid::kMinuteGrid30};
// A cell outside every grid: focus and mark set there are gone from sight.
constexpr int kNowhere = 99;
// The grids' auto-size style: columns and rows sized by the panel, not by their contents.
constexpr int kAutoSizeStyle = 3;
// The Close button's distance from the panel's top and right edges.
constexpr int kCloseMargin = 8;

bool IsDate(const panels::Date& date) { return date.year != 0; }

panels::Date DateOf(const COleDateTime& date) { return {date.GetYear(), date.GetMonth(), date.GetDay()}; }

}  // namespace

CalendarPanel::CalendarPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

COLORREF CalendarPanel::MarkColour(int mark) {
  if (mark == 0) return kEmptyColour;
  return mark == 1 || mark == 2 ? kRecordedColour : kMarkedColour;
}

BOOL CalendarPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCalendarPanel.background);
  const auto& controls = ui::kCalendarPanelControls;
  if (calendar_.SubclassDlgItem(mainid::kCalendar, this)) {
    Place(calendar_, FindDesign(controls, mainid::kCalendar)->rect);
    calendar_.ShowWindow(SW_SHOW);
  }
  for (size_t i = 0; i < grids_.size(); ++i) {
    if (!grids_[i].SubclassDlgItem(static_cast<UINT>(kGridIds[i]), this)) continue;
    Place(grids_[i], FindDesign(controls, kGridIds[i])->rect);
    grids_[i].EnableSelection(FALSE);
    grids_[i].SetTrackFocusCell(FALSE);
  }
  PlaceButtons(controls, {mainid::kCalendar, kGridIds[0], kGridIds[1], kGridIds[2], kGridIds[3]});
  PlaceCloseButton();
  SetRegionShape({4, 4, 0});
  ClearDayMarks();
  SetUpGrid(grids_[kMinutes0], kMinuteColumns);
  SetUpGrid(grids_[kMinutes30], kMinuteColumns);
  SetUpGrid(grids_[kHours0], kHourColumns);
  SetUpGrid(grids_[kHours12], kHourColumns);
  PaintHourGrids();
  PaintMinuteGrids();
  return TRUE;
}

// The day grid's cells, sized as the grid's contents when it sizes itself to them.
void CalendarPanel::SetUpGrid(CGridCtrl& grid, int columns) {
  if (!grid.GetSafeHwnd()) return;
  grid.SetAutoSizeStyle(kAutoSizeStyle);
  ui::LayDayGridCells(grid, columns);
}

// The Close button's place in the design lies under the calendar's month list; it stands in the
// panel's free top-right corner instead, above everything.
void CalendarPanel::PlaceCloseButton() {
  CVxSkinButton* close = Button(mainid::kClose);
  if (close == nullptr) return;
  CRect panel;
  GetClientRect(&panel);
  const ui::LayoutRect& design = FindDesign(ui::kCalendarPanelControls, mainid::kClose)->rect;
  close->SetWindowPos(&wndTop, panel.right - kCloseMargin - design.Width(), kCloseMargin, design.Width(),
                      design.Height(), SWP_NOACTIVATE);
}

void CalendarPanel::Toggle(int mode) {
  CSidePanel::Toggle(mode);
  if (showState_ != kShown || !m_hWnd) return;
  MarkRecordingDays();
  ShowDate(IsDate(shownDay_) ? shownDay_ : DateOf(calendar_.GetCurrentDate()));
}

void CalendarPanel::ClearDayMarks() {
  day_.Clear();
  PaintHourGrids();
  PaintMinuteGrids();
}

void CalendarPanel::ShowDay(const COleDateTime& day) { ShowDate(DateOf(day)); }

void CalendarPanel::ShowDate(const panels::Date& day) {
  shownDay_ = day;
  if (main_ != nullptr) day_.Fill(main_->GetSpans(), day, Zone());
  if (calendar_.GetSafeHwnd() && DateOf(calendar_.GetCurrentDate()) != day) {
    calendar_.SetCurrentDate(COleDateTime(day.year, day.month, day.day, 0, 0, 0));
    calendar_.Invalidate();
  }
  PaintHourGrids();
  PaintMinuteGrids();
}

void CalendarPanel::ShowTime(std::int64_t recordingTime) {
  if (recordingTime == 0) return;
  const std::optional<app::DisplayTime> shown = app::ToDisplayTime(recordingTime, Zone());
  if (!shown) return;
  ShowDate(panels::DateOf(*shown));
  MarkRecordingDays();
  SelectTime(recordingTime);
}

void CalendarPanel::SelectTime(std::int64_t recordingTime) {
  const std::optional<app::DisplayTime> shown = app::ToDisplayTime(recordingTime, Zone());
  if (!shown) return;
  if (panels::DateOf(*shown) != shownDay_) {
    ShowDate(panels::DateOf(*shown));
    MarkRecordingDays();
  }
  ClearSelection();
  selectedHour_ = shown->hour;
  selectedMinute_ = shown->minute;
  PaintMinuteGrids();
  MarkSelectedCells();
}

void CalendarPanel::MarkRecordingDays() {
  if (!calendar_.GetSafeHwnd()) return;
  calendar_.ClearMarkedDates();
  if (main_ != nullptr) {
    for (const panels::Date& d : main_->DayView().RecordedDays(Zone())) {
      calendar_.AddMarkedDate(COleDateTime(d.year, d.month, d.day, 0, 0, 0));
    }
  }
  calendar_.Invalidate();
}

void CalendarPanel::PaintHourGrids() {
  PaintCells(grids_[kHours0], 0, true);
  PaintCells(grids_[kHours12], kHourColumns, true);
}

// With no hour chosen every minute is grey.
void CalendarPanel::PaintMinuteGrids() {
  PaintCells(grids_[kMinutes0], 0, false);
  PaintCells(grids_[kMinutes30], kMinuteColumns, false);
}

void CalendarPanel::PaintCells(CGridCtrl& grid, int first, bool hours) {
  if (!grid.GetSafeHwnd()) return;
  for (int c = 0; c < grid.GetColumnCount(); ++c) {
    const int mark = hours ? day_.HourMark(first + c) : day_.MinuteMark(selectedHour_, first + c);
    grid.SetItemBkColour(0, c, MarkColour(mark));
    grid.SetItemFgColour(0, c, MarkColour(mark));
  }
  grid.Invalidate();
}

LRESULT CalendarPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && lParam != 0) OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

void CalendarPanel::OnNotify(const NMHDR& notify) {
  const int id = static_cast<int>(notify.idFrom);
  if (id == mainid::kCalendar && notify.code == static_cast<UINT>(NM_MONTHCAL_DATECHANGE)) {
    OnCalendarDate();
    return;
  }
  const auto grid = std::find(kGridIds.begin(), kGridIds.end(), id);
  if (grid == kGridIds.end() || notify.code != static_cast<UINT>(NM_CLICK)) return;
  const auto index = static_cast<GridIndex>(grid - kGridIds.begin());
  const int column = reinterpret_cast<const GridNotify&>(notify).iColumn;
  if (index == kHours0 || index == kHours12) {
    OnHourClick(index, column);
  } else {
    OnMinuteClick(index, column);
  }
}

void CalendarPanel::OnHourClick(GridIndex index, int column) {
  UnmarkGrid(grids_[index == kHours0 ? kHours12 : kHours0]);
  if (column < 0 || column >= kHourColumns) return;
  UnmarkGrid(grids_[kMinutes0]);
  UnmarkGrid(grids_[kMinutes30]);
  selectedHour_ = column + (index == kHours12 ? kHourColumns : 0);
  PaintMinuteGrids();
}

// Only a minute where a recording lies plays.
void CalendarPanel::OnMinuteClick(GridIndex index, int column) {
  UnmarkGrid(grids_[index == kMinutes0 ? kMinutes30 : kMinutes0]);
  if (column < 0 || column >= kMinuteColumns) return;
  selectedMinute_ = column + (index == kMinutes30 ? kMinuteColumns : 0);
  if (IsDate(shownDay_) && day_.MinuteMark(selectedHour_, selectedMinute_) != panels::DayIndex::kNone) {
    PlayMinute(selectedHour_, selectedMinute_);
  }
}

void CalendarPanel::OnCalendarDate() {
  ClearSelection();
  ShowDate(DateOf(calendar_.GetCurrentDate()));
}

// The recording that covers the minute of the shown day plays from that minute, or from its start
// when it starts later in the minute.
void CalendarPanel::PlayMinute(int hour, int minute) {
  const int span = day_.SpanAt(hour, minute);
  if (main_ == nullptr || !main_->DayView().IsSpan(span)) return;
  const std::int64_t spanStart = main_->DayView().Span(span).start;
  main_->ClearMapSelectionList();
  main_->GetMapDlg().ClearPaths();
  PlaySpan(span);
  const app::DisplayTime at{shownDay_.year, shownDay_.month, shownDay_.day, hour, minute, 0};
  const std::optional<std::int64_t> time = app::FromDisplayTime(at, Zone());
  if (IIbpCtrl* engine = Engine(); engine != nullptr && time) engine->Seek(std::max(*time, spanStart));
}

void CalendarPanel::PlaySpan(int span) {
  if (main_ != nullptr) main_->PlayRecord(span);
}

void CalendarPanel::ClearSelection() {
  selectedHour_ = -1;
  selectedMinute_ = -1;
  for (CGridCtrl& grid : grids_) UnmarkGrid(grid);
}

// The chosen hour's and minute's cells are marked where a recording lies.
void CalendarPanel::MarkSelectedCells() {
  if (day_.HourMark(selectedHour_) != panels::DayIndex::kNone) {
    CGridCtrl& hours = grids_[selectedHour_ < kHourColumns ? kHours0 : kHours12];
    hours.SetFocusCell(0, selectedHour_ % kHourColumns);
    hours.SetMarkedCell(0, selectedHour_ % kHourColumns);
  }
  if (day_.MinuteMark(selectedHour_, selectedMinute_) != panels::DayIndex::kNone) {
    CGridCtrl& minutes = grids_[selectedMinute_ < kMinuteColumns ? kMinutes0 : kMinutes30];
    minutes.SetFocusCell(0, selectedMinute_ % kMinuteColumns);
    minutes.SetMarkedCell(0, selectedMinute_ % kMinuteColumns);
  }
}

void CalendarPanel::UnmarkGrid(CGridCtrl& grid) {
  if (!grid.GetSafeHwnd()) return;
  grid.SetFocusCell(kNowhere, kNowhere);
  grid.SetMarkedCell(kNowhere, kNowhere);
}

app::DisplayZone CalendarPanel::Zone() const {
  return main_ != nullptr ? main_->GetDisplayZone() : app::DisplayZone::PcZone();
}

bool CalendarPanel::OnButton(int id) {
  if (id != mainid::kClose) return false;
  HidePanel();
  return true;
}
