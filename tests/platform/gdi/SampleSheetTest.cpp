// Draws a sheet of what the controls draw (texts, edges, shapes, a masked frame, turned text)
// and writes it as a PNG, so that a person can look at the result.
#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"

using gditest::At;

namespace {
void DrawButtons(CDC& dc, CFont& font) {
  CRect raised(10, 10, 110, 40);
  dc.FillSolidRect(&raised, GetSysColor(COLOR_BTNFACE));
  dc.DrawEdge(&raised, EDGE_RAISED, BF_RECT);
  dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
  dc.DrawText(L"&Play", -1, &raised, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  CRect sunken(120, 10, 220, 40);
  dc.FillSolidRect(&sunken, GetSysColor(COLOR_BTNFACE));
  dc.DrawEdge(&sunken, EDGE_SUNKEN, BF_RECT);
  CRect text = sunken;
  text.OffsetRect(2, 1);
  dc.DrawText(L"Pressed", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  CRect focus = raised;
  focus.DeflateRect(4, 4);
  dc.DrawFocusRect(&focus);
}

void DrawGridCells(CDC& dc) {
  CPen line(PS_SOLID, 0, RGB(0xC0, 0xC0, 0xC0));
  CPen* old = dc.SelectObject(&line);
  for (int i = 0; i <= 4; ++i) {
    dc.MoveTo(10, 50 + i * 20);
    dc.LineTo(230, 50 + i * 20);
  }
  for (int j = 0; j <= 3; ++j) {
    dc.MoveTo(10 + j * 73, 50);
    dc.LineTo(10 + j * 73, 131);
  }
  dc.SelectObject(old);
  dc.SetTextColor(RGB(0, 0, 0));
  CRect cell(11, 51, 83, 70);
  dc.DrawText(L"A cell whose text is too long", -1, &cell,
              DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  CRect highlighted(84, 71, 156, 90);
  dc.FillSolidRect(&highlighted, GetSysColor(COLOR_HIGHLIGHT));
  dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
  dc.SetBkMode(TRANSPARENT);
  dc.DrawText(L"Selected", -1, &highlighted, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawSegment(CDC& dc) {
  CBrush on(RGB(0, 0xFF, 0));
  CPen rim(PS_SOLID, 1, RGB(0, 0xBF, 0));
  dc.SelectObject(&on);
  dc.SelectObject(&rim);
  dc.BeginPath();
  dc.MoveTo(250, 20);
  dc.LineTo(290, 20);
  const POINT curve[] = {{300, 30}, {300, 40}, {290, 50}};
  dc.PolyBezierTo(curve, 3);
  dc.LineTo(250, 50);
  dc.EndPath();
  dc.StrokeAndFillPath();
  dc.SelectStockObject(BLACK_PEN);
  dc.SelectStockObject(WHITE_BRUSH);
}

void DrawTurnedLabel(CDC& dc) {
  CFont turned;
  LOGFONTW lf = plat::MessageFont();
  lf.lfHeight = -16;
  lf.lfEscapement = lf.lfOrientation = 450;
  turned.CreateFontIndirect(&lf);
  CFont* old = dc.SelectObject(&turned);
  dc.SetTextColor(RGB(0x80, 0, 0x80));
  dc.SetTextAlign(TA_BASELINE);
  dc.TextOut(260, 130, CString(L"Turned 45\x00B0"));
  dc.SetTextAlign(TA_TOP | TA_LEFT);
  dc.SelectObject(old);
}

}  // namespace

TEST(SampleSheetTest, DrawsTheControlsVocabularyForReview) {
  QImage sheet = gditest::Canvas(360, 150, GetSysColor(COLOR_WINDOW));
  gditest::SurfaceDc s(sheet);
  CFont font;
  const LOGFONTW lf = plat::MessageFont();
  font.CreateFontIndirect(&lf);
  DrawButtons(s.dc, font);
  DrawGridCells(s.dc);
  DrawSegment(s.dc);
  DrawTurnedLabel(s.dc);
  gditest::SaveForReview(sheet, "gdi_sample_sheet");

  EXPECT_EQ(At(sheet, 10, 25), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(At(sheet, 219, 25), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(At(sheet, 270, 35), RGB(0, 0xFF, 0));
  EXPECT_EQ(At(sheet, 100, 80), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(At(sheet, 83, 60), RGB(0xC0, 0xC0, 0xC0));
}
