#include "platform/gdi/Printer.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace {

constexpr int kMaxRasterDpi = 300;
constexpr int kFailed = -1;
constexpr long long kMaxPagePixels = 1LL << 26;

bool PageAllowed(QSize size) {
  return size.width() > 0 && size.height() > 0 &&
         static_cast<long long>(size.width()) * size.height() <= kMaxPagePixels;
}

}  // namespace

CPrinterDC::CPrinterDC(QSize pageSize, int dpiX, int dpiY, int numColors) : pageSize_(pageSize) {
  CreateSurfaceDC(plat::DcSurface{});
  plat::DcState* s = State();
  s->printing = true;
  s->caps = plat::DeviceCaps{dpiX, dpiY, numColors, pageSize.width(), pageSize.height()};
}

CPrinterDC::~CPrinterDC() {
  if (painter_ != nullptr && painter_->isActive()) painter_->end();
}

std::unique_ptr<CPrinterDC> CPrinterDC::ForImages(int width, int height, int dpiX, int dpiY,
                                                  int numColors) {
  if (!PageAllowed(QSize(width, height)) || dpiX <= 0 || dpiY <= 0) return nullptr;
  return std::unique_ptr<CPrinterDC>(new CPrinterDC(QSize(width, height), dpiX, dpiY, numColors));
}

std::unique_ptr<CPrinterDC> CPrinterDC::ForDevice(QPagedPaintDevice* device) {
  if (device == nullptr) return nullptr;
  const int dpiX = std::min(device->logicalDpiX(), kMaxRasterDpi);
  const int dpiY = std::min(device->logicalDpiY(), kMaxRasterDpi);
  const QSize size = device->pageLayout().paintRectPixels(dpiY).size();
  if (!PageAllowed(size) || dpiX <= 0 || dpiY <= 0) return nullptr;
  std::unique_ptr<CPrinterDC> printer(new CPrinterDC(size, dpiX, dpiY, -1));
  printer->device_ = device;
  return printer;
}

std::unique_ptr<CPrinterDC> CPrinterDC::ForPdf(const CString& path) {
  auto writer = std::make_unique<QPdfWriter>(plat::ToQString(path));
  writer->setResolution(kMaxRasterDpi);
  writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  auto printer = ForDevice(writer.get());
  if (printer != nullptr) printer->ownedWriter_ = std::move(writer);
  return printer;
}

int CPrinterDC::StartDoc(LPCTSTR docName) {
  if (inDoc_) return kFailed;
  inDoc_ = true;
  pages_.clear();
  if (ownedWriter_ != nullptr && docName != nullptr) {
    ownedWriter_->setTitle(plat::ToQString(docName));
  }
  return 1;
}

int CPrinterDC::StartPage() {
  plat::DcState* s = State();
  if (!inDoc_ || inPage_ || s == nullptr) return kFailed;
  s->page = QImage(pageSize_, QImage::Format_RGB32);
  if (s->page.isNull()) return kFailed;
  s->page.fill(0xFFFFFFFFu);
  s->surface.image = &s->page;
  inPage_ = true;
  return 1;
}

bool CPrinterDC::DeliverPage() {
  const QImage& page = State()->page;
  if (device_ == nullptr) {
    pages_.push_back(page);
    return true;
  }
  if (painter_ == nullptr) {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device_)) {
      painter_.reset();
      return false;
    }
  } else if (!device_->newPage()) {
    return false;
  }
  painter_->drawImage(QRect(0, 0, device_->width(), device_->height()), page);
  return true;
}

int CPrinterDC::EndPage() {
  plat::DcState* s = State();
  if (!inPage_ || s == nullptr) return kFailed;
  const bool delivered = DeliverPage();
  s->surface.image = nullptr;
  s->page = QImage();
  inPage_ = false;
  return delivered ? 1 : kFailed;
}

int CPrinterDC::EndDoc() {
  if (!inDoc_) return kFailed;
  bool done = !inPage_ || EndPage() > 0;
  if (painter_ != nullptr) {
    done = painter_->end() && done;
    painter_.reset();
  }
  inDoc_ = false;
  return done ? 1 : kFailed;
}
