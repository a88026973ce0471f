// Sorting the rows by a column, in place, and the cells of virtual mode: the owner supplies each
// cell when it is needed, through one cell object shared by all grids, and the grid keeps only
// the order in which the owner's rows are shown.
#include <algorithm>

#include "controls/grid/GridCtrl.h"

namespace {

// UTF-16 order of one character: the characters above the surrogates come after the characters
// that UTF-16 writes as surrogate pairs.
std::uint32_t Utf16Rank(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  return u >= 0xE000 && u <= 0xFFFF ? u + 0x200000 : u;
}

CGridCell& SharedVirtualCell() {
  static CGridCell cell;
  return cell;
}

}  // namespace

int CGridCtrl::CompareCellText(const CGridCellBase* cell1, const CGridCellBase* cell2, LPARAM) {
  if (!cell1 || !cell2) return 0;
  const wchar_t* a = cell1->GetText();
  const wchar_t* b = cell2->GetText();
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  const std::uint32_t ra = Utf16Rank(*a);
  const std::uint32_t rb = Utf16Rank(*b);
  return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

BOOL CGridCtrl::SortItems(int nCol, BOOL bAscending, LPARAM data) {
  return SortItems(m_pfnCompare ? m_pfnCompare : &CompareCellText, nCol, bAscending, data);
}

BOOL CGridCtrl::SortItems(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data) {
  SetSortColumn(nCol);
  SetSortAscending(bAscending);
  ResetSelectedRange();
  SetFocusCell(-1, -1);
  return SortItems(compare, nCol, bAscending, data, m_nFixedRows, -1);
}

BOOL CGridCtrl::SortItems(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data, int low, int high) {
  if (high == -1) high = m_nRows - 1;
  low = std::max(low, 0);
  high = std::min(high, m_nRows - 1);
  if (nCol < 0 || nCol >= m_nCols || high <= low) return FALSE;
  if (m_bVirtualMode) {
    if (!m_pfnVirtualCompare) return FALSE;
    m_nVirtualSortColumn = m_arColOrder[static_cast<size_t>(nCol)];
    const GridVirtualCompareFunc before = m_pfnVirtualCompare;
    const auto first = m_arRowOrder.begin() + std::min<std::ptrdiff_t>(m_nFixedRows, std::ssize(m_arRowOrder));
    // A stable sort stays within the order even when the owner's comparison is not a strict one.
    std::stable_sort(first, m_arRowOrder.end(),
                     [&](int a, int b) { return bAscending ? before(a, b) : before(b, a); });
    return TRUE;
  }
  if (!compare) return FALSE;
  QuickSortRows(compare, nCol, bAscending, data, low, high);
  return TRUE;
}

// Rows swap their cells and heights around a pivot cell; the smaller part is sorted by a nested
// call and the larger one by the loop, so that the nesting stays shallow.
void CGridCtrl::QuickSortRows(GridCompareFunc compare, int nCol, BOOL bAscending, LPARAM data, int low, int high) {
  const auto cmp = [&](const CGridCellBase* a, const CGridCellBase* b) {
    const int order = a && b ? compare(a, b, data) : 0;
    return bAscending ? order : -order;
  };
  while (low < high) {
    const CGridCellBase* pivot = GetCell((low + high) / 2, nCol);
    int lo = low;
    int hi = high;
    while (lo <= hi) {
      while (lo < high && cmp(GetCell(lo, nCol), pivot) < 0) ++lo;
      while (hi > low && cmp(GetCell(hi, nCol), pivot) > 0) --hi;
      if (lo <= hi) {
        if (cmp(GetCell(lo, nCol), GetCell(hi, nCol)) != 0) SwapRows(lo, hi);
        ++lo;
        --hi;
      }
    }
    if (hi - low < high - lo) {
      if (low < hi) QuickSortRows(compare, nCol, bAscending, data, low, hi);
      low = lo;
    } else {
      if (lo < high) QuickSortRows(compare, nCol, bAscending, data, lo, high);
      high = hi;
    }
  }
}

void CGridCtrl::SwapRows(int row1, int row2) {
  std::swap(m_RowData[static_cast<size_t>(row1)], m_RowData[static_cast<size_t>(row2)]);
  std::swap(m_arRowHeights[static_cast<size_t>(row1)], m_arRowHeights[static_cast<size_t>(row2)]);
}

void CGridCtrl::ShiftRowOrder(int nRow, int nDelta) {
  if (!m_bVirtualMode) return;
  const int size = static_cast<int>(m_arRowOrder.size());
  const bool remove = nDelta < 1;
  if (nRow < 0 || nRow > size || (remove && nRow == size)) return;
  // A row put in takes the place of the owner's row of its number, which moves on with the rows
  // after it; a row taken out leaves those after it.
  for (int& entry : m_arRowOrder) {
    if (entry > nRow || (!remove && entry == nRow)) entry += nDelta;
  }
  if (remove) {
    m_arRowOrder.erase(m_arRowOrder.begin() + nRow);
  } else {
    m_arRowOrder.insert(m_arRowOrder.begin() + nRow, nRow);
  }
}

void CGridCtrl::ResetRowOrder() {
  m_arRowOrder.resize(static_cast<size_t>(m_nRows));
  for (int row = 0; row < m_nRows; ++row) m_arRowOrder[static_cast<size_t>(row)] = row;
}

// The shared cell of virtual mode, filled from the default cell of its kind and then from the
// owner (or the callback), which is asked with the owner's row and stored column. No owner is
// asked while the grid is being destroyed, nor while it is answering a request of this grid.
CGridCellBase* CGridCtrl::VirtualCell(int nRow, int nCol) const {
  const bool fixedRow = nRow < m_nFixedRows;
  const bool fixedCol = nCol < m_nFixedCols;
  const CGridDefaultCell* def = GetDefaultCell(fixedRow, fixedCol);
  auto* self = const_cast<CGridCtrl*>(this);
  GridDispInfo info;
  GridItemRecord& item = info.item;
  item.mask = GIF_ALL;
  item.nFormat = def->GetFormat();
  item.iImage = def->GetImage();
  item.crBkClr = def->GetBackClr();
  item.crFgClr = def->GetTextClr();
  item.lParam = def->GetData();
  if (const LOGFONT* font = def->GetFont()) item.lfFont = *font;
  item.nMargin = def->GetMargin();
  item.state = (m_SelectedCellMap.count(CellKey(nRow, nCol)) ? GCS_SELECTED : 0) |
               (fixedRow ? GCS_FIXED | GCS_FIXEDROW : 0) | (fixedCol ? GCS_FIXED | GCS_FIXEDCOL : 0) |
               (m_idCurrentCell == CCellID(nRow, nCol) ? GCS_FOCUSED : 0);
  if (!m_bInDestructor && !m_bInDisplayRequest) {
    m_bInDisplayRequest = true;
    item.row = static_cast<size_t>(nRow) < m_arRowOrder.size() ? m_arRowOrder[static_cast<size_t>(nRow)] : nRow;
    item.col = m_arColOrder[static_cast<size_t>(nCol)];
    const HWND wnd = m_hWnd;
    if (m_pfnCallback) {
      m_pfnCallback(&info, m_lParamCallback);
    } else {
      SendDisplayRequestToParent(&info);
    }
    if (!Alive(wnd)) return nullptr;
    m_bInDisplayRequest = false;
  }
  item.row = nRow;
  item.col = nCol;

  CGridCell& cell = SharedVirtualCell();
  cell.SetGrid(self);
  cell.SetState(item.state);
  cell.SetFormat(item.nFormat);
  cell.SetImage(item.iImage);
  cell.SetBackClr(item.crBkClr);
  cell.SetTextClr(item.crFgClr);
  cell.SetData(item.lParam);
  cell.SetFont(&item.lfFont);
  cell.SetMargin(item.nMargin);
  cell.SetText(item.strText);
  return &cell;
}
