// The selection, the focus cell, the marked cell and the notifications to the owner.
#include <algorithm>
#include <vector>

#include "controls/grid/GridCtrl.h"
#include "platform/wnd/Input.h"

namespace {

// The cells of a map as they are now, so that the map may change while they are visited.
std::vector<std::pair<std::uint64_t, CCellID>> Snapshot(const std::unordered_map<std::uint64_t, CCellID>& map) {
  return {map.begin(), map.end()};
}

}  // namespace

// Sends a notification record, whose header the grid fills, to the owner; the owner's answer.
LRESULT CGridCtrl::NotifyOwner(NMHDR& header, int nCode) const {
  if (!IsWindow(m_hWnd)) return 0;
  header.hwndFrom = m_hWnd;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  header.code = static_cast<UINT>(nCode);
  CWnd* owner = GetOwner();
  if (!owner || !IsWindow(owner->m_hWnd)) return 0;
  return owner->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

LRESULT CGridCtrl::SendMessageToParent(int nRow, int nCol, int nMessage) const {
  GridNotify notify;
  notify.iRow = nRow;
  notify.iColumn = nCol;
  return NotifyOwner(notify.hdr, nMessage);
}

LRESULT CGridCtrl::SendDisplayRequestToParent(GridDispInfo* pDisplayInfo) const {
  return pDisplayInfo ? NotifyOwner(pDisplayInfo->hdr, LVN_GETDISPINFOW) : 0;
}

LRESULT CGridCtrl::SendCacheHintToParent(const CCellRange& range) const {
  GridCacheHint hint;
  hint.range = range;
  return NotifyOwner(hint.hdr, LVN_ODCACHEHINT);
}

BOOL CGridCtrl::IsCellSelected(int nRow, int nCol) const {
  if (!m_bEnableSelection) return FALSE;
  if (m_bVirtualMode) return m_SelectedCellMap.count(CellKey(nRow, nCol)) != 0;
  return (GetItemState(nRow, nCol) & GCS_SELECTED) != 0;
}

CCellRange CGridCtrl::GetSelectedCellRange() const {
  CCellRange range(m_nRows, m_nCols, -1, -1);
  for (const auto& [key, cell] : m_SelectedCellMap) {
    range.SetMinRow(std::min(range.GetMinRow(), cell.row));
    range.SetMinCol(std::min(range.GetMinCol(), cell.col));
    range.SetMaxRow(std::max(range.GetMaxRow(), cell.row));
    range.SetMaxCol(std::max(range.GetMaxCol(), cell.col));
  }
  return range;
}

void CGridCtrl::SetSelectedRange(const CCellRange& range, BOOL bForceRepaint, BOOL bSelectCells) {
  SetSelectedRange(range.GetMinRow(), range.GetMinCol(), range.GetMaxRow(), range.GetMaxCol(), bForceRepaint,
                   bSelectCells);
}

void CGridCtrl::SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint,
                                 BOOL bSelectCells) {
  if (!m_bEnableSelection) return;
  CWaitCursor wait;
  CDC* pDC = bForceRepaint && m_hWnd ? GetDC() : nullptr;
  CCellRange visible;
  CCellRange visibleFixed;
  if (m_hWnd) {
    visible = GetVisibleNonFixedCellRange();
    visibleFixed = GetVisibleFixedCellRange();
  }

  // Bounds inside the fixed rows (and fixed columns, unless rows may be selected there) move to
  // the first body row or column.
  const int firstCol = m_bAllowSelectRowInFixedCol ? 0 : m_nFixedCols;
  const auto bodyRow = [this](int row) { return row >= 0 && row < m_nFixedRows ? m_nFixedRows : row; };
  const auto bodyCol = [this, firstCol](int col) { return col >= 0 && col < firstCol ? m_nFixedCols : col; };
  const CCellRange range(bodyRow(nMinRow), bodyCol(nMinCol), bodyRow(nMaxRow), bodyCol(nMaxCol));
  const auto isVisible = [&](const CCellID& cell) { return visible.InRange(cell) || visibleFixed.InRange(cell); };

  if (bSelectCells) {
    for (const auto& [key, cell] : Snapshot(m_SelectedCellMap)) {
      if (!IsValid(cell)) {
        m_SelectedCellMap.erase(key);
        continue;
      }
      SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GCS_SELECTED);
      m_SelectedCellMap.erase(key);
      if (!range.InRange(cell) && isVisible(cell)) RedrawOrInvalidate(cell, pDC);
    }
    const bool anyNegative = range.GetMinRow() < 0 || range.GetMinCol() < 0 || range.GetMaxRow() < 0 ||
                             range.GetMaxCol() < 0;
    if (!(m_bListMode && m_bSingleRowSelection) && !anyNegative) {
      for (const auto& [key, cell] : Snapshot(m_PrevSelectedCellMap)) {
        if (!IsValid(cell)) continue;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GCS_SELECTED);
        if (isVisible(cell)) RedrawOrInvalidate(cell, pDC);
      }
    }
  }
  if (IsValid(range)) {
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row) {
      for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
        if ((IsCellSelected(row, col) != FALSE) == (bSelectCells != FALSE)) continue;
        const UINT state = GetItemState(row, col);
        SetItemState(row, col, bSelectCells ? state | GCS_SELECTED : state & ~GCS_SELECTED);
        if (isVisible(CCellID(row, col))) RedrawOrInvalidate(CCellID(row, col), pDC);
      }
    }
  }
  if (pDC) ReleaseDC(pDC);
}

void CGridCtrl::RedrawOrInvalidate(const CCellID& cell, CDC* pDC) {
  if (pDC) {
    RedrawCell(cell, pDC);
  } else {
    InvalidateCellRect(cell);
  }
}

void CGridCtrl::SelectCells(CCellID cell, BOOL bForceRepaint, BOOL bSelectCells) {
  if (!m_bEnableSelection || cell.row < m_nFixedRows || cell.col < m_nFixedCols || !IsValid(cell)) return;
  SetSelectedRange(std::min(m_SelectionStartCell.row, cell.row), std::min(m_SelectionStartCell.col, cell.col),
                   std::max(m_SelectionStartCell.row, cell.row), std::max(m_SelectionStartCell.col, cell.col),
                   bForceRepaint, bSelectCells);
}

void CGridCtrl::SelectRows(CCellID cell, BOOL bForceRepaint, BOOL bSelectCells) {
  if (!m_bEnableSelection || cell.row < m_nFixedRows || !IsValid(cell)) return;
  const int firstCol = m_bAllowSelectRowInFixedCol ? 0 : m_nFixedCols;
  if (m_bListMode && m_bSingleRowSelection) {
    SetSelectedRange(cell.row, firstCol, cell.row, m_nCols - 1, bForceRepaint, bSelectCells);
  } else {
    SetSelectedRange(std::min(m_SelectionStartCell.row, cell.row), firstCol,
                     std::max(m_SelectionStartCell.row, cell.row), m_nCols - 1, bForceRepaint, bSelectCells);
  }
}

void CGridCtrl::SelectColumns(CCellID cell, BOOL bForceRepaint, BOOL bSelectCells) {
  if (!m_bEnableSelection || cell.col < m_nFixedCols || !IsValid(cell)) return;
  if (m_bSingleColSelection) {
    SetSelectedRange(m_nFixedRows, cell.col, m_nRows - 1, cell.col, bForceRepaint, bSelectCells);
  } else {
    SetSelectedRange(m_nFixedRows, std::min(m_SelectionStartCell.col, cell.col), m_nRows - 1,
                     std::max(m_SelectionStartCell.col, cell.col), bForceRepaint, bSelectCells);
  }
}

void CGridCtrl::SelectAllCells() {
  if (!m_bEnableSelection) return;
  SetSelectedRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1, FALSE, TRUE);
}

void CGridCtrl::OnSelecting(const CCellID& cell) {
  if (!m_bEnableSelection) return;
  switch (m_MouseMode) {
    case GMM_SELECT_ALL:
      SelectAllCells();
      break;
    case GMM_SELECT_COL:
      SelectColumns(cell, FALSE, TRUE);
      break;
    case GMM_SELECT_ROW:
      SelectRows(cell, FALSE, TRUE);
      break;
    case GMM_SELECT_CELLS:
      SelectCells(cell, FALSE, TRUE);
      break;
    default:
      break;
  }
}

void CGridCtrl::ResetSelectedRange() {
  m_PrevSelectedCellMap.clear();
  SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
  SetFocusCell(-1, -1);
  SetMarkedCell(-1, -1);
}

void CGridCtrl::EnableSelection(BOOL bEnable) {
  ResetSelectedRange();
  m_bEnableSelection = bEnable;
  ResetSelectedRange();
}

void CGridCtrl::OnEditSelectAll() {
  SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, LVN_ITEMCHANGING);
  SelectAllCells();
  SendMessageToParent(m_idCurrentCell.row, m_idCurrentCell.col, LVN_ITEMCHANGED);
}

CCellID CGridCtrl::SetFocusCell(int nRow, int nCol) {
  if (m_idCurrentCell == CCellID(nRow, nCol) || nRow == -1 || nCol == -1) return m_idCurrentCell;
  const CCellID previous = m_idCurrentCell;
  m_idCurrentCell = CCellID(nRow >= 0 && nRow < m_nFixedRows ? m_nFixedRows : nRow,
                            nCol >= 0 && nCol < m_nFixedCols ? m_nFixedCols : nCol);
  const CCellID current = m_idCurrentCell;
  if (IsValid(previous)) {
    SetItemState(previous.row, previous.col, GetItemState(previous.row, previous.col) & ~GCS_FOCUSED);
    RedrawCell(previous);
    RedrawTrackedFixedCells(previous, current);
  }
  if (IsValid(current)) {
    SetItemState(current.row, current.col, GetItemState(current.row, current.col) | GCS_FOCUSED);
    RedrawCell(current);
    RedrawTrackedFixedCells(current, previous);
  }
  return previous;
}

// The fixed cells in line with a focus cell look pressed in: when the focus moves to another
// column or row, the headings of the column and row it leaves or enters are redrawn.
void CGridCtrl::RedrawTrackedFixedCells(const CCellID& cell, const CCellID& other) {
  if (!m_bTrackFocusCell) return;
  if (cell.col != other.col) {
    for (int row = 0; row < m_nFixedRows; ++row) RedrawCell(row, cell.col);
  }
  if (cell.row != other.row) {
    for (int col = 0; col < m_nFixedCols; ++col) RedrawCell(cell.row, col);
  }
}

CCellID CGridCtrl::SetMarkedCell(int nRow, int nCol) {
  if (m_idMarkedCell == CCellID(nRow, nCol) || nRow == -1 || nCol == -1) return m_idMarkedCell;
  const CCellID previous = m_idMarkedCell;
  m_idMarkedCell = CCellID(nRow >= 0 && nRow < m_nFixedRows ? m_nFixedRows : nRow,
                           nCol >= 0 && nCol < m_nFixedCols ? m_nFixedCols : nCol);
  if (IsValid(previous)) RedrawCell(previous);
  if (IsValid(m_idMarkedCell)) RedrawCell(m_idMarkedCell);
  return previous;
}

void CGridCtrl::OnFixedColumnClick(const CCellID& cell) {
  if (!IsValid(cell) || !m_bFixedColumnSelection) return;
  m_MouseMode = cell.row >= m_nFixedRows ? GMM_SELECT_ROW : GMM_SELECT_ALL;
  OnSelecting(cell);
}

void CGridCtrl::OnFixedRowClick(const CCellID& cell) {
  if (!IsValid(cell)) return;
  if (m_bSortOnClick) {
    // The sort column again sorts the other way; another column sorts ascending.
    CWaitCursor wait;
    SortItems(cell.col, cell.col == m_nSortColumn ? !m_bAscending : TRUE);
    Invalidate();
  }
  if (!m_bFixedRowSelection) return;
  m_MouseMode = cell.col >= m_nFixedCols ? GMM_SELECT_COL : GMM_SELECT_ALL;
  OnSelecting(cell);
}
