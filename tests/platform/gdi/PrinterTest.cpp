#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "GdiTestSupport.h"
#include "platform/gdi/Printer.h"

using namespace gditest;

namespace {
// A header line and a text laid out on a logical page of 500 x 700 units, as a grid prints.
void PrintPage(CDC& dc, int page) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(500, 700);
  dc.SetViewportExt(dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
  dc.SetWindowOrg(-20, 0);
  CFont font;
  font.CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial");
  CFont* old = dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  CString text;
  text.Format(L"Page %d of %d", page, 2);
  CRect header(0, 0, 460, 20);
  dc.DrawText(text, &header, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  dc.SelectStockObject(BLACK_PEN);
  dc.MoveTo(0, 20);
  dc.LineTo(460, 20);
  dc.SelectObject(old);
}
}  // namespace

TEST(PrinterTest, ImagePrinterKeepsScaledPagesWithItsDeviceCapabilities) {
  auto printer = CPrinterDC::ForImages(1000, 1400, 200, 200, 2);
  ASSERT_NE(printer, nullptr);
  EXPECT_TRUE(printer->IsPrinting());
  EXPECT_EQ(printer->GetDeviceCaps(HORZRES), 1000);
  EXPECT_EQ(printer->GetDeviceCaps(VERTRES), 1400);
  EXPECT_EQ(printer->GetDeviceCaps(LOGPIXELSX), 200);
  EXPECT_EQ(printer->GetDeviceCaps(NUMCOLORS), 2);
  EXPECT_LT(printer->StartPage(), 0);  // no document yet
  ASSERT_GT(printer->StartDoc(L"Grid"), 0);
  EXPECT_LT(printer->StartDoc(L"Again"), 0);
  for (int page = 1; page <= 2; ++page) {
    ASSERT_GT(printer->StartPage(), 0);
    PrintPage(*printer, page);
    ASSERT_GT(printer->EndPage(), 0);
  }
  ASSERT_GT(printer->EndDoc(), 0);
  ASSERT_EQ(printer->Pages().size(), 2u);
  const QImage& first = printer->Pages()[0];
  gditest::SaveForReview(first, "printer_page_1");

  // The line at logical y 20 from x 0 to 460 lands at device y 40, x 40 to 960 (scale 2).
  EXPECT_EQ(At(first, 40, 40), kBlack);
  EXPECT_EQ(At(first, 959, 40), kBlack);
  EXPECT_EQ(At(first, 960, 40), kWhite);
  EXPECT_EQ(At(first, 39, 40), kWhite);
  // The text is drawn at twice its logical size, within the header band.
  const QRect ink = gditest::BoundsOfNot(first.copy(0, 0, 1000, 40), kWhite);
  EXPECT_GE(ink.left(), 40);
  EXPECT_GT(ink.height(), 12);
  EXPECT_LT(ink.height(), 30);
  EXPECT_NE(first, printer->Pages()[1]);
}

TEST(PrinterTest, PdfPrinterWritesADocumentAndReportsAnUnwritableFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("grid.pdf"));
  auto printer = CPrinterDC::ForPdf(CString(path.toStdWString()));
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->GetDeviceCaps(LOGPIXELSY), 300);
  EXPECT_NEAR(printer->GetDeviceCaps(HORZRES), 2480, 1);  // A4 at 300 dpi
  EXPECT_EQ(printer->GetDeviceCaps(NUMCOLORS), -1);
  ASSERT_GT(printer->StartDoc(L"Grid"), 0);
  ASSERT_GT(printer->StartPage(), 0);
  PrintPage(*printer, 1);
  ASSERT_GT(printer->EndPage(), 0);
  ASSERT_GT(printer->EndDoc(), 0);
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
  EXPECT_GT(pdf.size(), 1000);

  auto nowhere = CPrinterDC::ForPdf(CString(L"/nonexistent-folder/x/grid.pdf"));
  ASSERT_NE(nowhere, nullptr);
  ASSERT_GT(nowhere->StartDoc(L"Grid"), 0);
  ASSERT_GT(nowhere->StartPage(), 0);
  EXPECT_LT(nowhere->EndPage(), 0);
  EXPECT_EQ(CPrinterDC::ForImages(0, 10, 96, 96, 2), nullptr);
}
