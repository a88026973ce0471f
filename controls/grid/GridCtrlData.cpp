// What the grid stores: its counts, row heights and column widths, the column order, the rows of
// cells, the cells' items and the modified flag.
#include <algorithm>
#include <new>

#include "controls/grid/GridCtrl.h"
#include "platform/wnd/MessageBox.h"

namespace {

// The grid could not grow: the user hears of it and the table keeps what was built.
void ReportOutOfMemory() { AfxMessageBox(L"Out of memory.", MB_ICONERROR); }

}  // namespace

BOOL CGridCtrl::SetRowCount(int nRows) {
  if (nRows < 0) return FALSE;
  if (nRows == m_nRows) return TRUE;
  BOOL result = TRUE;
  m_idTopLeftCell = CCellID();
  if (nRows < m_nFixedRows) m_nFixedRows = nRows;
  if (m_idCurrentCell.row >= nRows) SetFocusCell(-1, -1);

  const int oldRows = m_nRows;
  if (nRows < oldRows) {
    if (!m_bVirtualMode) {
      for (int row = nRows; row < oldRows; ++row) {
        for (int col = 0; col < m_nCols; ++col) DestroyCell(row, col);
      }
      if (m_RowData.size() > static_cast<size_t>(nRows)) m_RowData.resize(static_cast<size_t>(nRows));
    }
    m_nRows = nRows;
  }
  try {
    const auto height = static_cast<UINT>(std::max(0, GetDefaultCell(FALSE, FALSE)->GetHeight()));
    m_arRowHeights.resize(static_cast<size_t>(nRows), height);
    if (m_bVirtualMode) {
      m_nRows = nRows;
      m_arRowOrder.resize(static_cast<size_t>(nRows));
      for (int row = 0; row < nRows; ++row) m_arRowOrder[static_cast<size_t>(row)] = row;
    } else {
      m_RowData.resize(static_cast<size_t>(nRows));
      for (int row = oldRows; row < nRows; ++row) {
        auto cells = std::make_unique<GridRow>(static_cast<size_t>(m_nCols));
        for (int col = 0; col < m_nCols; ++col) (*cells)[static_cast<size_t>(col)] = CreateCell(row, col);
        m_RowData[static_cast<size_t>(row)] = std::move(cells);
        m_nRows++;
      }
    }
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    result = FALSE;
  }
  SetModified();
  ResetScrollBars();
  Refresh();
  return result;
}

BOOL CGridCtrl::SetColumnCount(int nCols) {
  if (nCols < 0) return FALSE;
  if (nCols == m_nCols) return TRUE;
  BOOL result = TRUE;
  m_idTopLeftCell = CCellID();
  if (nCols < m_nFixedCols) m_nFixedCols = nCols;
  if (m_idCurrentCell.col >= nCols) SetFocusCell(-1, -1);

  const int oldCols = m_nCols;
  if (nCols < oldCols && !m_bVirtualMode) {
    // With the order back to the identity the removed displayed columns are the removed stored
    // ones, so no cell that stays is destroyed and none that goes is left behind.
    ResetColumnOrder();
    for (int row = 0; row < m_nRows; ++row) {
      for (int col = nCols; col < oldCols; ++col) DestroyCell(row, col);
    }
  }
  try {
    const auto width = static_cast<UINT>(std::max(0, GetDefaultCell(FALSE, TRUE)->GetWidth()));
    m_arColWidths.resize(static_cast<size_t>(nCols), width);
    if (!m_bVirtualMode) {
      for (size_t row = 0; row < m_RowData.size(); ++row) {
        if (!m_RowData[row]) continue;
        GridRow& cells = *m_RowData[row];
        cells.resize(static_cast<size_t>(nCols));
        for (int col = oldCols; col < nCols; ++col) cells[static_cast<size_t>(col)] = CreateCell(static_cast<int>(row), col);
      }
    }
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    result = FALSE;
  }
  m_nCols = static_cast<int>(m_arColWidths.size());
  ResetColumnOrder();
  SetModified();
  ResetScrollBars();
  Refresh();
  return result;
}

void CGridCtrl::ResetColumnOrder() {
  m_arColOrder.resize(m_arColWidths.size());
  for (size_t col = 0; col < m_arColOrder.size(); ++col) m_arColOrder[col] = static_cast<int>(col);
}

BOOL CGridCtrl::SetFixedRowCount(int nFixedRows) {
  if (nFixedRows < 0) return FALSE;
  if (nFixedRows == m_nFixedRows) return TRUE;
  ResetSelectedRange();
  m_idTopLeftCell = CCellID();
  if (nFixedRows > m_nRows && !SetRowCount(nFixedRows)) return FALSE;
  if (m_idCurrentCell.row < nFixedRows) SetFocusCell(-1, -1);
  if (!m_bVirtualMode) {
    const bool fixed = nFixedRows > m_nFixedRows;
    for (int row = std::min(nFixedRows, m_nFixedRows); row < std::max(nFixedRows, m_nFixedRows); ++row) {
      for (int col = 0; col < m_nCols; ++col) SetFixedCellState(row, col, GCS_FIXEDROW, fixed, col < m_nFixedCols);
    }
  }
  m_nFixedRows = nFixedRows;
  Refresh();
  return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int nFixedCols) {
  if (nFixedCols < 0) return FALSE;
  if (nFixedCols == m_nFixedCols) return TRUE;
  if (nFixedCols > m_nCols && !SetColumnCount(nFixedCols)) return FALSE;
  if (m_idCurrentCell.col < nFixedCols) SetFocusCell(-1, -1);
  ResetSelectedRange();
  m_idTopLeftCell = CCellID();
  if (!m_bVirtualMode) {
    const bool fixed = nFixedCols > m_nFixedCols;
    for (int col = std::min(nFixedCols, m_nFixedCols); col < std::max(nFixedCols, m_nFixedCols); ++col) {
      for (int row = 0; row < m_nRows; ++row) SetFixedCellState(row, col, GCS_FIXEDCOL, fixed, row < m_nFixedRows);
    }
  }
  m_nFixedCols = nFixedCols;
  Refresh();
  return TRUE;
}

// A cell joins a fixed row or column (lineBit GCS_FIXEDROW or GCS_FIXEDCOL), taking the default
// colours, or leaves it; a cell that stays fixed on the other axis loses only the line's bit.
void CGridCtrl::SetFixedCellState(int nRow, int nCol, UINT lineBit, bool fixed, bool fixedOtherwise) {
  const UINT state = GetItemState(nRow, nCol);
  if (!fixed && fixedOtherwise) {
    SetItemState(nRow, nCol, state & ~lineBit);
    return;
  }
  SetItemState(nRow, nCol, fixed ? state | GCS_FIXED | lineBit : state & ~(GCS_FIXED | lineBit));
  SetItemBkColour(nRow, nCol, CLR_DEFAULT);
  SetItemFgColour(nRow, nCol, CLR_DEFAULT);
}

BOOL CGridCtrl::DeleteAllItems() {
  ResetSelectedRange();
  m_arColWidths.clear();
  m_arRowHeights.clear();
  if (!m_bVirtualMode) {
    for (int row = 0; row < m_nRows; ++row) {
      for (int col = 0; col < m_nCols; ++col) DestroyCell(row, col);
    }
    m_RowData.clear();
  } else {
    m_arRowOrder.clear();
  }
  m_arColOrder.clear();
  m_idCurrentCell = CCellID();
  m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
  ResetScrollBars();
  SetModified();
  return TRUE;
}

int CGridCtrl::GetRowHeight(int nRow) const {
  if (nRow < 0 || nRow >= m_nRows) return -1;
  return static_cast<int>(m_arRowHeights[static_cast<size_t>(nRow)]);
}

int CGridCtrl::GetColumnWidth(int nCol) const {
  if (nCol < 0 || nCol >= m_nCols) return -1;
  return static_cast<int>(m_arColWidths[static_cast<size_t>(m_arColOrder[static_cast<size_t>(nCol)])]);
}

BOOL CGridCtrl::SetRowHeight(int nRow, int height) {
  if (nRow < 0 || nRow >= m_nRows || height < 0) return FALSE;
  m_arRowHeights[static_cast<size_t>(nRow)] = static_cast<UINT>(height);
  ResetScrollBars();
  return TRUE;
}

BOOL CGridCtrl::SetColumnWidth(int nCol, int width) {
  if (nCol < 0 || nCol >= m_nCols || width < 0) return FALSE;
  m_arColWidths[static_cast<size_t>(m_arColOrder[static_cast<size_t>(nCol)])] = static_cast<UINT>(width);
  ResetScrollBars();
  return TRUE;
}

CGridCellBase* CGridCtrl::GetCell(int nRow, int nCol) const {
  if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols) return nullptr;
  if (m_bVirtualMode) return VirtualCell(nRow, nCol);
  if (static_cast<size_t>(nRow) >= m_RowData.size() || !m_RowData[static_cast<size_t>(nRow)]) return nullptr;
  const GridRow& cells = *m_RowData[static_cast<size_t>(nRow)];
  const auto stored = static_cast<size_t>(m_arColOrder[static_cast<size_t>(nCol)]);
  return stored < cells.size() ? cells[stored].get() : nullptr;
}

BOOL CGridCtrl::IsValid(int nRow, int nCol) const { return nRow >= 0 && nRow < m_nRows && nCol >= 0 && nCol < m_nCols; }

BOOL CGridCtrl::IsValid(const CCellRange& range) const {
  return range.GetMinRow() >= 0 && range.GetMinCol() >= 0 && range.GetMaxRow() >= 0 && range.GetMaxCol() >= 0 &&
         range.GetMaxRow() < m_nRows && range.GetMaxCol() < m_nCols && range.GetMinRow() <= range.GetMaxRow() &&
         range.GetMinCol() <= range.GetMaxCol();
}

std::unique_ptr<CGridCellBase> CGridCtrl::CreateCell(int nRow, int nCol) {
  if (!m_pfnCellFactory) return nullptr;
  std::unique_ptr<CGridCellBase> cell = m_pfnCellFactory();
  if (!cell) return nullptr;
  cell->SetGrid(this);
  cell->SetCoords(nRow, nCol);
  if (nCol < m_nFixedCols) cell->SetState(cell->GetState() | GCS_FIXED | GCS_FIXEDCOL);
  if (nRow < m_nFixedRows) cell->SetState(cell->GetState() | GCS_FIXED | GCS_FIXEDROW);
  cell->SetFormat(cell->GetDefaultCell()->GetFormat());
  return cell;
}

void CGridCtrl::DestroyCell(int nRow, int nCol) {
  if (!GetCell(nRow, nCol)) return;
  SetItemState(nRow, nCol, 0);
  (*m_RowData[static_cast<size_t>(nRow)])[static_cast<size_t>(m_arColOrder[static_cast<size_t>(nCol)])].reset();
}

BOOL CGridCtrl::SetItem(const GridItemRecord* pItem) {
  if (!pItem || m_bVirtualMode) return FALSE;
  const int row = pItem->row;
  const int col = pItem->col;
  if (!GetCell(row, col)) return FALSE;
  SetModified(TRUE, row, col);
  CGridCellBase* cell = GetCell(row, col);
  if (pItem->mask & GIF_TEXT) cell->SetText(pItem->strText);
  if (pItem->mask & GIF_PARAM) cell->SetData(pItem->lParam);
  if (pItem->mask & GIF_IMAGE) cell->SetImage(pItem->iImage);
  if (pItem->mask & GIF_STATE) SetItemState(row, col, pItem->state);
  if (pItem->mask & GIF_FORMAT) cell->SetFormat(pItem->nFormat);
  if (pItem->mask & GIF_BKCLR) cell->SetBackClr(pItem->crBkClr);
  if (pItem->mask & GIF_FGCLR) cell->SetTextClr(pItem->crFgClr);
  if (pItem->mask & GIF_FONT) cell->SetFont(&pItem->lfFont);
  if (pItem->mask & GIF_MARGIN) cell->SetMargin(pItem->nMargin);
  return TRUE;
}

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR text) {
  CGridCellBase* cell = m_bVirtualMode ? nullptr : GetCell(nRow, nCol);
  if (!cell) return FALSE;
  cell->SetText(text);
  SetModified(TRUE, nRow, nCol);
  return TRUE;
}

CString CGridCtrl::GetItemText(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell ? CString(cell->GetText()) : CString();
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell ? cell->GetState() : 0;
}

BOOL CGridCtrl::SetItemState(int nRow, int nCol, UINT state) {
  CGridCellBase* cell = m_bVirtualMode ? nullptr : GetCell(nRow, nCol);
  if (!cell && !(m_bVirtualMode && IsValid(nRow, nCol))) return FALSE;
  const std::uint64_t key = CellKey(nRow, nCol);
  const bool wasSelected = cell ? (cell->GetState() & GCS_SELECTED) != 0 : m_SelectedCellMap.count(key) != 0;
  if (wasSelected && !(state & GCS_SELECTED)) {
    m_SelectedCellMap.erase(key);
  } else if (!wasSelected && (state & GCS_SELECTED)) {
    m_SelectedCellMap[key] = CCellID(nRow, nCol);
  }
  if (!cell) return FALSE;  // virtual mode: the map alone holds the selection
  cell->SetState(state);
  return TRUE;
}

BOOL CGridCtrl::SetItemBkColour(int nRow, int nCol, COLORREF colour) {
  CGridCellBase* cell = m_bVirtualMode ? nullptr : GetCell(nRow, nCol);
  if (!cell) return FALSE;
  cell->SetBackClr(colour);
  return TRUE;
}

BOOL CGridCtrl::SetItemFgColour(int nRow, int nCol, COLORREF colour) {
  CGridCellBase* cell = m_bVirtualMode ? nullptr : GetCell(nRow, nCol);
  if (!cell) return FALSE;
  cell->SetTextClr(colour);
  return TRUE;
}

COLORREF CGridCtrl::GetItemBkColour(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell ? cell->GetBackClr() : 0;
}

BOOL CGridCtrl::IsCellEditable(int nRow, int nCol) const {
  return m_bEditable && !(GetItemState(nRow, nCol) & GCS_READONLY);
}

BOOL CGridCtrl::IsItemEditing(int nRow, int nCol) const {
  const CGridCellBase* cell = GetCell(nRow, nCol);
  return cell && cell->IsEditing();
}

void CGridCtrl::SetModified(BOOL bModified, int nRow, int nCol) {
  if (nCol < 0 || nCol == m_nSortColumn) SetSortColumn(-1);
  if (nRow < 0 || nCol < 0) {
    m_bModified = bModified;
  } else if (bModified) {
    SetItemState(nRow, nCol, GetItemState(nRow, nCol) | GCS_MODIFIED);
    m_bModified = TRUE;
  } else {
    SetItemState(nRow, nCol, GetItemState(nRow, nCol) & ~GCS_MODIFIED);
  }
  if (!m_bModified) ClearModifiedBits();
}

void CGridCtrl::ClearModifiedBits() {
  for (int row = 0; row < m_nRows; ++row) {
    for (int col = 0; col < m_nCols; ++col) {
      if (const CGridCellBase* cell = GetCell(row, col); cell && cell->IsModified()) {
        SetItemState(row, col, cell->GetState() & ~GCS_MODIFIED);
      }
    }
  }
}

void CGridCtrl::SetSortColumn(int nCol) {
  if (m_nSortColumn >= 0) InvalidateCellRect(0, m_nSortColumn);
  m_nSortColumn = nCol;
  if (nCol >= 0) InvalidateCellRect(0, nCol);
}
