// The grid on paper: pages of body rows in bands, each band split into column pages when printing
// at screen size, with a header, the column headings, the row headings and a footer on each page.
// Every page takes at least one row and one column, cut at the page's edge when it does not fit.
#include <climits>
#include <ctime>
#include <cwchar>

#include "controls/SavedDcState.h"
#include "controls/grid/GridCtrl.h"
#include "platform/Time.h"
#include "platform/wnd/MessageBox.h"

namespace {

constexpr int kNoLine = INT_MIN;
constexpr wchar_t kCharSample[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";

// The printer font in bold, for the header and footer texts.
void MakeBold(const CFont& font, CFont& bold) {
  LOGFONT lf;
  font.GetLogFont(&lf);
  lf.lfWeight = FW_BOLD;
  bold.CreateFontIndirect(&lf);
}

// Limits drawing to a rectangle for its lifetime.
class ClipTo {
 public:
  ClipTo(CDC* dc, const CRect& rect) : saved_(dc) { dc->IntersectClipRect(rect); }

 private:
  SavedDcState saved_;
};

}  // namespace

void CGridCtrl::SetPrintMarginInfo(int nHeaderHeight, int nFooterHeight, int nLeftMargin, int nRightMargin,
                                   int nTopMargin, int nBottomMargin, int nGap) {
  if (nHeaderHeight > -1) m_nHeaderHeight = nHeaderHeight;
  if (nFooterHeight > -1) m_nFooterHeight = nFooterHeight;
  if (nLeftMargin > -1) m_nLeftMargin = nLeftMargin;
  if (nRightMargin > -1) m_nRightMargin = nRightMargin;
  if (nTopMargin > -1) m_nTopMargin = nTopMargin;
  if (nBottomMargin > -1) m_nBottomMargin = nBottomMargin;
  if (nGap > -1) m_nGap = nGap;
}

// The first body row of the band after the one starting at nFirstRow: a band takes rows while
// they fit the page height, and at least one row.
int CGridCtrl::NextPrintBand(int nFirstRow) const {
  int height = 0;
  for (int row = nFirstRow; row < m_nRows; ++row) {
    const int rowHeight = GetRowHeight(row);
    if (height > 0 && height + rowHeight > m_nPageHeight) return row;
    height += rowHeight;
  }
  return m_nRows;
}

int CGridCtrl::NextPrintColumnPage(int nFirstCol) const {
  int width = 0;
  for (int col = nFirstCol; col < m_nCols; ++col) {
    const int colWidth = GetColumnWidth(col);
    if (width > 0 && width + colWidth > m_nPageWidth) return col;
    width += colWidth;
  }
  return m_nCols;
}

void CGridCtrl::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC || !pInfo) return;
  CDC* screen = GetDC();
  if (!screen) return;
  m_PrinterFont.DeleteObject();
  m_PrinterFont.CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                           CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial");
  CFont* previous = pDC->SelectObject(&m_PrinterFont);
  m_CharSize = pDC->GetTextExtent(kCharSample, 52);
  m_CharSize.cx /= 52;
  const int margins = (m_nLeftMargin + m_nRightMargin) * m_CharSize.cx;
  m_PaperSize = CSize(pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
  const int screenX = screen->GetDeviceCaps(LOGPIXELSX);
  const int screenY = screen->GetDeviceCaps(LOGPIXELSY);
  const int printerX = pDC->GetDeviceCaps(LOGPIXELSX);
  const int printerY = pDC->GetDeviceCaps(LOGPIXELSY);
  ReleaseDC(screen);
  pDC->SelectObject(previous);

  // A device that reports no paper, no resolution or no text size cannot be laid out: no pages.
  const bool measurable = m_PaperSize.cx > 0 && m_PaperSize.cy > 0 && m_CharSize.cx > 0 && m_CharSize.cy > 0 &&
                          (!m_bWysiwygPrinting || (screenX > 0 && screenY > 0 && printerX > 0 && printerY > 0));
  if (!measurable) {
    m_nNumPages = 0;
    pInfo->SetMaxPage(0);
    return;
  }
  if (m_bWysiwygPrinting) {
    m_LogicalPageSize.cx = screenX * m_PaperSize.cx / printerX * 3 / 4;
    m_LogicalPageSize.cy = screenY * m_PaperSize.cy / printerY * 3 / 4;
  } else {
    m_LogicalPageSize.cx = GetVirtualWidth() + margins;
    m_LogicalPageSize.cy = MulDiv(m_LogicalPageSize.cx, m_PaperSize.cy, m_PaperSize.cx);
  }
  m_nPageHeight = m_LogicalPageSize.cy - GetFixedRowHeight() -
                  (m_nHeaderHeight + m_nFooterHeight + 2 * m_nGap) * m_CharSize.cy;
  m_nPageWidth = m_LogicalPageSize.cx - GetFixedColumnWidth() - margins;

  m_nNumPages = 1;
  for (int row = NextPrintBand(m_nFixedRows); row < m_nRows; row = NextPrintBand(row)) ++m_nNumPages;
  m_nPageMultiplier = 1;
  if (m_bWysiwygPrinting) {
    for (int col = NextPrintColumnPage(m_nFixedCols); col < m_nCols; col = NextPrintColumnPage(col)) {
      ++m_nPageMultiplier;
    }
    m_nNumPages *= m_nPageMultiplier;
  }
  pInfo->SetMaxPage(static_cast<UINT>(m_nNumPages));
  pInfo->m_nCurPage = 1;
}

void CGridCtrl::OnPrint(CDC* pDC, CPrintInfo* pInfo) {
  if (!pDC || !pInfo || m_nNumPages <= 0) return;
  CFont* previous = pDC->SelectObject(&m_PrinterFont);
  const int margins = (m_nLeftMargin + m_nRightMargin) * m_CharSize.cx;
  const int fixedWidth = GetFixedColumnWidth();
  const int fixedHeight = GetFixedRowHeight();
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(m_LogicalPageSize);
  pDC->SetViewportExt(m_PaperSize);
  pDC->SetWindowOrg(-m_nLeftMargin * m_CharSize.cx, 0);

  pInfo->m_rectDraw.SetRect(0, 0, m_LogicalPageSize.cx - margins, m_nHeaderHeight * m_CharSize.cy);
  PrintHeader(pDC, pInfo);
  pDC->OffsetWindowOrg(0, -(m_nHeaderHeight + m_nGap) * m_CharSize.cy - fixedHeight);

  // The page's band of rows and column page within it.
  const int page = static_cast<int>(pInfo->m_nCurPage);
  const int band = page / m_nPageMultiplier + (page % m_nPageMultiplier ? 1 : 0);
  const int columnPage = (page - 1) % m_nPageMultiplier;
  m_nCurrPrintRow = m_nFixedRows;
  for (int b = 1; b < band; ++b) m_nCurrPrintRow = NextPrintBand(m_nCurrPrintRow);
  m_nPrintBandEnd = NextPrintBand(m_nCurrPrintRow);
  m_nPrintColumn = m_nFixedCols;
  for (int p = 0; p < columnPage; ++p) m_nPrintColumn = NextPrintColumnPage(m_nPrintColumn);
  m_nPrintColumnEnd = NextPrintColumnPage(m_nPrintColumn);

  {
    const ClipTo clip(pDC, CRect(-1, -1, fixedWidth + 1, m_nPageHeight + 1));
    PrintRowButtons(pDC, pInfo);
  }
  pInfo->m_rectDraw.bottom = fixedHeight;
  pDC->OffsetWindowOrg(0, fixedHeight);
  m_nPageWidth += fixedWidth;
  if (columnPage == 0) m_nPrintColumn = 0;
  PrintColumnHeadings(pDC, pInfo);
  m_nPageWidth -= fixedWidth;
  if (columnPage == 0) m_nPrintColumn = m_nFixedCols;
  pDC->OffsetWindowOrg(-fixedWidth, -fixedHeight);

  if (m_nCurrPrintRow < m_nRows) {
    {
      const ClipTo clip(pDC, CRect(-1, -1, m_nPageWidth + 1, m_nPageHeight + 1));
      PrintBody(pDC);
    }
    pInfo->m_rectDraw.bottom = m_nFooterHeight * m_CharSize.cy;
    pDC->SetWindowOrg(-m_nLeftMargin * m_CharSize.cx, m_nFooterHeight * m_CharSize.cy - m_LogicalPageSize.cy);
    PrintFooter(pDC, pInfo);
    pDC->SetWindowOrg(0, 0);
  }
  pDC->SelectObject(previous);
}

// The body cells of the page from the top-left of the body, with their grid lines.
void CGridCtrl::PrintBody(CDC* pDC) {
  CRect rect;
  rect.bottom = -1;
  for (int row = m_nCurrPrintRow; row < m_nPrintBandEnd; ++row) {
    if (!NextSpan(GetRowHeight(row), rect.top, rect.bottom)) continue;
    rect.right = -1;
    for (int col = m_nPrintColumn; col < m_nPrintColumnEnd; ++col) {
      if (!NextSpan(GetColumnWidth(col), rect.left, rect.right)) continue;
      if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pDC, row, col, rect);
      PrintCellLines(pDC, rect, col == 0 ? 0 : 1, row == m_nCurrPrintRow ? 0 : 1, row == 0 ? rect.top : kNoLine,
                     col == 0 ? rect.left : kNoLine);
    }
  }
}

// The grid lines of a printed cell: the bottom line from overlapX left of the cell and the right
// line from overlapY above it, with a top line at topY and a left line at leftX where asked.
void CGridCtrl::PrintCellLines(CDC* pDC, const CRect& rect, int overlapX, int overlapY, int topY, int leftX) {
  if (m_nGridLines & GGL_HORZ) {
    pDC->MoveTo(rect.left - overlapX, rect.bottom);
    pDC->LineTo(rect.right, rect.bottom);
    if (topY != kNoLine) {
      pDC->MoveTo(rect.left - overlapX, topY);
      pDC->LineTo(rect.right, topY);
    }
  }
  if (m_nGridLines & GGL_VERT) {
    pDC->MoveTo(rect.right, rect.top - overlapY);
    pDC->LineTo(rect.right, rect.bottom);
    if (leftX != kNoLine) {
      pDC->MoveTo(leftX, rect.top - overlapY);
      pDC->LineTo(leftX, rect.bottom);
    }
  }
}

void CGridCtrl::OnEndPrinting(CDC*, CPrintInfo*) { m_PrinterFont.DeleteObject(); }

void CGridCtrl::PrintRowButtons(CDC* pDC, CPrintInfo*) {
  CFont* previous = pDC->SelectObject(&m_PrinterFont);
  CRect rect;
  rect.right = -1;
  bool first = true;
  for (int col = 0; col < m_nFixedCols; ++col) {
    if (!NextSpan(GetColumnWidth(col), rect.left, rect.right)) continue;
    rect.bottom = -1;
    for (int row = m_nCurrPrintRow; row < m_nPrintBandEnd; ++row) {
      if (!NextSpan(GetRowHeight(row), rect.top, rect.bottom)) continue;
      if (CGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pDC, row, col, rect);
      PrintCellLines(pDC, rect, col == 0 ? 0 : 1, row == 0 ? 0 : 1, first ? rect.top - 1 : kNoLine,
                     col == 0 ? rect.left : kNoLine);
      first = false;
    }
  }
  pDC->SelectObject(previous);
}

void CGridCtrl::PrintColumnHeadings(CDC* pDC, CPrintInfo*) {
  CFont* previous = pDC->SelectObject(&m_PrinterFont);
  CRect rect;
  rect.bottom = -1;
  BOOL first = TRUE;
  for (int row = 0; row < m_nFixedRows; ++row) {
    if (!NextSpan(GetRowHeight(row), rect.top, rect.bottom)) continue;
    rect.right = -1;
    if (m_nFixedCols <= m_nPrintColumn) {
      const BOOL original = first;
      PrintFixedRowCells(0, m_nFixedCols, row, rect, pDC, first);
      first = original;
    }
    PrintFixedRowCells(m_nPrintColumn, m_nPrintColumnEnd, row, rect, pDC, first);
  }
  pDC->SelectObject(previous);
}

// The cells of one heading row from nStartColumn up to the page's last column.
void CGridCtrl::PrintFixedRowCells(int nStartColumn, int nStopColumn, int nRow, CRect& rect, CDC* pDC,
                                   BOOL& bFirst) {
  for (int col = nStartColumn; col < nStopColumn; ++col) {
    if (!NextSpan(GetColumnWidth(col), rect.left, rect.right)) continue;
    if (CGridCellBase* cell = GetCell(nRow, col)) cell->PrintCell(pDC, nRow, col, rect);
    PrintCellLines(pDC, rect, col == 0 ? 0 : 1, nRow == 0 ? 0 : 1, nRow == 0 ? rect.top : kNoLine,
                   bFirst ? rect.left - 1 : kNoLine);
    bFirst = FALSE;
  }
}

void CGridCtrl::PrintHeader(CDC* pDC, CPrintInfo* pInfo) {
  const CRect rect(pInfo->m_rectDraw);
  CString centre;
  for (const CWnd* wnd = GetParent(); wnd && centre.IsEmpty(); wnd = wnd->GetParent()) centre = wnd->GetWindowText();
  const CString right(AfxGetAppName());

  CFont bold;
  MakeBold(m_PrinterFont, bold);
  CFont* previous = pDC->SelectObject(&bold);
  const int bkMode = pDC->SetBkMode(TRANSPARENT);
  CRect area(rect);
  if (!centre.IsEmpty()) pDC->DrawText(centre, area, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  area = rect;
  if (!right.IsEmpty()) pDC->DrawText(right, area, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  pDC->SetBkMode(bkMode);
  pDC->SelectObject(previous);
  bold.DeleteObject();
  pDC->SelectStockObject(BLACK_PEN);
  pDC->MoveTo(rect.left, rect.bottom);
  pDC->LineTo(rect.right, rect.bottom);
}

void CGridCtrl::PrintFooter(CDC* pDC, CPrintInfo* pInfo) {
  const CRect rect(pInfo->m_rectDraw);
  CString left;
  left.Format(L"Page %d of %d", static_cast<int>(pInfo->m_nCurPage), static_cast<int>(pInfo->GetMaxPage()));
  CString right;
  std::tm local{};
  wchar_t stamp[128] = {};
  if (plat::EpochToLocal(std::time(nullptr), &local) && std::wcsftime(stamp, 128, L"%c", &local) > 0) right = stamp;

  pDC->SelectStockObject(BLACK_PEN);
  pDC->MoveTo(rect.left, rect.top);
  pDC->LineTo(rect.right, rect.top);
  CFont bold;
  MakeBold(m_PrinterFont, bold);
  CFont* previous = pDC->SelectObject(&bold);
  const int bkMode = pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(RGB(0, 0, 0));
  CRect area(rect);
  if (!left.IsEmpty()) pDC->DrawText(left, area, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  area = rect;
  if (!right.IsEmpty()) pDC->DrawText(right, area, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
  pDC->SetBkMode(bkMode);
  pDC->SelectObject(previous);
}
