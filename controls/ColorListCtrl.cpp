#include "controls/ColorListCtrl.h"

#include "platform/gdi/Dc.h"

namespace {

constexpr COLORREF kSelectedFill = 0xFF9933;
constexpr int kBarParts = 11;
constexpr int kFirstBarFlag = 1;
constexpr int kLastBarFlag = 8;
// Flag 12 has a colour of its own but does not colour the row's text.
constexpr int kLastTextFlag = 11;
constexpr int kBarInsetTop = 4;
constexpr int kBarInsetBottom = 3;
constexpr int kTextMargin = 2;

}  // namespace

void CColorListCtrl::SetRows(std::vector<EventLogRow> rows) {
  rows_ = std::move(rows);
  Invalidate(FALSE);
}

void CColorListCtrl::PreSubclassWindow() {
  CListCtrl::PreSubclassWindow();
  ModifyStyle(0, LVS_REPORT | LVS_OWNERDRAWFIXED);
}

COLORREF CColorListCtrl::RowTextColor(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return GetEventColor(0);
  const EventLogRow& r = rows_[static_cast<size_t>(row)];
  for (int flag = 0; flag <= kLastTextFlag; ++flag) {
    if (r.GetFlag(flag)) return GetEventColor(flag);
  }
  return GetEventColor(0);
}

void CColorListCtrl::DrawEventBars(CDC& dc, const CRect& cell, int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  const EventLogRow& r = rows_[static_cast<size_t>(row)];
  const int part = cell.Width() / kBarParts;
  for (int flag = kFirstBarFlag; flag <= kLastBarFlag; ++flag) {
    if (!r.GetFlag(flag)) continue;
    const CRect bar(cell.left + flag * part, cell.top + kBarInsetTop, cell.left + (flag + 1) * part,
                    cell.bottom - kBarInsetBottom);
    dc.FillSolidRect(&bar, GetEventColor(flag));
  }
}

void CColorListCtrl::DrawItem(LPDRAWITEMSTRUCT item) {
  CDC* dc = CDC::FromHandle(item->hDC);
  if (!dc) return;
  const int row = static_cast<int>(item->itemID);
  const CRect rowRect(item->rcItem);
  dc->FillSolidRect(&rowRect, (item->itemState & ODS_SELECTED) ? kSelectedFill : GetSysColor(COLOR_WINDOW));
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(RowTextColor(row));
  int left = rowRect.left;
  const int columns = GetColumnCount();
  for (int column = 0; column < columns; ++column) {
    const int width = GetColumnWidth(column);
    if (width <= 0) continue;  // a hidden column; the ones after it still show
    const CRect cell(left, rowRect.top, left + width, rowRect.bottom);
    if (column == eventColumn_) {
      DrawEventBars(*dc, cell, row);
    } else {
      CRect text(cell);
      text.DeflateRect(kTextMargin, 0);
      dc->DrawText(GetItemText(row, column), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    left += width;
  }
}
