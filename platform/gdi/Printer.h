// Printing: a printer device context whose pages are drawn as images with the same pixel rules as
// the screen, then handed to a printer or PDF writer, or kept (for tests). The caller drives the
// job: StartDoc, then StartPage and EndPage per page, then EndDoc.
#pragma once

#include <QImage>
#include <memory>
#include <vector>

#include "platform/gdi/Dc.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPainter;

// What a print job tells the code that lays out its pages.
struct CPrintInfo {
  UINT m_nCurPage = 1;
  CRect m_rectDraw;
  void SetMaxPage(UINT page) { maxPage_ = page; }
  UINT GetMaxPage() const { return maxPage_; }

 private:
  UINT maxPage_ = 0xFFFF;
};

class CPrinterDC : public CDC {
 public:
  // Pages of width x height pixels at the given resolution; 2 colours make a monochrome printer.
  static std::unique_ptr<CPrinterDC> ForImages(int width, int height, int dpiX, int dpiY,
                                               int numColors);
  // A4 portrait pages written to a PDF file.
  static std::unique_ptr<CPrinterDC> ForPdf(const CString& path);
  // A printer (or any paged device) that outlives the job; pages are drawn at up to 300 dpi.
  static std::unique_ptr<CPrinterDC> ForDevice(QPagedPaintDevice* device);
  ~CPrinterDC() override;

  // Each returns a positive number on success and a negative one on failure.
  int StartDoc(LPCTSTR docName);
  int StartPage();
  int EndPage();
  int EndDoc();

  // The finished pages of an image printer.
  const std::vector<QImage>& Pages() const { return pages_; }

 private:
  CPrinterDC(QSize pageSize, int dpiX, int dpiY, int numColors);
  bool DeliverPage();

  QSize pageSize_;
  bool inDoc_ = false;
  bool inPage_ = false;
  std::vector<QImage> pages_;
  std::unique_ptr<QPdfWriter> ownedWriter_;
  QPagedPaintDevice* device_ = nullptr;
  std::unique_ptr<QPainter> painter_;
};
