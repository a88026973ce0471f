// CColorListCtrl: an owner-drawn report list of event-log records. Each row is written in the
// colour of its record's first set event flag, a selected row is filled blue, and the event column
// shows one coloured bar for each of the flags 1 to 8 that is set.
#pragma once

#include <vector>

#include "controls/EventLogRow.h"
#include "platform/wnd/ListCtrl.h"

class CColorListCtrl : public CListCtrl {
 public:
  // Row i of the list draws record i.
  void SetRows(std::vector<EventLogRow> rows);
  const std::vector<EventLogRow>& GetRows() const { return rows_; }
  // The column that shows the event bars instead of its text; -1 (the default) for none.
  void SetEventColumn(int column) { eventColumn_ = column; }

  void PreSubclassWindow() override;
  void DrawItem(LPDRAWITEMSTRUCT item) override;

 private:
  COLORREF RowTextColor(int row) const;
  void DrawEventBars(CDC& dc, const CRect& cell, int row) const;

  std::vector<EventLogRow> rows_;
  int eventColumn_ = -1;
};
