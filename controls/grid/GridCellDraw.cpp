// Cells drawing, measuring and printing themselves.
#include <algorithm>
#include <cmath>

#include "controls/SavedDcState.h"
#include "controls/grid/GridCell.h"
#include "controls/grid/GridCtrl.h"
#include "platform/gdi/ImageList.h"

namespace {

// The raised look of a fixed cell: a light edge at the top and left, a dark one at the right and
// bottom; the rectangle shrinks inside it.
void DrawRaisedEdge(CDC* pDC, CRect& rect) {
  CPen light(PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT));
  CPen dark(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  CPen* previous = pDC->SelectObject(&light);
  pDC->MoveTo(rect.right, rect.top);
  pDC->LineTo(rect.left, rect.top);
  pDC->LineTo(rect.left, rect.bottom);
  pDC->SelectObject(&dark);
  pDC->MoveTo(rect.right, rect.top);
  pDC->LineTo(rect.right, rect.bottom);
  pDC->LineTo(rect.left, rect.bottom);
  pDC->SelectObject(previous);
  rect.DeflateRect(1, 1);
}

// The image's size in the image list, when the cell has an image that the list holds.
bool ImageSize(const CGridCellBase& cell, CSize& size) {
  const CGridCtrl* grid = cell.GetGrid();
  CImageList* images = grid ? grid->GetImageList() : nullptr;
  IMAGEINFO info;
  if (!images || cell.GetImage() < 0 || !images->GetImageInfo(cell.GetImage(), &info)) return false;
  size = CSize(info.rcImage.right - info.rcImage.left, info.rcImage.bottom - info.rcImage.top);
  return true;
}

// One outline of the sort arrow, from a corner through the apex to the other corner and back.
void DrawTriangle(CDC* pDC, const POINT (&corners)[3]) {
  pDC->MoveTo(corners[0]);
  pDC->LineTo(corners[1]);
  pDC->LineTo(corners[2]);
  pDC->LineTo(corners[0]);
}

BOOL IsVertical(const LOGFONT* font) { return font && (font->lfEscapement == 900 || font->lfEscapement == -900); }

}  // namespace

BOOL CGridCellBase::Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd) {
  CGridCtrl* grid = GetGrid();
  if (!grid || !pDC || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;
  SavedDcState saved(pDC);
  pDC->SetBkMode(TRANSPARENT);
  const CGridDefaultCell* def = GetDefaultCell();
  if (!def) return FALSE;

  DrawBackground(pDC, rect, bEraseBkgnd, *def);
  if (IsFixed() && grid->GetGridLines() != GGL_NONE) DrawFixedEdge(pDC, nRow, nCol, rect);
  if (!pDC->IsPrinting()) {
    if (CFont* font = GetFontObject()) pDC->SelectObject(font);
  }
  const int margin = static_cast<int>(GetMargin());
  rect.DeflateRect(margin, margin);
  rect.right++;
  rect.bottom++;
  DrawImage(pDC, rect, true);
  if (nRow == 0 && nCol == grid->GetSortColumn()) DrawSortArrow(pDC, rect);
  GetTextRect(rect);
  pDC->DrawText(GetText(), -1, rect, GetFormat() | DT_NOPREFIX);
  return TRUE;
}

// The fill and the text colour: the cell's own colours or its default cell's, the highlight
// colours when selected, and the focus frame.
void CGridCellBase::DrawBackground(CDC* pDC, CRect& rect, BOOL bEraseBkgnd, const CGridDefaultCell& def) {
  const CGridCtrl* grid = GetGrid();
  COLORREF textClr = GetTextClr() == CLR_DEFAULT ? def.GetTextClr() : GetTextClr();
  COLORREF backClr = def.GetBackClr();
  if (GetBackClr() != CLR_DEFAULT) {
    backClr = GetBackClr();
    bEraseBkgnd = TRUE;
  }
  if (!IsFocused() && !IsDropHighlighted()) {
    if (!IsSelected()) {
      if (bEraseBkgnd) pDC->FillSolidRect(rect, backClr);
    } else {
      CRect grown(rect);
      grown.right++;
      grown.bottom++;
      pDC->FillSolidRect(grown, GetSysColor(COLOR_HIGHLIGHT));
      textClr = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    pDC->SetTextColor(textClr);
    return;
  }
  if (IsSelected()) {
    backClr = GetSysColor(COLOR_HIGHLIGHT);
    textClr = GetSysColor(COLOR_HIGHLIGHTTEXT);
    bEraseBkgnd = TRUE;
  }
  const bool noLines = grid->GetGridLines() == GGL_NONE;
  if (noLines) {
    rect.right++;
    rect.bottom++;
  }
  if (bEraseBkgnd) pDC->FillSolidRect(rect, backClr);
  if (grid->GetFrameFocusCell()) {
    CBrush frame(textClr);
    pDC->FrameRect(rect, &frame);
  }
  pDC->SetTextColor(textClr);
  if (noLines) {
    rect.right--;
    rect.bottom--;
  }
}

// A fixed cell looks pressed in while the focus cell lies in its row or column (when the grid
// tracks the focus cell), raised otherwise.
void CGridCellBase::DrawFixedEdge(CDC* pDC, int nRow, int nCol, CRect& rect) {
  CGridCtrl* grid = GetGrid();
  const CCellID focus = grid->GetFocusCell();
  const bool pressed = grid->GetTrackFocusCell() && grid->IsValid(focus) && (focus.row == nRow || focus.col == nCol);
  if (!pressed) {
    DrawRaisedEdge(pDC, rect);
    return;
  }
  rect.right++;
  rect.bottom++;
  pDC->DrawEdge(rect, BDR_SUNKENINNER, BF_RECT);
  rect.DeflateRect(1, 1);
}

void CGridCellBase::DrawImage(CDC* pDC, const CRect& rect, bool fitOnly) const {
  CSize size;
  if (!ImageSize(*this, size)) return;
  if (fitOnly && (size.cx + rect.left > rect.right || size.cy + rect.top > rect.bottom)) return;
  GetGrid()->GetImageList()->Draw(pDC, GetImage(), rect.TopLeft(), ILD_NORMAL);
}

// The sort arrow at the right of the heading of the sort column: a triangle "M" high less the
// offsets, pointing up for an ascending sort, drawn only where it fits.
void CGridCellBase::DrawSortArrow(CDC* pDC, const CRect& rect) const {
  constexpr int kOffset = 2;
  CSize size = pDC->GetTextExtent(L"M", 1);
  size.cy -= 2 * kOffset;
  if (rect.Height() <= size.cy) size.cy = rect.Height() - 2 * kOffset;
  size.cx = size.cy;
  if (size.cy <= 0 || size.cx + rect.left >= rect.right) return;

  const int top = rect.bottom + 1 - kOffset - size.cy;
  const int left = IsVertical(GetFont()) ? (rect.left + rect.right - size.cx) / 2 : rect.right - size.cx;
  const int w = size.cx;
  const int h = size.cy;
  CPen shadow(PS_SOLID, 0, GetSysColor(COLOR_3DSHADOW));
  CPen light(PS_SOLID, 0, GetSysColor(COLOR_3DHILIGHT));
  CPen* previous = pDC->SelectObject(&light);
  const bool up = GetGrid()->GetSortAscending();
  for (int shift : {0, 1}) {
    const int x = left + 1 - shift;
    const int y = top + 1 - shift;
    const POINT upward[3] = {{x, y + h}, {x + w / 2, y}, {x + w, y + h}};
    const POINT downward[3] = {{x, y}, {x + w / 2, y + h}, {x + w, y}};
    DrawTriangle(pDC, up ? upward : downward);
    pDC->SelectObject(&shadow);
  }
  pDC->SelectObject(previous);
}

BOOL CGridCellBase::GetTextRect(LPRECT pRect) const {
  CSize size;
  if (ImageSize(*this, size)) pRect->left += size.cx + static_cast<LONG>(GetMargin()) + 1;
  return TRUE;
}

CSize CGridCellBase::GetTextExtent(LPCTSTR text, CDC* pDC) const {
  CGridCtrl* grid = GetGrid();
  CDC* gridDc = nullptr;
  if (!pDC && text && grid) pDC = gridDc = grid->GetDC();
  const CGridDefaultCell* def = GetDefaultCell();
  if (!pDC || !text) return def ? CSize(def->GetWidth(), def->GetHeight()) : CSize(0, 0);

  CFont* font = GetFontObject();
  CFont* previous = font ? pDC->SelectObject(font) : nullptr;
  CSize size;
  const UINT format = GetFormat();
  if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
    size = pDC->GetTextExtent(text, -1);
  } else {
    // A broken text is as wide as its widest line.
    const CString all(text);
    int widest = 0;
    for (int start = 0; start <= all.GetLength();) {
      int end = all.Find(L'\n', start);
      if (end < 0) end = all.GetLength();
      widest = std::max<int>(widest, pDC->GetTextExtent(all.Mid(start, end - start)).cx);
      start = end + 1;
    }
    CRect bounds(0, 0, widest + 1, 0);
    pDC->DrawText(all, bounds, format | DT_CALCRECT);
    size = bounds.Size();
  }
  if (font) pDC->SelectObject(previous);

  const int margin = static_cast<int>(GetMargin());
  size.cx += 2 * margin;
  size.cy += 2 * margin;
  if (IsVertical(GetFont())) {
    std::swap(size.cx, size.cy);
    size.cy += 4 * margin;
  }
  if (gridDc) grid->ReleaseDC(gridDc);
  return size;
}

CSize CGridCellBase::GetCellExtent(CDC* pDC) const {
  const CSize text = GetTextExtent(GetText(), pDC);
  CSize image(0, 0);
  if (ImageSize(*this, image)) {
    const int margin = static_cast<int>(GetMargin());
    if (2 * margin < text.cx) image.cx += margin;
    image.cy += 2 * margin;
  }
  CSize size(text.cx + 1 + image.cx, std::max(text.cy, image.cy) + 1);
  if (IsFixed()) {
    size.cx++;
    size.cy++;
  }
  return size;
}

BOOL CGridCellBase::PrintCell(CDC* pDC, int, int, CRect rect) {
  CGridCtrl* grid = GetGrid();
  if (!grid || !pDC || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;
  SavedDcState saved(pDC);
  pDC->SetBkMode(TRANSPARENT);

  COLORREF backClr = CLR_DEFAULT;
  COLORREF textClr = RGB(0, 0, 0);
  if (grid->GetShadedPrintOut()) {
    const CGridDefaultCell* def = GetDefaultCell();
    if (!def) return FALSE;
    const COLORREF own = GetBackClr();
    if (IsFixed()) {
      backClr = own != CLR_DEFAULT ? own : def->GetBackClr();
    } else if (own != CLR_DEFAULT && own != def->GetBackClr()) {
      backClr = own;
    }
    textClr = own != CLR_DEFAULT && GetTextClr() != CLR_DEFAULT ? GetTextClr() : def->GetTextClr();
    // A monochrome printer turns coloured text on a plain background into its brightness.
    if (pDC->GetDeviceCaps(NUMCOLORS) == 2 && backClr == CLR_DEFAULT) {
      textClr = RGB(static_cast<int>(std::lround(GetRValue(textClr) * 0.30)),
                    static_cast<int>(std::lround(GetGValue(textClr) * 0.59)),
                    static_cast<int>(std::lround(GetBValue(textClr) * 0.11)));
    }
    if (backClr != CLR_DEFAULT) pDC->FillSolidRect(rect, backClr);
  }
  pDC->SetTextColor(textClr);
  if (CFont* font = GetFontObject()) pDC->SelectObject(font);
  if (IsFixed() && grid->GetGridLines() != GGL_NONE) DrawRaisedEdge(pDC, rect);

  const int margin = static_cast<int>(GetMargin());
  rect.DeflateRect(margin, 0);
  CSize image;
  if (ImageSize(*this, image)) {
    DrawImage(pDC, rect, false);
    rect.left += image.cx + margin;
  }
  pDC->DrawText(GetText(), -1, rect, GetFormat() | DT_NOPREFIX);
  return TRUE;
}
