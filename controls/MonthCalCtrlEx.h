// CMonthCalCtrlEx: the dark, owner-drawn month calendar of the calendar panel. A title bar holds a
// year and a month drop-down list between two triangular arrows; below it a header row of weekday
// names (Sunday first) and 6 x 7 day cells. Marked days get a red frame, the chosen day is filled
// yellow. Choosing a day, a month or a year tells the parent (WM_NOTIFY, NM_MONTHCAL_DATECHANGE).
#pragma once

#include <functional>
#include <vector>

#include "platform/OleDateTime.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Wnd.h"

// WM_NOTIFY code of the calendar when the shown date changes through it.
constexpr int NM_MONTHCAL_DATECHANGE = -101;

class CMonthCalCtrlEx : public CWnd {
 public:
  static constexpr int kCellCount = 42;
  static constexpr UINT kYearListId = 10001;
  static constexpr UINT kMonthListId = 10002;

  struct DayCell {
    CString text;           // the day number
    COleDateTime date;      // midnight of the cell's day
    short monthFlag = 0;    // -1 previous month, 0 the month shown, 1 next month
    COLORREF color = 0xFFFFFF;
    WORD marked = 0;
  };

  // Registers the window class "MFCMonthCalCtrlEx", which dialog templates name.
  CMonthCalCtrlEx();
  ~CMonthCalCtrlEx() override;

  COleDateTime GetCurrentDate() const { return shownDate_; }
  // Shows the month of the date with the date chosen; the caller repaints.
  void SetCurrentDate(const COleDateTime& date);
  // Shows the month of today (on) or of 1970-01-01 (off), repainted.
  void SetToday(BOOL today);
  // On: the days of the neighbouring months are shown and can be chosen, and a month that begins
  // on a Sunday starts with a whole week of the month before.
  void SetShowAdjacentDays(BOOL show);
  void AddMarkedDate(const COleDateTime& date);
  void ClearMarkedDates();
  const std::vector<COleDateTime>& GetMarkedDates() const { return marked_; }
  // Called when a press of the left button lands on another day than the one under the pointer
  // before; the owner clears what belongs to the old day there. Nothing is called while unset.
  void SetPressCallback(std::function<void()> callback) { onPress_ = std::move(callback); }

  // Cell 0 is the top-left one; null outside 0..41.
  const DayCell* GetDayCell(int index) const;
  int GetSelectedCell() const { return selected_; }

  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();
  void ComputeSizes();
  void PlaceLists();
  void FillYearList(int year);
  void BuildMonth(COleDateTime date, bool redraw);
  bool IsMarked(const COleDateTime& date) const;
  void Notify();

  CRect TitleRect() const;
  void ArrowPoints(int arrow, POINT out[3]) const;
  CRect ArrowRect(int arrow) const;
  CRect HeaderCellRect(int index) const;
  CRect CellRect(int index) const;
  int HitCell(CPoint point) const;
  int HitArrow(CPoint point) const;
  void InvalidateCell(int index);

  void OnPaint();
  void DrawArrow(CDC& dc, int arrow) const;
  void DrawHeader(CDC& dc) const;
  void DrawCell(CDC& dc, int index) const;
  void OnMouseMove(UINT keys, CPoint point);
  void OnLButtonDown(UINT keys, CPoint point);
  void OnLButtonUp();
  void StepMonth(int arrow);
  void OnMouseLeave();
  void OnListChange(UINT id);

  DayCell cells_[kCellCount];
  int cellWidth_ = 20;
  int cellHeight_ = 12;
  int margin_ = 0;
  int headerCellWidth_ = 20;
  int headerHeight_ = 15;
  int separatorHeight_ = 1;
  int titleHeight_ = 28;
  CFont font_;
  int hoveredArrow_ = -1;
  BOOL startToday_ = TRUE;
  BOOL showAdjacent_ = FALSE;
  COLORREF cellBorder_;
  int selected_ = -1;
  int hovered_ = -1;
  COleDateTime shownDate_;
  CComboBox monthList_;
  CComboBox yearList_;
  int yearFilled_ = 0;
  BOOL leaveArmed_ = FALSE;
  BOOL leftHeld_ = FALSE;
  std::vector<COleDateTime> marked_;
  std::function<void()> onPress_;
};
