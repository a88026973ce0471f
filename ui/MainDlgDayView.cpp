// The day view (calendar, hour and minute grids), the record list and the settings list.
//
// The day view works on shown times: a recording's start and end as every window shows them in
// the chosen zone (settings/DisplayTime.h), so a day, an hour or a minute here is the one the user
// reads on the record list and on the picture.
#include <algorithm>

#include "engine/IIbpCtrl.h"
#include "platform/Time.h"
#include "settings/AppConfig.h"
#include "ui/DayGrid.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

using ui::kHourColumns;
using ui::kMinuteColumns;

namespace {

constexpr int kRecordColumnWidth = 127;
// The time columns are at least as wide as this date and time (digits are alike in width) or
// their heading, with room for the cell's and the heading's margins.
constexpr wchar_t kWidestTime[] = L"8888-88-88 88:88:88";
constexpr int kColumnMargin = 16;
constexpr int kSettingsColumnWidth = 190;
// The lists' ground and text: the skin's "well" and "ink" (rc/skin/design.json).
constexpr COLORREF kListGround = RGB(0x0E, 0x10, 0x14);
constexpr COLORREF kListText = RGB(0xC7, 0xD0, 0xDA);
// The settings list reads from the top in this order.
constexpr const wchar_t* kSettingRows[] = {L"Video Format",         L"Video Quality",
                                           L"Video Frame Rate",     L"Car Type",
                                           L"G-sensor Sensitivity", L"Audio Recording"};

// Marks: 0 no recording, 1 or 2 a recording, anything else a marked recording.
constexpr COLORREF kNoRecordingColour = 0x686868;
constexpr COLORREF kRecordingColour = 0x00FF00;
constexpr COLORREF kMarkedColour = 0x0000FF;
// The timer leaves the position alone this long after a minute is chosen.
constexpr DWORD kMinuteSeekLockMs = 1000;
// A cell outside every grid: setting it as focus or mark takes them away.
constexpr int kNoCell = 99;

COLORREF MarkColour(int mark) {
  if (mark == 0) return kNoRecordingColour;
  return mark == 1 || mark == 2 ? kRecordingColour : kMarkedColour;
}

panels::Date DateOf(const COleDateTime& date) { return {date.GetYear(), date.GetMonth(), date.GetDay()}; }

COleDateTime MidnightOf(const panels::Date& day) { return COleDateTime(day.year, day.month, day.day, 0, 0, 0); }

void ClearFocusAndMark(CGridCtrl& grid) {
  grid.SetFocusCell(kNoCell, kNoCell);
  grid.SetMarkedCell(kNoCell, kNoCell);
}

void FocusCell(CGridCtrl& grid, int column) {
  grid.SetFocusCell(0, column);
  grid.SetMarkedCell(0, column);
}

int ClickedColumn(const NMHDR* notify) { return reinterpret_cast<const GridNotify*>(notify)->iColumn; }

}  // namespace

// Both lists share the mode's list area; the record list's rows come from the card dialog. They
// wear the skin's well and ink colours, so that they sit in the dark window as its own.
void CMainDlg::InitLists() {
  const ui::LayoutRect& area = ui::AreaRect(ui::Area::kRecordList, uiMode_);
  for (CListCtrl* list : {&recordList_, &settingsList_}) {
    list->MoveWindow(area.left, area.top, area.Width(), area.Height(), FALSE);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    list->SetBkColor(kListGround);
    list->SetTextColor(kListText);
  }
  settingsList_.InsertColumn(0, LoadLanguageString(L"Setting"), LVCFMT_LEFT, kSettingsColumnWidth);
  settingsList_.InsertColumn(1, LoadLanguageString(L"Value"), LVCFMT_LEFT, kSettingsColumnWidth);
  for (auto row = std::rbegin(kSettingRows); row != std::rend(kSettingRows); ++row) {
    settingsList_.InsertItem(0, LoadLanguageString(*row));
  }
  const int timeWidth = recordList_.GetStringWidth(kWidestTime) + kColumnMargin;
  int column = 0;
  for (const wchar_t* heading : {L"RECORD TIME", L"TIME END", L"Total Times"}) {
    const CString text = LoadLanguageString(heading);
    const int fitted = std::max(column < 2 ? timeWidth : 0, recordList_.GetStringWidth(text) + kColumnMargin);
    recordList_.InsertColumn(column++, text, LVCFMT_LEFT, std::max(kRecordColumnWidth, fitted));
  }
}

void CMainDlg::InitGridsAndCalendar() {
  ClearDayMarks();
  SetupHourGrid(grids_[0]);
  SetupHourGrid(grids_[1]);
  SetupMinuteGrid(grids_[2]);
  SetupMinuteGrid(grids_[3]);
  ColourHourGrids();
  ColourMinuteGrids();
  for (CGridCtrl& grid : grids_) grid.ShowWindow(SW_HIDE);
  calendar_.ShowWindow(SW_HIDE);
}

void CMainDlg::ClearDayMarks() {
  dayView_.ClearDay();
  if (calendarPanel_.GetSafeHwnd()) calendarPanel_.ClearDayMarks();
}

void CMainDlg::SetupHourGrid(CGridCtrl& grid) { ui::LayDayGridCells(grid, kHourColumns); }

void CMainDlg::SetupMinuteGrid(CGridCtrl& grid) { ui::LayDayGridCells(grid, kMinuteColumns); }

// The marks are the day-view model's; the window only colours them.
void CMainDlg::FillDay(const COleDateTime& date) {
  ClearDayMarks();
  const panels::Date day = DateOf(date);
  dayView_.FillDay(day, GetDisplayZone());
  ColourHourGrids();
  ColourMinuteGrids();
  if (calendarPanel_.GetSafeHwnd()) calendarPanel_.ShowDay(MidnightOf(day));
}

void CMainDlg::ColourHourGrids() {
  for (int g = 0; g < 2; ++g) {
    for (int c = 0; c < kHourColumns; ++c) {
      ColourGridCell(grids_[static_cast<size_t>(g)], c, dayView_.HourMark(g * kHourColumns + c));
    }
    grids_[static_cast<size_t>(g)].Invalidate();
  }
}

// Without a chosen hour every minute is grey.
void CMainDlg::ColourMinuteGrids() {
  for (int g = 0; g < 2; ++g) {
    for (int c = 0; c < kMinuteColumns; ++c) {
      const int hour = dayView_.ChosenHour();
      const int mark = hour < 0 ? 0 : dayView_.MinuteMark(hour, g * kMinuteColumns + c);
      ColourGridCell(grids_[static_cast<size_t>(2 + g)], c, mark);
    }
    grids_[static_cast<size_t>(2 + g)].Invalidate();
  }
}

void CMainDlg::ColourGridCell(CGridCtrl& grid, int column, int mark) {
  const COLORREF colour = MarkColour(mark);
  grid.SetItemBkColour(0, column, colour);
  grid.SetItemFgColour(0, column, colour);
}

// Every day that a shown recording touches, from the day it starts to the day it ends.
void CMainDlg::MarkRecordedDays() {
  calendar_.ClearMarkedDates();
  for (const panels::Date& day : dayView_.RecordedDays(GetDisplayZone())) calendar_.AddMarkedDate(MidnightOf(day));
}

void CMainDlg::RefreshSelectedDay() {
  FillDay(calendar_.GetCurrentDate());
  MarkRecordedDays();
}

void CMainDlg::MoveCalendarTo(std::int64_t time) {
  if (time == 0 || !dayView_.ChooseTime(time, GetDisplayZone())) return;
  const COleDateTime day = MidnightOf(dayView_.ChosenDay());
  calendar_.SetCurrentDate(day);
  FillDay(day);
  MarkRecordedDays();
  ColourMinuteGrids();
  FocusGridCell(dayView_.ChosenHour(), dayView_.ChosenMinute());
  if (calendarPanel_.GetSafeHwnd()) calendarPanel_.ShowTime(time);
}

// Seeks to the chosen hour and minute of the day; the timer leaves the position alone meanwhile.
void CMainDlg::PlayAtMinute(const COleDateTime& date) {
  const std::optional<std::int64_t> time = dayView_.ChosenMinuteOf(DateOf(date), GetDisplayZone());
  if (!time) return;
  gsensorPoints_.clear();
  mapDlg_.ClearPaths();
  seekLockUntil_ = GetTickCount() + kMinuteSeekLockMs;
  if (engine_ != nullptr) engine_->Seek(*time);
}

void CMainDlg::FocusGridCell(int hour, int minute) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60) return;
  const auto hourGrid = static_cast<size_t>(hour / kHourColumns);
  const auto minuteGrid = static_cast<size_t>(2 + minute / kMinuteColumns);
  ClearFocusAndMark(grids_[1 - hourGrid]);
  ClearFocusAndMark(grids_[5 - minuteGrid]);
  FocusCell(grids_[hourGrid], hour % kHourColumns);
  FocusCell(grids_[minuteGrid], minute % kMinuteColumns);
}

// A click on an hour shows that hour's minutes.
void CMainDlg::OnHourGridClick(int gridId, NMHDR* notify) {
  const bool late = gridId == mainid::kHourGrid12;
  ClearFocusAndMark(grids_[late ? 0 : 1]);
  const int column = ClickedColumn(notify);
  if (column >= 0 && column < kHourColumns) dayView_.ChooseHour(column + (late ? kHourColumns : 0));
  grids_[2].SetMarkedCell(kNoCell, kNoCell);
  grids_[3].SetMarkedCell(kNoCell, kNoCell);
  ColourMinuteGrids();
}

// A click on a minute that holds a recording seeks there; a grey minute is only selected.
void CMainDlg::OnMinuteGridClick(int gridId, NMHDR* notify) {
  const bool late = gridId == mainid::kMinuteGrid30;
  ClearFocusAndMark(grids_[late ? 2 : 3]);
  const int column = ClickedColumn(notify);
  if (column < 0 || column >= kMinuteColumns) return;
  dayView_.ChooseMinute(column + (late ? kMinuteColumns : 0));
  const COLORREF colour = grids_[late ? 3 : 2].GetItemBkColour(0, column);
  if ((colour == kRecordingColour || colour == kMarkedColour) && dayView_.HasChosenDay()) {
    PlayAtMinute(MidnightOf(dayView_.ChosenDay()));
  }
}

void CMainDlg::OnCalendarSelect() {
  for (CGridCtrl& grid : grids_) ClearFocusAndMark(grid);
  dayView_.ChooseDay(DateOf(calendar_.GetCurrentDate()));
  FillDay(MidnightOf(dayView_.ChosenDay()));
}

int CMainDlg::GetMinuteRecord(int hour, int minute) const { return dayView_.MinuteRecord(hour, minute); }
