// CalendarPanel: the floating panel that finds recordings by date (template 1704): a month
// calendar marking the days with recordings, and four one-row grids of the shown day's hours and
// the chosen hour's minutes, coloured where recordings lie. A click on a coloured minute plays the
// recording of that minute of the shown day from that minute on.
//
// The panel keeps its own day's index of recordings per minute, built from the main window's
// spans in the display zone; the main window's day view keeps its own for its own day.
#pragma once

#include <array>
#include <cstdint>

#include "controls/MonthCalCtrlEx.h"
#include "controls/grid/GridCtrl.h"
#include "ui/panels/DayIndex.h"
#include "ui/panels/SidePanel.h"

class CalendarPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 1704;
  // Cell colours: no recording, a recording, a marked recording.
  static constexpr COLORREF kEmptyColour = 0x686868;
  static constexpr COLORREF kRecordedColour = 0x00FF00;
  static constexpr COLORREF kMarkedColour = 0x0000FF;

  explicit CalendarPanel(CWnd* parent);

  // Shown, the panel takes the main window's recordings anew.
  void Toggle(int mode) override;
  // Forgets the marks of the shown day.
  void ClearDayMarks();
  // The day's recordings in the hour and minute grids; the calendar shows that day too.
  void ShowDay(const COleDateTime& day);
  // The day of a recording time (as the main window's spans hold it) shown with its hour chosen
  // and its hour and minute cells marked; 0 changes nothing.
  void ShowTime(std::int64_t recordingTime);
  // The hour and minute of the time chosen and their cells marked where a recording lies; a time
  // of another day shows that day first.
  void SelectTime(std::int64_t recordingTime);
  // The calendar marks every day that holds a recording.
  void MarkRecordingDays();
  void PaintHourGrids();
  void PaintMinuteGrids();

  CMonthCalCtrlEx& Calendar() { return calendar_; }
  // Hours 0-11, hours 12-23, minutes 0-29, minutes 30-59.
  CGridCtrl& Grid(int index) { return grids_.at(static_cast<size_t>(index)); }
  const panels::DayIndex& Day() const { return day_; }
  const panels::Date& GetShownDay() const { return shownDay_; }
  int GetSelectedHour() const { return selectedHour_; }
  int GetSelectedMinute() const { return selectedMinute_; }
  static COLORREF MarkColour(int mark);

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;
  // Plays the recording of the main window's span list from its start.
  virtual void PlaySpan(int span);

 private:
  enum GridIndex { kHours0, kHours12, kMinutes0, kMinutes30 };

  void PlaceCloseButton();
  void ShowDate(const panels::Date& day);
  void SetUpGrid(CGridCtrl& grid, int columns);
  void PaintCells(CGridCtrl& grid, int first, bool hours);
  void OnNotify(const NMHDR& notify);
  void OnHourClick(GridIndex index, int column);
  void OnMinuteClick(GridIndex index, int column);
  void OnCalendarDate();
  void PlayMinute(int hour, int minute);
  void ClearSelection();
  void MarkSelectedCells();
  static void UnmarkGrid(CGridCtrl& grid);
  app::DisplayZone Zone() const;

  CMonthCalCtrlEx calendar_;
  std::array<CGridCtrl, 4> grids_;
  panels::DayIndex day_;
  panels::Date shownDay_;  // none (all 0) before the first day is shown
  int selectedHour_ = -1;
  int selectedMinute_ = -1;
};
