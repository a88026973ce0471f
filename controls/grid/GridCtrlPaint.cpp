// The grid on the screen: the paint handler, the full redraw in four passes with the grid lines,
// the background beyond the cells, and the redraw of a single cell with the mark.
#include <algorithm>

#include "controls/MemDC.h"
#include "controls/grid/GridCtrl.h"
#include "platform/wnd/PaintDC.h"

void CGridCtrl::OnPaint() {
  {
    CPaintDC dc(this);
    if (m_bDoubleBuffer) {
      // Drawn off the screen and copied once: the screen never shows a half-drawn grid.
      CMemDC memory(&dc);
      OnDraw(&memory);
    } else {
      OnDraw(&dc);
    }
  }
  RedrawCell(m_idMarkedCell);
}

void CGridCtrl::OnDraw(CDC* pDC) {
  if (!m_bAllowDraw) return;
  CRect clip;
  if (pDC->GetClipBox(&clip) == ERROR) return;
  EraseBkgnd(pDC);
  CRect visibleRect;
  const CCellRange visible = GetVisibleNonFixedCellRange(&visibleRect);
  if (m_bVirtualMode) SendCacheHintToParent(visible);
  DrawCellPasses(pDC, clip, visible);
  DrawGridLines(pDC, visible, visibleRect);
  pDC->SelectStockObject(NULL_PEN);
  if (m_bVirtualMode) SendCacheHintToParent(CCellRange());
}

// The cells in four passes, each cell's rectangle built from running edges that skip hidden rows
// and columns: the fixed corner, the fixed columns of the visible rows, the fixed rows over the
// visible columns, the visible body. The last three stop at the clip box.
void CGridCtrl::DrawCellPasses(CDC* pDC, const CRect& clip, const CCellRange& visible) {
  struct Span {
    int first;
    int last;
    int start;  // the edge before the first cell
  };
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();
  const Span fixedRows{0, m_nFixedRows - 1, 0};
  const Span fixedCols{0, m_nFixedCols - 1, 0};
  const Span bodyRows{visible.GetMinRow(), visible.GetMaxRow(), fixedHeight};
  const Span bodyCols{visible.GetMinCol(), visible.GetMaxCol(), fixedWidth};
  const auto pass = [&](const Span& rows, const Span& cols, bool clipped) {
    CRect rect;
    rect.bottom = rows.start - 1;
    for (int row = rows.first; row <= rows.last; ++row) {
      if (!NextSpan(GetRowHeight(row), rect.top, rect.bottom)) continue;
      if (clipped && rect.top > clip.bottom) break;
      if (clipped && rect.bottom < clip.top) continue;
      rect.right = cols.start - 1;
      for (int col = cols.first; col <= cols.last; ++col) {
        if (!NextSpan(GetColumnWidth(col), rect.left, rect.right)) continue;
        if (clipped && rect.left > clip.right) break;
        if (clipped && rect.right < clip.left) continue;
        if (CGridCellBase* cell = GetCell(row, col)) {
          cell->SetCoords(row, col);
          cell->Draw(pDC, row, col, rect, FALSE);
        }
      }
    }
  };
  pass(fixedRows, fixedCols, false);
  pass(bodyRows, fixedCols, true);
  pass(fixedRows, bodyCols, true);
  pass(bodyRows, bodyCols, true);
}

// The lines between the visible body cells; fixed cells frame themselves.
void CGridCtrl::DrawGridLines(CDC* pDC, const CCellRange& visible, const CRect& visibleRect) {
  CPen pen(PS_SOLID, 0, m_crGridLineColour);
  pDC->SelectObject(&pen);
  const int fixedHeight = GetFixedRowHeight();
  const int fixedWidth = GetFixedColumnWidth();
  if (m_nGridLines & GGL_VERT) {
    int x = fixedWidth;
    for (int col = visible.GetMinCol(); col <= visible.GetMaxCol(); ++col) {
      const int width = GetColumnWidth(col);
      if (width <= 0) continue;
      x += width;
      pDC->MoveTo(x - 1, fixedHeight);
      pDC->LineTo(x - 1, visibleRect.bottom);
    }
  }
  if (m_nGridLines & GGL_HORZ) {
    int y = fixedHeight;
    for (int row = visible.GetMinRow(); row <= visible.GetMaxRow(); ++row) {
      const int height = GetRowHeight(row);
      if (height <= 0) continue;
      y += height;
      pDC->MoveTo(fixedWidth, y - 1);
      pDC->LineTo(visibleRect.right, y - 1);
    }
  }
}

// The parts of the clip box in the colours of the default cells that will cover them, and the
// grid background beyond the last row and column.
void CGridCtrl::EraseBkgnd(CDC* pDC) {
  CRect clip;
  if (pDC->GetClipBox(&clip) == ERROR) return;
  CRect visible;
  GetVisibleNonFixedCellRange(&visible);
  const int fixedWidth = GetFixedColumnWidth();
  const int fixedHeight = GetFixedRowHeight();
  const auto fill = [pDC](const CRect& rect, COLORREF colour) {
    CBrush brush(colour);
    pDC->FillRect(rect, &brush);
  };
  if (clip.left < fixedWidth && clip.top < fixedHeight) {
    fill(CRect(clip.left, clip.top, fixedWidth, fixedHeight), m_cellFixedRowColDef.GetBackClr());
  }
  if (clip.left < fixedWidth && clip.top < visible.bottom) {
    fill(CRect(clip.left, clip.top, fixedWidth, visible.bottom), m_cellFixedColDef.GetBackClr());
  }
  if (clip.top < fixedHeight && clip.right > fixedWidth && clip.left < visible.right) {
    fill(CRect(fixedWidth - 1, clip.top, visible.right, fixedHeight), m_cellFixedRowDef.GetBackClr());
  }
  CRect cells;
  if (cells.IntersectRect(visible, clip)) {
    fill(CRect(std::max<int>(fixedWidth, cells.left), std::max<int>(fixedHeight, cells.top), cells.right, cells.bottom),
         m_cellDefault.GetBackClr());
  }
  if (visible.right < clip.right) fill(CRect(visible.right, clip.top, clip.right, clip.bottom), m_crGridBkColour);
  if (visible.bottom < clip.bottom && clip.left < visible.right) {
    fill(CRect(clip.left, visible.bottom, visible.right, clip.bottom), m_crGridBkColour);
  }
}

BOOL CGridCtrl::RedrawCell(int nRow, int nCol, CDC* pDC) {
  if (!m_bAllowDraw || !IsCellVisible(nRow, nCol)) return FALSE;
  CRect rect;
  if (!GetCellRect(nRow, nCol, &rect)) return FALSE;
  CDC* own = pDC ? nullptr : GetDC();
  if (!pDC && !own) {
    CRect area(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    InvalidateRect(&area, TRUE);
    return TRUE;
  }
  CDC* dc = pDC ? pDC : own;
  BOOL result = TRUE;
  if (CGridCellBase* cell = GetCell(nRow, nCol)) result = cell->Draw(dc, nRow, nCol, rect, TRUE);
  if (nRow >= m_nFixedRows && nCol >= m_nFixedCols) {
    CPen pen(PS_SOLID, 0, m_crGridLineColour);
    CPen* previous = dc->SelectObject(&pen);
    if (m_nGridLines & GGL_HORZ) {
      dc->MoveTo(rect.left, rect.bottom);
      dc->LineTo(rect.right + 1, rect.bottom);
    }
    if (m_nGridLines & GGL_VERT) {
      dc->MoveTo(rect.right, rect.top);
      dc->LineTo(rect.right, rect.bottom + 1);
    }
    if (m_idMarkedCell == CCellID(nRow, nCol)) DrawMark(dc, rect);
    dc->SelectObject(previous);
  }
  if (own) ReleaseDC(own);
  return result;
}

// The mark: the middle half of the cell, outlined with the current pen and brush, then filled
// with the mark colour.
void CGridCtrl::DrawMark(CDC* pDC, const CRect& rect) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  const CRect mark(rect.left + static_cast<int>(0.25 * w), rect.top + static_cast<int>(0.25 * h),
                   rect.left + static_cast<int>(0.75 * w), rect.top + static_cast<int>(0.75 * h));
  pDC->Rectangle(mark);
  CRgn region;
  region.CreateRectRgn(mark.left, mark.top, mark.right, mark.bottom);
  CBrush brush(m_crMarkColour);
  pDC->FillRgn(&region, &brush);
}
