#include <gtest/gtest.h>

#include <QFile>
#include <set>

#include "GridTestSupport.h"
#include "platform/gdi/Printer.h"
#include "platform/gdi/Surface.h"
#include "platform/wnd/MessageBox.h"
#include "tests/support/TestEnvironment.h"

using gridtest::CountPixels;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A grid whose page layout a test can read.
class PrintGrid : public CGridCtrl {
 public:
  int PageHeight() const { return m_nPageHeight; }
  int PageWidth() const { return m_nPageWidth; }
  CSize LogicalPage() const { return m_LogicalPageSize; }
  CSize CharSize() const { return m_CharSize; }
  int LeftMargin() const { return m_nLeftMargin; }
};

class GridPrintTest : public gridtest::OwnerTest {
 protected:
  void SetUp() override {
    OwnerTest::SetUp();
    owner.SetWindowText(L"Recordings of 2024-05-01");
    ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
  }

  // Lays the grid out on the printer and prints every page, as a print job does.
  UINT PrintAll(CPrinterDC& printer) {
    CPrintInfo info;
    grid.OnBeginPrinting(&printer, &info);
    EXPECT_GT(printer.StartDoc(L"Grid"), 0);
    for (UINT page = 1; page <= info.GetMaxPage(); ++page) {
      info.m_nCurPage = page;
      EXPECT_GT(printer.StartPage(), 0);
      grid.OnPrint(&printer, &info);
      EXPECT_GT(printer.EndPage(), 0);
    }
    EXPECT_GT(printer.EndDoc(), 0);
    grid.OnEndPrinting(&printer, &info);
    return info.GetMaxPage();
  }

  // The layout without printing, for sizing rows and columns to the page.
  void Measure() {
    auto printer = CPrinterDC::ForImages(850, 1100, 100, 100, -1);
    CPrintInfo info;
    grid.OnBeginPrinting(printer.get(), &info);
    grid.OnEndPrinting(printer.get(), &info);
  }

  static std::unique_ptr<CPrinterDC> Printer() { return CPrinterDC::ForImages(850, 1100, 100, 100, -1); }

  PrintGrid grid;
};

COLORREF CellColour(int row, int col) { return RGB(10 * row, 10 * col + 50, 200); }

void ColourCells(CGridCtrl& grid) {
  for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row) {
    for (int col = grid.GetFixedColumnCount(); col < grid.GetColumnCount(); ++col) {
      grid.SetItemBkColour(row, col, CellColour(row, col));
    }
  }
}

// The body cells whose colour appears on the page.
std::set<std::pair<int, int>> CellsOn(const QImage& page, const CGridCtrl& grid) {
  std::set<COLORREF> colours;
  for (int y = 0; y < page.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
    for (int x = 0; x < page.width(); ++x) colours.insert(RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
  }
  std::set<std::pair<int, int>> cells;
  for (int row = 0; row < grid.GetRowCount(); ++row) {
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
      if (colours.count(CellColour(row, col))) cells.insert({row, col});
    }
  }
  return cells;
}

std::set<std::pair<int, int>> Cells(int minRow, int minCol, int maxRow, int maxCol) {
  std::set<std::pair<int, int>> cells;
  for (int row = minRow; row <= maxRow; ++row) {
    for (int col = minCol; col <= maxCol; ++col) cells.insert({row, col});
  }
  return cells;
}

// The device rectangle of a band of the page given in logical rows of the page.
QRect DeviceBand(const PrintGrid& grid, int top, int bottom, const QImage& page) {
  const double scale = static_cast<double>(page.height()) / grid.LogicalPage().cy;
  return QRect(0, static_cast<int>(top * scale) + 1, page.width(), static_cast<int>((bottom - top) * scale) - 2);
}

}  // namespace

TEST_F(GridPrintTest, RowsOverflowingThePageStartNewPagesAndEachPageHasItsRows) {
  gridtest::Shape(grid, 6, 4, 1, 1, 20, 60);
  Measure();
  const int pageHeight = grid.PageHeight();
  ASSERT_GT(pageHeight, 100);
  // Two body rows fit on a page: five rows make three pages.
  for (int row = 1; row < 6; ++row) grid.SetRowHeight(row, pageHeight / 2 - 1);
  ColourCells(grid);
  auto printer = Printer();
  ASSERT_EQ(PrintAll(*printer), 3u);
  ASSERT_EQ(printer->Pages().size(), 3u);
  EXPECT_EQ(CellsOn(printer->Pages()[0], grid), Cells(1, 1, 2, 3));
  EXPECT_EQ(CellsOn(printer->Pages()[1], grid), Cells(3, 1, 4, 3));
  EXPECT_EQ(CellsOn(printer->Pages()[2], grid), Cells(5, 1, 5, 3));

  // Hidden rows and columns print nothing; every other cell is still printed.
  grid.SetRowHeight(3, 0);
  grid.SetColumnWidth(2, 0);
  const UINT pages = PrintAll(*printer);
  std::set<std::pair<int, int>> printed;
  for (UINT page = 0; page < pages; ++page) {
    for (const auto& cell : CellsOn(printer->Pages()[page], grid)) printed.insert(cell);
  }
  std::set<std::pair<int, int>> shown = Cells(1, 1, 5, 3);
  std::erase_if(shown, [](const std::pair<int, int>& cell) { return cell.first == 3 || cell.second == 2; });
  EXPECT_EQ(printed, shown);
}

TEST_F(GridPrintTest, PrintingAtScreenSizeSplitsEachBandIntoColumnPages) {
  gridtest::Shape(grid, 5, 5, 1, 1, 20, 60);
  grid.SetWysiwygPrinting(TRUE);
  Measure();
  const int pageHeight = grid.PageHeight();
  const int pageWidth = grid.PageWidth();
  ASSERT_GT(pageWidth, 100);
  for (int row = 1; row < 5; ++row) grid.SetRowHeight(row, pageHeight / 2 - 1);
  for (int col = 1; col < 5; ++col) grid.SetColumnWidth(col, pageWidth / 2 - 1);
  ColourCells(grid);
  auto printer = Printer();
  // Two bands of two rows, two column pages of two columns: pages run across, then down.
  ASSERT_EQ(PrintAll(*printer), 4u);
  EXPECT_EQ(CellsOn(printer->Pages()[0], grid), Cells(1, 1, 2, 2));
  EXPECT_EQ(CellsOn(printer->Pages()[1], grid), Cells(1, 3, 2, 4));
  EXPECT_EQ(CellsOn(printer->Pages()[2], grid), Cells(3, 1, 4, 2));
  EXPECT_EQ(CellsOn(printer->Pages()[3], grid), Cells(3, 3, 4, 4));
}

TEST_F(GridPrintTest, TheFooterNumbersThePagesAndAGridOfHeadingsOnlyHasNone) {
  // Wide enough that the date at the right of the footer stays clear of its left third.
  gridtest::Shape(grid, 6, 3, 1, 1, 20, 250);
  Measure();
  for (int row = 1; row < 6; ++row) grid.SetRowHeight(row, grid.PageHeight() - 2);
  auto printer = Printer();
  ASSERT_EQ(PrintAll(*printer), 5u);

  // The footer band of page 2 against the text drawn where the footer draws it.
  const CSize page = grid.LogicalPage();
  const CSize chars = grid.CharSize();
  const int footerTop = page.cy - 2 * chars.cy;
  const auto rendered = [&](LPCWSTR text) {
    auto reference = Printer();
    reference->StartDoc(L"Reference");
    reference->StartPage();
    reference->SetMapMode(MM_ANISOTROPIC);
    reference->SetWindowExt(page);
    reference->SetViewportExt(850, 1100);
    reference->SetWindowOrg(-grid.LeftMargin() * chars.cx, -footerTop);
    LOGFONTW lf{};
    lf.lfHeight = -10;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
    lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    wcscpy(lf.lfFaceName, L"Arial");
    CFont bold;
    bold.CreateFontIndirect(&lf);
    reference->SelectObject(&bold);
    reference->SetBkMode(TRANSPARENT);
    CRect rect(0, 0, page.cx - 8 * chars.cx, 2 * chars.cy);
    reference->DrawText(text, rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    reference->EndPage();
    reference->EndDoc();
    return reference->Pages()[0];
  };
  // Below the footer's rule.
  const QRect band = DeviceBand(grid, footerTop + 1, page.cy, printer->Pages()[1]);
  const QRect left(band.left(), band.top(), band.width() / 3, band.height());
  const QImage printed = printer->Pages()[1].copy(left);
  ASSERT_GT(CountPixels(printed, printed.rect(), RGB(0, 0, 0)), 20);
  EXPECT_EQ(printed, rendered(L"Page 2 of 5").copy(left));
  EXPECT_NE(printed, rendered(L"Page 3 of 5").copy(left));

  // Only headings: the header and the headings print, the footer does not.
  grid.SetRowCount(1);
  ASSERT_EQ(PrintAll(*printer), 1u);
  const QImage& only = printer->Pages()[0];
  EXPECT_EQ(CountPixels(only, band, kWhite), band.width() * band.height());
  const QRect header = DeviceBand(grid, 0, 2 * chars.cy, only);
  EXPECT_GT(CountPixels(only, header, RGB(0, 0, 0)), 20);
  const QRect headings = DeviceBand(grid, 3 * chars.cy, 3 * chars.cy + 20, only);
  EXPECT_GT(CountPixels(only, headings, GetSysColor(COLOR_BTNFACE)), 100);
}

TEST_F(GridPrintTest, ARowTallerThanThePageIsPrintedOnAPageOfItsOwn) {
  gridtest::Shape(grid, 5, 3, 1, 1, 20, 60);
  Measure();
  grid.SetRowHeight(2, 3 * grid.PageHeight());
  ColourCells(grid);
  auto printer = Printer();
  ASSERT_EQ(PrintAll(*printer), 3u);
  EXPECT_EQ(CellsOn(printer->Pages()[0], grid), Cells(1, 1, 1, 2));
  EXPECT_EQ(CellsOn(printer->Pages()[1], grid), Cells(2, 1, 2, 2));
  EXPECT_EQ(CellsOn(printer->Pages()[2], grid), Cells(3, 1, 4, 2));
  // Cut at the page: the footer band stays clear of it.
  const CSize page = grid.LogicalPage();
  const QRect footer = DeviceBand(grid, page.cy - 2 * grid.CharSize().cy + 2, page.cy, printer->Pages()[1]);
  EXPECT_EQ(CountPixels(printer->Pages()[1], footer, CellColour(2, 1)), 0);

  // A header so tall that no row fits: one page per row, and no empty page besides.
  grid.SetRowHeight(2, 20);
  grid.SetPrintMarginInfo(200, -1, -1, -1, -1, -1, -1);
  Measure();
  ASSERT_LE(grid.PageHeight(), 0);
  EXPECT_EQ(PrintAll(*printer), 4u);
}

TEST_F(GridPrintTest, ADeviceWithoutPaperOrTextGetsNoPages) {
  gridtest::Shape(grid, 5, 3, 1, 1, 20, 60);
  QImage none;
  CDC paperless(plat::DcSurface{&none, {}, {}});
  CPrintInfo info;
  grid.OnBeginPrinting(&paperless, &info);
  EXPECT_EQ(info.GetMaxPage(), 0u);
  grid.OnPrint(&paperless, &info);
  grid.OnEndPrinting(&paperless, &info);

  CDC nothing;
  CPrintInfo other;
  grid.OnBeginPrinting(&nothing, &other);
  EXPECT_EQ(other.GetMaxPage(), 0u);
  grid.OnBeginPrinting(nullptr, &other);
  grid.OnPrint(nullptr, nullptr);
}

TEST_F(GridPrintTest, AThreePageGridPrintsToPdfAndToImages) {
  gridtest::Shape(grid, 61, 5, 1, 1, 20, 70);
  grid.SetColumnWidth(0, 50);
  const wchar_t* headings[] = {L"", L"Start", L"End", L"Length", L"Events"};
  for (int col = 0; col < 5; ++col) grid.SetItemText(0, col, headings[col]);
  for (int row = 1; row < 61; ++row) {
    CString text;
    text.Format(L"%d", row);
    grid.SetItemText(row, 0, text);
    for (int col = 1; col < 5; ++col) {
      text.Format(L"%02d:%02d:%02d", row / 4, (row * 7 + col) % 60, (row * 13) % 60);
      grid.SetItemText(row, col, text);
    }
    if (row % 9 == 0) grid.SetItemBkColour(row, 4, RGB(255, 200, 200));
  }
  Measure();
  const int perPage = grid.PageHeight() / 20;
  const int rows = 2 * perPage + perPage / 2;
  grid.SetRowCount(rows + 1);

  // The header shows the program's name at the right and the owner's title in the middle.
  const CString programName(AfxGetAppName());
  plat::SetAppName(L"Dravik2 Player");
  auto images = Printer();
  ASSERT_EQ(PrintAll(*images), 3u);
  for (size_t page = 0; page < 3; ++page) {
    plat::test::SavePng(images->Pages()[page], QStringLiteral("grid_print_page_%1").arg(page + 1));
    const QImage& image = images->Pages()[page];
    const QRect header = DeviceBand(grid, 0, 2 * grid.CharSize().cy, image);
    EXPECT_GT(CountPixels(image, header, RGB(0, 0, 0)), 20);
  }

  const QString path = QString::fromStdString(plat::test::TestOutputDir()) + QStringLiteral("/grid_print.pdf");
  QFile::remove(path);
  auto pdf = CPrinterDC::ForPdf(CString(path.toStdWString()));
  ASSERT_NE(pdf, nullptr);
  ASSERT_EQ(PrintAll(*pdf), 3u);
  pdf.reset();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 3);
  plat::SetAppName(programName);
}
