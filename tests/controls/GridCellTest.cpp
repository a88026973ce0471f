#include <gtest/gtest.h>

#include <cwchar>

#include "GridTestSupport.h"
#include "platform/gdi/ImageList.h"
#include "platform/gdi/Surface.h"

using gridtest::At;
using gridtest::CountPixels;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// An image with a device context on it, as a window's or a printer's.
struct Canvas {
  Canvas(int width, int height) : image(width, height, QImage::Format_RGB32), dc(plat::DcSurface{&image, {}, {}}) {
    image.fill(qRgb(255, 255, 255));
  }
  QImage image;
  CDC dc;
};

// A cell whose default cell has gone, as a cell of a grid being torn down.
class OrphanCell : public CGridCell {
 public:
  CGridDefaultCell* GetDefaultCell() const override { return nullptr; }
};

int InkRows(const QImage& image, const QRect& area, COLORREF colour, int* longestRow) {
  int best = 0;
  *longestRow = -1;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const int n = CountPixels(image, QRect(area.left(), y, area.width(), 1), colour);
    if (n > best) {
      best = n;
      *longestRow = y;
    }
  }
  return best;
}

}  // namespace

TEST(GridCellTest, UnsetAttributesComeFromTheDefaultCellUntilTheCellSetsItsOwn) {
  CGridCtrl grid(3, 3, 1, 1);
  const CGridDefaultCell* plain = grid.GetDefaultCell(FALSE, FALSE);
  CGridCell cell;
  EXPECT_EQ(cell.GetDefaultCell(), nullptr);
  EXPECT_EQ(cell.GetFormat(), 0u);
  EXPECT_EQ(cell.GetMargin(), 0u);
  EXPECT_EQ(cell.GetFont(), nullptr);
  EXPECT_EQ(cell.GetFontObject(), nullptr);

  cell.SetGrid(&grid);
  EXPECT_EQ(cell.GetTextClr(), CLR_DEFAULT);
  EXPECT_EQ(cell.GetBackClr(), CLR_DEFAULT);
  EXPECT_EQ(cell.GetFormat(), 0x8824u);
  EXPECT_EQ(cell.GetMargin(), plain->GetMargin());
  EXPECT_EQ(cell.GetFont(), plain->GetFont());
  EXPECT_EQ(cell.GetFontObject(), plain->GetFontObject());
  EXPECT_TRUE(cell.IsDefaultFont());
  EXPECT_EQ(cell.GetImage(), -1);
  EXPECT_STREQ(cell.GetText(), L"");
  // A cell of a fixed row falls back to the fixed-row default cell.
  cell.SetState(GCS_FIXED | GCS_FIXEDROW);
  EXPECT_EQ(cell.GetDefaultCell(), grid.GetDefaultCell(TRUE, FALSE));
  cell.SetState(0);

  // Default cells are read-only whatever their state word.
  CGridDefaultCell* def = grid.GetDefaultCell(TRUE, TRUE);
  def->SetState(0);
  EXPECT_EQ(def->GetState(), GCS_READONLY);
  EXPECT_TRUE(def->IsReadOnly());

  LOGFONTW italic = plat::MessageFont();
  italic.lfItalic = 1;
  cell.SetText(L"abc");
  cell.SetFormat(DT_LEFT);
  cell.SetMargin(9);
  cell.SetFont(&italic);
  cell.SetTextClr(RGB(1, 2, 3));
  cell.SetImage(2);
  cell.SetData(5);
  EXPECT_EQ(cell.GetFormat(), static_cast<DWORD>(DT_LEFT));
  EXPECT_EQ(cell.GetMargin(), 9u);
  EXPECT_EQ(cell.GetFont()->lfItalic, 1);
  EXPECT_FALSE(cell.IsDefaultFont());

  // Copying takes every attribute; a default font stays a default font.
  CGridCell copy;
  copy = cell;
  EXPECT_STREQ(copy.GetText(), L"abc");
  EXPECT_EQ(copy.GetGrid(), &grid);
  EXPECT_EQ(copy.GetMargin(), 9u);
  EXPECT_EQ(copy.GetTextClr(), RGB(1, 2, 3));
  EXPECT_EQ(copy.GetImage(), 2);
  EXPECT_EQ(copy.GetData(), 5);
  EXPECT_EQ(copy.GetFont()->lfItalic, 1);
  EXPECT_NE(copy.GetFont(), cell.GetFont());
  CGridCell plainCopy;
  plainCopy = *grid.GetCell(2, 2);
  EXPECT_TRUE(plainCopy.IsDefaultFont());

  cell.Reset();
  EXPECT_STREQ(cell.GetText(), L"");
  EXPECT_EQ(cell.GetGrid(), nullptr);
  EXPECT_EQ(cell.GetTextClr(), CLR_DEFAULT);
  EXPECT_TRUE(cell.IsDefaultFont());
  EXPECT_EQ(cell.GetImage(), -1);
  EXPECT_EQ(cell.GetData(), 0);
  cell.SetGrid(&grid);
  EXPECT_EQ(cell.GetMargin(), plain->GetMargin());
}

TEST(GridCellTest, AFaceNameThatFillsItsFieldIsKeptTerminated) {
  LOGFONTW font = plat::MessageFont();
  std::wmemset(font.lfFaceName, L'Q', LF_FACESIZE);
  CGridCell cell;
  cell.SetFont(&font);
  ASSERT_NE(cell.GetFont(), nullptr);
  EXPECT_EQ(cell.GetFont()->lfFaceName[LF_FACESIZE - 1], L'\0');
  EXPECT_EQ(std::wcslen(cell.GetFont()->lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
  EXPECT_EQ(cell.GetFont()->lfHeight, font.lfHeight);

  CGridDefaultCell def;
  def.SetFont(&font);
  EXPECT_EQ(def.GetFont()->lfFaceName[LF_FACESIZE - 1], L'\0');
  LOGFONTW made;
  ASSERT_GT(def.GetFontObject()->GetLogFont(&made), 0);
  EXPECT_EQ(std::wcslen(made.lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
}

TEST(GridCellTest, ACellsFontObjectStaysTheSameWhileItsFontDoes) {
  CGridCell cell;
  LOGFONTW font = plat::MessageFont();
  font.lfHeight = -20;
  cell.SetFont(&font);
  CFont* first = cell.GetFontObject();
  ASSERT_NE(first, nullptr);
  Canvas canvas(10, 10);
  canvas.dc.SelectObject(first);
  // Asking again while the font is selected gives the same object, not a remade one.
  EXPECT_EQ(cell.GetFontObject(), first);
  EXPECT_EQ(canvas.dc.GetCurrentFont(), first);
  LOGFONTW made;
  first->GetLogFont(&made);
  EXPECT_EQ(made.lfHeight, -20);

  font.lfHeight = -30;
  cell.SetFont(&font);
  cell.GetFontObject()->GetLogFont(&made);
  EXPECT_EQ(made.lfHeight, -30);
  // Two cells with fonts of their own hold two objects.
  CGridCell other;
  other.SetFont(&font);
  EXPECT_NE(other.GetFontObject(), cell.GetFontObject());
}

TEST(GridCellTest, TextExtentsMeasureTheWidestLineAndTurnWithVerticalFonts) {
  CGridCtrl grid(2, 2);
  CGridCellBase* cell = grid.GetCell(1, 1);
  Canvas canvas(10, 10);
  CDC& dc = canvas.dc;
  dc.SelectObject(grid.GetDefaultCell(FALSE, FALSE)->GetFontObject());
  const int margin = static_cast<int>(cell->GetMargin());
  const CSize wide = dc.GetTextExtent(L"abcdef");
  const CSize line = dc.GetTextExtent(L"ab");

  // Laid out in a rectangle one pixel wider than the widest line, which keeps its width.
  cell->SetFormat(DT_WORDBREAK);
  const CSize broken = cell->GetTextExtent(L"ab\nabcdef", &dc);
  EXPECT_EQ(broken.cx, wide.cx + 1 + 2 * margin);
  EXPECT_EQ(broken.cy, 2 * line.cy + 2 * margin);
  // Single-line text measures as one run.
  cell->SetFormat(DT_SINGLELINE | DT_WORDBREAK);
  EXPECT_EQ(cell->GetTextExtent(L"abcdef", &dc), CSize(wide.cx + 2 * margin, wide.cy + 2 * margin));

  LOGFONTW vertical = plat::MessageFont();
  vertical.lfEscapement = 900;
  cell->SetFont(&vertical);
  const CSize turned = cell->GetTextExtent(L"abcdef", &dc);
  EXPECT_EQ(turned.cx, wide.cy + 2 * margin);
  EXPECT_EQ(turned.cy, wide.cx + 2 * margin + 4 * margin);
  vertical.lfEscapement = -900;
  cell->SetFont(&vertical);
  EXPECT_EQ(cell->GetTextExtent(L"abcdef", &dc), turned);

  // Without a text the default size stands in.
  const CGridDefaultCell* plain = grid.GetDefaultCell(FALSE, FALSE);
  EXPECT_EQ(cell->GetTextExtent(nullptr, &dc), CSize(plain->GetWidth(), plain->GetHeight()));
  // Without a context the grid's is used.
  cell->SetFont(nullptr);
  cell->SetFormat(DT_SINGLELINE);
  EXPECT_EQ(cell->GetTextExtent(L"abcdef"), CSize(wide.cx + 2 * margin, wide.cy + 2 * margin));
  // A whole cell adds a pixel each way, and a fixed cell one more.
  cell->SetText(L"abcdef");
  EXPECT_EQ(cell->GetCellExtent(&dc), CSize(wide.cx + 2 * margin + 1, wide.cy + 2 * margin + 1));
  grid.GetCell(0, 0)->SetText(L"abcdef");
  grid.SetFixedRowCount(1);
  EXPECT_EQ(grid.GetCell(0, 0)->GetCellExtent(&dc), CSize(wide.cx + 2 * margin + 2, wide.cy + 2 * margin + 2));
}

TEST(GridCellTest, ImagesTakeTheirPlaceBeforeTheText) {
  CGridCtrl grid(2, 2);
  CImageList images;
  ASSERT_TRUE(images.Create(8, 6, ILC_COLOR32, 1, 1));
  CBitmap strip;
  std::vector<DWORD> red(8 * 6, 0x00FF0000u);
  ASSERT_TRUE(strip.CreateBitmap(8, 6, 1, 32, red.data()));
  ASSERT_EQ(images.Add(&strip, static_cast<CBitmap*>(nullptr)), 0);
  grid.SetImageList(&images);
  CGridCellBase* cell = grid.GetCell(1, 1);
  const int margin = static_cast<int>(cell->GetMargin());

  CRect text(10, 0, 100, 20);
  cell->GetTextRect(text);
  EXPECT_EQ(text.left, 10);
  cell->SetImage(0);
  cell->GetTextRect(text);
  EXPECT_EQ(text.left, 10 + 8 + margin + 1);

  Canvas canvas(120, 40);
  cell->SetText(L"abcdef");
  const CSize plainText = cell->GetTextExtent(L"abcdef", &canvas.dc);
  EXPECT_EQ(cell->GetCellExtent(&canvas.dc),
            CSize(plainText.cx + 1 + 8 + margin, std::max<int>(plainText.cy, 6 + 2 * margin) + 1));

  // Drawn at the top-left of the rectangle inside the margin, where it fits.
  ASSERT_TRUE(cell->Draw(&canvas.dc, 1, 1, CRect(0, 0, 99, 29)));
  EXPECT_EQ(At(canvas.image, margin + 2, margin + 2), RGB(255, 0, 0));
  Canvas small(40, 40);
  ASSERT_TRUE(cell->Draw(&small.dc, 1, 1, CRect(0, 0, 30, 7)));
  EXPECT_EQ(CountPixels(small.image, QRect(0, 0, 40, 40), RGB(255, 0, 0)), 0);
}

TEST(GridCellTest, DrawingTakesTheDefaultColoursAndHighlightsSelectedAndFocusedCells) {
  CGridCtrl grid(3, 3, 1, 1);
  CGridCellBase* cell = grid.GetCell(1, 1);
  cell->SetText(L"MMMM");
  const CRect rect(10, 10, 59, 29);  // inclusive edges

  Canvas plain(80, 50);
  plain.image.fill(qRgb(10, 10, 10));
  ASSERT_TRUE(cell->Draw(&plain.dc, 1, 1, rect, TRUE));
  EXPECT_EQ(At(plain.image, 10, 10), kWhite);
  EXPECT_EQ(At(plain.image, 58, 28), kWhite);
  EXPECT_EQ(At(plain.image, 59, 29), RGB(10, 10, 10));
  EXPECT_GT(CountPixels(plain.image, QRect(10, 10, 49, 19), kBlack), 10);
  // Without erasing only the text is drawn.
  Canvas bare(80, 50);
  bare.image.fill(qRgb(10, 200, 10));
  cell->Draw(&bare.dc, 1, 1, rect, FALSE);
  EXPECT_EQ(At(bare.image, 10, 10), RGB(10, 200, 10));
  // An own back colour always fills.
  cell->SetBackClr(RGB(0, 128, 255));
  cell->SetTextClr(RGB(200, 0, 0));
  cell->Draw(&bare.dc, 1, 1, rect, FALSE);
  EXPECT_EQ(At(bare.image, 10, 10), RGB(0, 128, 255));
  EXPECT_GT(CountPixels(bare.image, QRect(10, 10, 49, 19), RGB(200, 0, 0)), 10);
  cell->SetBackClr(CLR_DEFAULT);
  cell->SetTextClr(CLR_DEFAULT);

  // Selected: the highlight covers the rectangle and its right and bottom line.
  grid.SetItemState(1, 1, GCS_SELECTED);
  Canvas selected(80, 50);
  cell->Draw(&selected.dc, 1, 1, rect, FALSE);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(At(selected.image, 10, 10), highlight);
  EXPECT_EQ(At(selected.image, 59, 29), highlight);
  EXPECT_EQ(At(selected.image, 60, 30), kWhite);
  EXPECT_GT(CountPixels(selected.image, QRect(10, 10, 49, 19), GetSysColor(COLOR_HIGHLIGHTTEXT)), 10);

  // Focused: a frame in the text colour around the rectangle.
  grid.SetItemState(1, 1, GCS_FOCUSED);
  Canvas focused(80, 50);
  cell->Draw(&focused.dc, 1, 1, rect, TRUE);
  EXPECT_EQ(At(focused.image, 10, 10), kBlack);
  EXPECT_EQ(At(focused.image, 58, 20), kBlack);
  EXPECT_EQ(At(focused.image, 30, 28), kBlack);
  EXPECT_EQ(At(focused.image, 11, 11), kWhite);
  grid.SetFrameFocusCell(FALSE);
  Canvas unframed(80, 50);
  cell->Draw(&unframed.dc, 1, 1, rect, TRUE);
  EXPECT_EQ(At(unframed.image, 10, 10), kWhite);

  // Focused and selected: highlight with a frame in the highlight text colour.
  grid.SetFrameFocusCell(TRUE);
  grid.SetItemState(1, 1, GCS_FOCUSED | GCS_SELECTED);
  Canvas both(80, 50);
  cell->Draw(&both.dc, 1, 1, rect, FALSE);
  EXPECT_EQ(At(both.image, 10, 10), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(At(both.image, 11, 11), highlight);
  // With no grid lines the focus frame takes the line pixels too.
  grid.SetGridLines(GGL_NONE);
  Canvas noLines(80, 50);
  cell->Draw(&noLines.dc, 1, 1, rect, FALSE);
  EXPECT_EQ(At(noLines.image, 59, 29), GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(At(noLines.image, 58, 28), highlight);
}

TEST(GridCellTest, FixedCellsLookRaisedOrPressedInLineWithTheFocus) {
  CGridCtrl grid(3, 3, 1, 1);
  CGridCellBase* heading = grid.GetCell(0, 1);
  const CRect rect(0, 0, 39, 19);
  Canvas raised(50, 30);
  ASSERT_TRUE(heading->Draw(&raised.dc, 0, 1, rect, TRUE));
  EXPECT_EQ(At(raised.image, 10, 0), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(At(raised.image, 0, 10), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(At(raised.image, 39, 10), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(raised.image, 10, 19), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(At(raised.image, 10, 10), GetSysColor(COLOR_BTNFACE));

  grid.SetFocusCell(2, 1);
  Canvas pressed(50, 30);
  heading->Draw(&pressed.dc, 0, 1, rect, TRUE);
  EXPECT_NE(At(pressed.image, 10, 0), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_NE(At(pressed.image, 39, 10), GetSysColor(COLOR_3DDKSHADOW));
  // Without tracking the heading stays raised.
  grid.SetTrackFocusCell(FALSE);
  Canvas untracked(50, 30);
  heading->Draw(&untracked.dc, 0, 1, rect, TRUE);
  EXPECT_EQ(untracked.image, raised.image);
}

TEST(GridCellTest, TheSortArrowPointsTheSortWayAndOnlyWhereItFits) {
  gridtest::SysColorScope restore;
  plat::SetSysColor(COLOR_3DHILIGHT, RGB(255, 0, 255));
  CGridCtrl grid(3, 3, 1, 0);
  const COLORREF light = GetSysColor(COLOR_3DHILIGHT);
  const CRect rect(0, 0, 59, 23);
  const QRect inside(1, 1, 58, 22);  // within the raised edge
  grid.SetSortColumn(1);
  grid.SetSortAscending(TRUE);
  Canvas up(60, 24);
  ASSERT_TRUE(grid.GetCell(0, 1)->Draw(&up.dc, 0, 1, rect, TRUE));
  int upBase = -1;
  const int upWidest = InkRows(up.image, inside, light, &upBase);
  const QRect upInk = [&] {
    QRect box;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        if (At(up.image, x, y) == light) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }();
  ASSERT_GT(upWidest, 3);
  // Pointing up: the widest run is the base at the bottom, at the right of the heading.
  EXPECT_EQ(upBase, upInk.bottom());
  EXPECT_GT(upInk.left(), 30);

  grid.SetSortAscending(FALSE);
  Canvas down(60, 24);
  grid.GetCell(0, 1)->Draw(&down.dc, 0, 1, rect, TRUE);
  int downBase = -1;
  InkRows(down.image, inside, light, &downBase);
  EXPECT_LT(downBase, upBase);

  // No arrow in another column or row, nor in a cell too short or narrow for it.
  Canvas other(60, 24);
  grid.GetCell(0, 2)->Draw(&other.dc, 0, 2, rect, TRUE);
  EXPECT_EQ(CountPixels(other.image, inside, light), 0);
  Canvas body(60, 24);
  grid.GetCell(1, 1)->Draw(&body.dc, 1, 1, rect, TRUE);
  EXPECT_EQ(CountPixels(body.image, QRect(0, 0, 60, 24), light), 0);
  Canvas flat(60, 24);
  EXPECT_TRUE(grid.GetCell(0, 1)->Draw(&flat.dc, 0, 1, CRect(0, 0, 59, 4), TRUE));
  EXPECT_EQ(CountPixels(flat.image, QRect(1, 1, 58, 3), light), 0);
  Canvas narrow(60, 24);
  EXPECT_TRUE(grid.GetCell(0, 1)->Draw(&narrow.dc, 0, 1, CRect(0, 0, 9, 23), TRUE));
  EXPECT_EQ(CountPixels(narrow.image, QRect(1, 1, 8, 22), light), 0);
}

TEST(GridCellTest, DrawingWithoutAGridOrADefaultCellLeavesTheContextAsItWas) {
  Canvas canvas(40, 40);
  canvas.dc.SetBkMode(OPAQUE);
  const int depth = canvas.dc.SaveDC();
  canvas.dc.RestoreDC(depth);
  CGridCell loose;
  EXPECT_FALSE(loose.Draw(&canvas.dc, 0, 0, CRect(0, 0, 20, 20)));
  EXPECT_FALSE(loose.PrintCell(&canvas.dc, 0, 0, CRect(0, 0, 20, 20)));

  CGridCtrl grid(2, 2);
  OrphanCell orphan;
  orphan.SetGrid(&grid);
  EXPECT_FALSE(orphan.Draw(&canvas.dc, 0, 0, CRect(0, 0, 20, 20)));
  EXPECT_FALSE(orphan.PrintCell(&canvas.dc, 0, 0, CRect(0, 0, 20, 20)));
  EXPECT_EQ(canvas.dc.GetBkMode(), OPAQUE);
  // Every saved state was given back: the next save has the same depth.
  EXPECT_EQ(canvas.dc.SaveDC(), depth);
  EXPECT_EQ(CountPixels(canvas.image, QRect(0, 0, 40, 40), kWhite), 40 * 40);

  EXPECT_FALSE(grid.GetCell(1, 1)->Draw(&canvas.dc, 1, 1, CRect(5, 5, 4, 20)));
  EXPECT_FALSE(grid.GetCell(1, 1)->Draw(nullptr, 1, 1, CRect(0, 0, 20, 20)));
}

TEST(GridCellTest, PrintedCellsShowOnlyTheColoursThatDifferFromTheDefaults) {
  CGridCtrl grid(3, 3, 1, 0);
  CGridCellBase* cell = grid.GetCell(1, 1);
  cell->SetText(L"MMMM");
  const CRect rect(0, 0, 59, 19);

  Canvas plain(60, 20);
  plain.image.fill(qRgb(10, 10, 10));
  ASSERT_TRUE(cell->PrintCell(&plain.dc, 1, 1, rect));
  EXPECT_EQ(At(plain.image, 0, 0), RGB(10, 10, 10));
  EXPECT_GT(CountPixels(plain.image, QRect(0, 0, 60, 20), kBlack), 10);

  cell->SetBackClr(RGB(0, 200, 0));
  cell->SetTextClr(RGB(0, 0, 200));
  Canvas own(60, 20);
  cell->PrintCell(&own.dc, 1, 1, rect);
  EXPECT_EQ(At(own.image, 0, 0), RGB(0, 200, 0));
  EXPECT_GT(CountPixels(own.image, QRect(0, 0, 60, 20), RGB(0, 0, 200)), 10);

  // A heading prints its default face colour; without shading nothing is filled and text is black.
  Canvas heading(60, 20);
  grid.GetCell(0, 1)->PrintCell(&heading.dc, 0, 1, rect);
  EXPECT_EQ(At(heading.image, 10, 10), GetSysColor(COLOR_BTNFACE));
  grid.SetShadedPrintOut(FALSE);
  Canvas unshaded(60, 20);
  cell->PrintCell(&unshaded.dc, 1, 1, rect);
  EXPECT_EQ(At(unshaded.image, 0, 0), kWhite);
  EXPECT_EQ(CountPixels(unshaded.image, QRect(0, 0, 60, 20), RGB(0, 0, 200)), 0);
  EXPECT_GT(CountPixels(unshaded.image, QRect(0, 0, 60, 20), kBlack), 10);
}
