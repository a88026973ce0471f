// CalendarPanel: the floating panel that finds recordings by date (template 1704): a month
// calendar marking the days with recordings, and four one-row grids of the chosen day's hours and
// the chosen hour's minutes.
#pragma once

#include <array>

#include "controls/MonthCalCtrlEx.h"
#include "controls/grid/GridCtrl.h"
#include "ui/panels/SidePanel.h"

class CalendarPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 1704;

  explicit CalendarPanel(CWnd* parent);

  CMonthCalCtrlEx& Calendar() { return calendar_; }
  // Hours 0-11, hours 12-23, minutes 0-29, minutes 30-59.
  CGridCtrl& Grid(int index) { return grids_.at(static_cast<size_t>(index)); }

  BOOL OnInitDialog() override;

 private:
  CMonthCalCtrlEx calendar_;
  std::array<CGridCtrl, 4> grids_;
};
