// Where cells lie in the client area, which are visible, the scroll bars and their messages, the
// wheel, and sizing rows and columns to their contents.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "controls/grid/GridCtrl.h"
#include "platform/wnd/SysMetrics.h"

namespace {

// The shared re-entry guards of sizing and initialising: a grid that resizes itself while it
// handles a resize (its scroll bars come and go) handles only the outer one.
bool g_inOnSize = false;
bool g_inInitialise = false;

class ReentryGuard {
 public:
  explicit ReentryGuard(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
  ~ReentryGuard() {
    if (entered_) flag_ = false;
  }
  ReentryGuard(const ReentryGuard&) = delete;
  ReentryGuard& operator=(const ReentryGuard&) = delete;
  bool Entered() const { return entered_; }

 private:
  bool& flag_;
  bool entered_;
};

}  // namespace

int CGridCtrl::GetFixedColumnWidth() const {
  int width = 0;
  for (int col = 0; col < m_nFixedCols; ++col) width += GetColumnWidth(col);
  return width;
}

int CGridCtrl::GetFixedRowHeight() const {
  int height = 0;
  for (int row = 0; row < m_nFixedRows; ++row) height += GetRowHeight(row);
  return height;
}

int CGridCtrl::GetVirtualWidth() const {
  int width = 0;
  for (int col = 0; col < m_nCols; ++col) width += GetColumnWidth(col);
  return width;
}

int CGridCtrl::GetVirtualHeight() const {
  int height = 0;
  for (int row = 0; row < m_nRows; ++row) height += GetRowHeight(row);
  return height;
}

CCellID CGridCtrl::GetTopleftNonFixedCell(BOOL bForceRecalculation) {
  if (!bForceRecalculation && IsValid(m_idTopLeftCell)) return m_idTopLeftCell;
  const int vertical = GetScrollPos32(SB_VERT);
  const int horizontal = GetScrollPos32(SB_HORZ);
  int col = m_nFixedCols;
  for (int x = 0; x < horizontal && col < m_nCols - 1; ++col) x += GetColumnWidth(col);
  int row = m_nFixedRows;
  for (int y = 0; y < vertical && row < m_nRows - 1; ++row) y += GetRowHeight(row);
  m_idTopLeftCell = CCellID(row, col);
  return m_idTopLeftCell;
}

BOOL CGridCtrl::GetCellOrigin(int nRow, int nCol, LPPOINT p) {
  if (!IsValid(nRow, nCol)) return FALSE;
  CCellID topLeft;
  if (nRow >= m_nFixedRows || nCol >= m_nFixedCols) topLeft = GetTopleftNonFixedCell();
  if ((nRow >= m_nFixedRows && nRow < topLeft.row) || (nCol >= m_nFixedCols && nCol < topLeft.col)) return FALSE;

  p->x = 0;
  if (nCol < m_nFixedCols) {
    for (int col = 0; col < nCol; ++col) p->x += GetColumnWidth(col);
  } else {
    p->x = GetFixedColumnWidth();
    for (int col = topLeft.col; col < nCol; ++col) p->x += GetColumnWidth(col);
  }
  p->y = 0;
  if (nRow < m_nFixedRows) {
    for (int row = 0; row < nRow; ++row) p->y += GetRowHeight(row);
  } else {
    p->y = GetFixedRowHeight();
    for (int row = topLeft.row; row < nRow; ++row) p->y += GetRowHeight(row);
  }
  return TRUE;
}

BOOL CGridCtrl::GetCellRect(int nRow, int nCol, LPRECT pRect) {
  CPoint origin;
  if (!GetCellOrigin(nRow, nCol, &origin)) return FALSE;
  pRect->left = origin.x;
  pRect->top = origin.y;
  pRect->right = origin.x + GetColumnWidth(nCol) - 1;
  pRect->bottom = origin.y + GetRowHeight(nRow) - 1;
  return TRUE;
}

CPoint CGridCtrl::GetCellRelativePoint(int nRow, int nCol, CPoint point) {
  CPoint origin;
  if (!GetCellOrigin(nRow, nCol, &origin)) return CPoint(0, 0);
  return CPoint(point.x - origin.x, point.y - origin.y);
}

CCellID CGridCtrl::GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck) {
  CCellID cell;
  const CCellID topLeft = GetTopleftNonFixedCell();
  if (!bAllowFixedCellCheck && !IsValid(topLeft)) return cell;

  // The first index whose running far edge passes the coordinate, from a start edge and index.
  const auto find = [](int coord, int edge, int first, int last, auto size) {
    for (int i = first; i < last; ++i) {
      edge += size(i);
      if (edge > coord) return i;
    }
    return -1;
  };
  const auto width = [this](int col) { return GetColumnWidth(col); };
  const auto height = [this](int row) { return GetRowHeight(row); };

  const int fixedWidth = GetFixedColumnWidth();
  if (point.x < 0 || (!bAllowFixedCellCheck && point.x < fixedWidth)) {
    cell.col = -1;
  } else if (point.x < fixedWidth) {
    cell.col = find(point.x, 0, 0, m_nFixedCols, width);
  } else {
    cell.col = find(point.x, fixedWidth, topLeft.col, m_nCols, width);
  }
  const int fixedHeight = GetFixedRowHeight();
  if (point.y < 0 || (!bAllowFixedCellCheck && point.y < fixedHeight)) {
    cell.row = -1;
  } else if (point.y < fixedHeight) {
    cell.row = find(point.y, 0, 0, m_nFixedRows, height);
  } else {
    cell.row = find(point.y, fixedHeight, topLeft.row, m_nRows, height);
  }
  return cell;
}

CCellRange CGridCtrl::GetVisibleNonFixedCellRange(LPRECT pRect, BOOL bForceRecalculation) {
  CRect client;
  GetClientRect(&client);
  const CCellID topLeft = GetTopleftNonFixedCell(bForceRecalculation);

  int bottom = GetFixedRowHeight();
  int row = topLeft.row;
  for (; row < m_nRows; ++row) {
    bottom += GetRowHeight(row);
    if (bottom >= client.bottom) {
      bottom = client.bottom;
      break;
    }
  }
  const int maxRow = std::min(row, m_nRows - 1);

  int right = GetFixedColumnWidth();
  int col = topLeft.col;
  for (; col < m_nCols; ++col) {
    right += GetColumnWidth(col);
    if (right >= client.right) {
      right = client.right;
      break;
    }
  }
  const int maxCol = std::min(col, m_nCols - 1);
  if (pRect) *pRect = CRect(0, 0, right, bottom);
  return CCellRange(topLeft.row, topLeft.col, maxRow, maxCol);
}

CCellRange CGridCtrl::GetVisibleFixedCellRange(LPRECT pRect, BOOL bForceRecalculation) {
  CRect client;
  GetClientRect(&client);
  CRect bodyRect;
  const CCellRange body = GetVisibleNonFixedCellRange(&bodyRect, bForceRecalculation);

  int right = 0;
  int col = 0;
  for (; col < m_nFixedCols; ++col) {
    right += GetColumnWidth(col);
    if (right >= client.right) {
      right = client.right;
      break;
    }
  }
  const int maxCol = std::min(col, m_nCols - 1);
  if (pRect) *pRect = CRect(0, 0, right, bodyRect.bottom);
  return CCellRange(body.GetMinRow(), 0, body.GetMaxRow(), maxCol);
}

BOOL CGridCtrl::IsCellVisible(int nRow, int nCol) {
  if (!m_hWnd || !IsValid(nRow, nCol)) return FALSE;
  const CCellID topLeft = GetTopleftNonFixedCell();
  if ((nRow >= m_nFixedRows && nRow < topLeft.row) || (nCol >= m_nFixedCols && nCol < topLeft.col)) return FALSE;
  CRect client;
  GetClientRect(&client);

  // Visible while the cell's left and top edges lie inside the client area.
  int x = nCol < m_nFixedCols ? 0 : GetFixedColumnWidth();
  for (int col = nCol < m_nFixedCols ? 0 : topLeft.col; col < nCol; ++col) {
    x += GetColumnWidth(col);
    if (x >= client.right) return FALSE;
  }
  int y = nRow < m_nFixedRows ? 0 : GetFixedRowHeight();
  for (int row = nRow < m_nFixedRows ? 0 : topLeft.row; row < nRow; ++row) {
    y += GetRowHeight(row);
    if (y >= client.bottom) return FALSE;
  }
  return x < client.right && y < client.bottom;
}

BOOL CGridCtrl::InvalidateCellRect(int nRow, int nCol) {
  if (!m_hWnd || !m_bAllowDraw || !IsValid(nRow, nCol) || !IsCellVisible(nRow, nCol)) return FALSE;
  CRect rect;
  if (!GetCellRect(nRow, nCol, &rect)) return FALSE;
  rect.right++;
  rect.bottom++;
  InvalidateRect(&rect, TRUE);
  return TRUE;
}

BOOL CGridCtrl::IsOverColumnDivide(CPoint point) {
  if (point.y >= GetFixedRowHeight()) return FALSE;
  const CCellID cell = GetCellFromPt(point);
  CPoint start;
  if (!GetCellOrigin(cell, &start)) return FALSE;
  const int end = start.x + GetColumnWidth(cell.col);
  return (point.x - start.x < m_nResizeCaptureRange && cell.col != 0) || end - point.x < m_nResizeCaptureRange;
}

BOOL CGridCtrl::IsOverRowDivide(CPoint point) {
  if (point.x >= GetFixedColumnWidth()) return FALSE;
  const CCellID cell = GetCellFromPt(point);
  CPoint start;
  if (!GetCellOrigin(cell, &start)) return FALSE;
  const int end = start.y + GetRowHeight(cell.row);
  return (point.y - start.y < m_nResizeCaptureRange && cell.row != 0) || end - point.y < m_nResizeCaptureRange;
}

void CGridCtrl::EnsureVisible(int nRow, int nCol) {
  if (!m_bAllowDraw || !IsValid(nRow, nCol)) return;
  CWnd* focus = GetFocus();
  const CCellRange visible = GetVisibleNonFixedCellRange();
  for (int col = visible.GetMaxCol() + 1; col <= nCol; ++col) {
    if (GetColumnWidth(col) > 0) SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
  }
  for (int col = visible.GetMinCol() - 1; col >= nCol; --col) {
    if (GetColumnWidth(col) > 0) SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
  }
  for (int row = visible.GetMaxRow() + 1; row <= nRow; ++row) {
    if (GetRowHeight(row) > 0) SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
  }
  for (int row = visible.GetMinRow() - 1; row >= nRow; --row) {
    if (GetRowHeight(row) > 0) SendMessage(WM_VSCROLL, SB_LINEUP, 0);
  }

  // A cell that still sticks out scrolls on line by line, until it fits or the bar stops moving.
  CRect rect;
  CRect client;
  GetClientRect(&client);
  for (int steps = 0; steps < m_nCols && GetCellRect(nRow, nCol, &rect) && rect.right > client.right &&
                      rect.left > GetFixedColumnWidth() && (m_nBarState & 1);
       ++steps) {
    if (ScrollLine(SB_HORZ, SB_LINERIGHT) == 0) break;
  }
  for (int steps = 0; steps < m_nRows && GetCellRect(nRow, nCol, &rect) && rect.bottom > client.bottom &&
                      rect.top > GetFixedRowHeight() && (m_nBarState & 2);
       ++steps) {
    if (ScrollLine(SB_VERT, SB_LINEDOWN) == 0) break;
  }
  if (focus) focus->SetFocus();
}

// Sends one scroll step to the grid itself; returns how far the position moved.
int CGridCtrl::ScrollLine(int nBar, UINT nSBCode) {
  const int before = GetScrollPos32(nBar);
  SendMessage(nBar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, nSBCode, 0);
  return GetScrollPos32(nBar) - before;
}

void CGridCtrl::ResetScrollBars() {
  m_idTopLeftCell = CCellID();
  if (!m_bAllowDraw || !m_hWnd) return;
  CRect rect;
  GetClientRect(&rect);
  if (rect.IsRectEmpty()) return;

  // The client area as it would be without bars.
  if (m_nBarState & 2) rect.right += GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXBORDER);
  if (m_nBarState & 1) rect.bottom += GetSystemMetrics(SM_CYHSCROLL) + GetSystemMetrics(SM_CYBORDER);
  const int fixedWidth = GetFixedColumnWidth();
  const int fixedHeight = GetFixedRowHeight();
  if (CRect(rect.left + fixedWidth, rect.top + fixedHeight, rect.right, rect.bottom).IsRectEmpty()) {
    EnableScrollBars(SB_BOTH, FALSE);
    return;
  }

  CRect visible(fixedWidth, fixedHeight, rect.right, rect.bottom);
  const CRect all(fixedWidth, fixedHeight, GetVirtualWidth(), GetVirtualHeight());
  if (visible.Height() < all.Height()) visible.right -= GetSystemMetrics(SM_CXVSCROLL);
  if (visible.Width() < all.Width()) visible.bottom -= GetSystemMetrics(SM_CYHSCROLL);

  const bool vertical = visible.Height() < all.Height();
  m_nVScrollMax = vertical ? all.Height() - 1 : 0;
  EnableScrollBars(SB_VERT, vertical);
  const bool horizontal = visible.Width() < all.Width();
  m_nHScrollMax = horizontal ? all.Width() - 1 : 0;
  EnableScrollBars(SB_HORZ, horizontal);

  SCROLLINFO si;
  si.fMask = SIF_PAGE | SIF_RANGE;
  si.nMin = 0;
  si.nMax = m_nHScrollMax;
  si.nPage = m_nHScrollMax > 0 ? static_cast<UINT>(visible.Width()) : 0;
  SetScrollInfo(SB_HORZ, &si, TRUE);
  si.fMask |= SIF_DISABLENOSCROLL;
  si.nMax = m_nVScrollMax;
  si.nPage = m_nVScrollMax > 0 ? static_cast<UINT>(visible.Height()) : 0;
  SetScrollInfo(SB_VERT, &si, TRUE);
}

void CGridCtrl::EnableScrollBars(int nBar, BOOL bEnable) {
  for (int bar : {SB_HORZ, SB_VERT}) {
    if (nBar != bar && nBar != SB_BOTH) continue;
    const int bit = bar == SB_HORZ ? 1 : 2;
    if (((m_nBarState & bit) != 0) == (bEnable != FALSE)) continue;
    // The state changes first: showing a bar resizes the client area, and the grid hears of it.
    m_nBarState = bEnable ? (m_nBarState | bit) : (m_nBarState & ~bit);
    EnableScrollBarCtrl(bar, bEnable);
  }
}

BOOL CGridCtrl::SetScrollPos32(int nBar, int nPos, BOOL bRedraw) {
  m_idTopLeftCell = CCellID();
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = nPos;
  return SetScrollInfo(nBar, &si, bRedraw);
}

int CGridCtrl::GetScrollPos32(int nBar, BOOL bGetTrackPos) const {
  SCROLLINFO si;
  const UINT mask = bGetTrackPos ? SIF_TRACKPOS : SIF_POS;
  if (!GetScrollInfo(nBar, &si, mask)) return 0;
  return bGetTrackPos ? si.nTrackPos : si.nPos;
}

// One scroll message of either bar. Line steps move by the size of the first visible (or, going
// back, the nearest earlier visible) row or column, passing over hidden ones; page steps by the
// body's size; the ends to the first and last positions.
void CGridCtrl::OnScroll(int nBar, UINT nSBCode) {
  EndEditing();
  m_TitleTip.Hide();
  const bool vertical = nBar == SB_VERT;
  const auto size = [&](int i) { return vertical ? GetRowHeight(i) : GetColumnWidth(i); };
  const int count = vertical ? m_nRows : m_nCols;
  const int fixed = vertical ? m_nFixedRows : m_nFixedCols;
  const int maximum = vertical ? m_nVScrollMax : m_nHScrollMax;
  const int pos = GetScrollPos32(nBar);
  const CCellID topLeft = GetTopleftNonFixedCell();
  const int first = vertical ? topLeft.row : topLeft.col;
  CRect body;
  GetClientRect(&body);
  if (vertical) {
    body.top = GetFixedRowHeight();
  } else {
    body.left = GetFixedColumnWidth();
  }
  const int page = vertical ? body.Height() : body.Width();
  switch (nSBCode) {
    case SB_LINEDOWN:
      if (pos < maximum) {
        int line = first;
        while (line < count - 1 && size(line) == 0) ++line;
        SetScrollPos32(nBar, pos + size(line));
        if (GetScrollPos32(nBar) != pos) InvalidateRect(&body);
      }
      break;
    case SB_LINEUP:
      if (pos > 0 && first > fixed) {
        int line = first - 1;
        while (line > fixed && size(line) <= 0) --line;
        SetScrollPos32(nBar, std::max(0, pos - size(line)));
        InvalidateRect(&body);
      }
      break;
    case SB_PAGEDOWN:
      if (pos < maximum) {
        SetScrollPos32(nBar, std::min(maximum, pos + page));
        InvalidateRect(&body);
      }
      break;
    case SB_PAGEUP:
      if (pos > 0) {
        SetScrollPos32(nBar, std::max(0, pos - page));
        InvalidateRect(&body);
      }
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      SetScrollPos32(nBar, GetScrollPos32(nBar, TRUE));
      if (GetTopleftNonFixedCell() != topLeft) InvalidateRect(&body);
      break;
    case SB_TOP:
      if (pos > 0) {
        SetScrollPos32(nBar, 0);
        Invalidate();
      }
      break;
    case SB_BOTTOM:
      if (pos < maximum) {
        SetScrollPos32(nBar, maximum);
        Invalidate();
      }
      break;
    default:
      break;
  }
}

// Each notch scrolls the wheel lines (or a page) through posted scroll messages.
void CGridCtrl::OnMouseWheel(short zDelta) {
  const bool page = m_nRowsPerWheelNotch == UINT_MAX;
  const int notches = page ? zDelta / 120 : zDelta * static_cast<int>(m_nRowsPerWheelNotch) / 120;
  const UINT code = notches > 0 ? (page ? SB_PAGEUP : SB_LINEUP) : (page ? SB_PAGEDOWN : SB_LINEDOWN);
  for (int i = 0; i < std::abs(notches); ++i) PostMessage(WM_VSCROLL, code, 0);
}

int CGridCtrl::GetMouseScrollLines() {
  UINT lines = 3;
  if (!SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  return static_cast<int>(lines);
}

void CGridCtrl::OnSize() {
  const ReentryGuard guard(g_inOnSize);
  if (!guard.Entered() || !m_hWnd) return;
  m_DropTarget.Register(this);
  EndEditing();
  Default();
  ResetScrollBars();
}

BOOL CGridCtrl::Initialise() {
  const ReentryGuard guard(g_inInitialise);
  if (!guard.Entered()) return FALSE;
  m_TitleTip.SetParentWnd(this);
  if (m_hWnd) ModifyStyleEx(0, WS_EX_CLIENTEDGE);
  // Moving the window out by a pixel and back redraws its frame with the new edge.
  CRect rect;
  GetWindowRect(&rect);
  if (CWnd* parent = GetParent(); parent && (GetStyle() & WS_CHILD)) parent->ScreenToClient(&rect);
  MoveWindow(rect.left - 1, rect.top - 1, rect.Width() + 2, rect.Height() + 2, FALSE);
  MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
  return TRUE;
}

void CGridCtrl::Refresh() {
  if (m_hWnd && m_bAllowDraw) Invalidate();
}

BOOL CGridCtrl::AutoSizeRow(int nRow, BOOL bResetScroll) {
  if (nRow < 0 || nRow >= m_nRows || GetRowHeight(nRow) <= 0) return FALSE;
  CDC* pDC = GetDC();
  if (!pDC) return FALSE;
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange(nRow, 0, nRow, m_nCols));
  CSize size(0, 0);
  int height = 0;
  for (int col = 0; col < m_nCols; ++col) {
    if (const CGridCellBase* cell = GetCell(nRow, col)) size = cell->GetCellExtent(pDC);
    height = std::max<int>(height, size.cy);
  }
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange());
  ReleaseDC(pDC);
  // The owner may have reshaped the table while it heard the hints.
  if (nRow >= m_nRows) return FALSE;
  m_arRowHeights[static_cast<size_t>(nRow)] = static_cast<UINT>(height);
  if (bResetScroll) ResetScrollBars();
  return TRUE;
}

BOOL CGridCtrl::AutoSizeColumn(int nCol, int nAutoSizeStyle, BOOL bResetScroll) {
  if (nCol < 0 || nCol >= m_nCols || GetColumnWidth(nCol) <= 0) return FALSE;
  CDC* pDC = GetDC();
  if (!pDC) return FALSE;
  const int style = nAutoSizeStyle == 0 ? m_nAutoSizeColumnStyle : nAutoSizeStyle;
  const int firstRow = (style & GAS_FIXED_ROWS) ? 0 : m_nFixedRows;
  const int lastRow = (style & GAS_BODY_ROWS) ? m_nRows - 1 : m_nFixedRows - 1;
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange(firstRow, nCol, lastRow, nCol));
  int width = 0;
  for (int row = firstRow; row <= lastRow; ++row) {
    if (const CGridCellBase* cell = GetCell(row, nCol)) width = std::max<int>(width, cell->GetCellExtent(pDC).cx);
  }
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange());
  ReleaseDC(pDC);
  if (nCol >= m_nCols) return FALSE;
  m_arColWidths[static_cast<size_t>(m_arColOrder[static_cast<size_t>(nCol)])] = static_cast<UINT>(width);
  if (bResetScroll) ResetScrollBars();
  return TRUE;
}

void CGridCtrl::AutoSizeColumns(int nAutoSizeStyle) {
  for (int col = 0; col < m_nCols; ++col) {
    if (GetColumnWidth(col) > 0) AutoSizeColumn(col, nAutoSizeStyle, FALSE);
  }
  ResetScrollBars();
}
