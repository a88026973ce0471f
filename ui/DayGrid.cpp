#include "ui/DayGrid.h"

#include "controls/grid/GridCtrl.h"

namespace ui {

int EvenColumnWidth(int width, int columns, int column) {
  return (column + 1) * width / columns - column * width / columns;
}

void LayDayGridCells(CGridCtrl& grid, int columns) {
  if (!grid.GetSafeHwnd()) return;
  grid.DeleteAllItems();
  grid.SetEditable(FALSE);
  grid.EnableDragAndDrop(FALSE);
  grid.SetRowResize(FALSE);
  grid.SetColumnResize(FALSE);
  grid.SetRowCount(1);
  grid.SetColumnCount(columns);
  grid.SetFixedRowCount(0);
  grid.SetFixedColumnCount(0);
  for (int c = 0; c < columns; ++c) grid.SetColumnWidth(c, 0);
  grid.SetRowHeight(0, 0);
  grid.EnableScrollBars(SB_BOTH, FALSE);
  CRect client;
  grid.GetClientRect(&client);
  for (int c = 0; c < columns; ++c) grid.SetColumnWidth(c, EvenColumnWidth(client.Width(), columns, c));
  grid.SetRowHeight(0, client.Height());
}

}  // namespace ui
