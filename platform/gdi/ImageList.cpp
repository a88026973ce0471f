#include "platform/gdi/ImageList.h"

#include <QPainter>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace {

constexpr QRgb kTransparent = 0xFFFFFFFFu;
constexpr QRgb kOpaque = 0xFF000000u;

// The strip widened to hold `count` images, the old images kept on the left.
QImage Widened(const QImage& strip, int width, int height, QRgb fill) {
  QImage wider(width, height, QImage::Format_RGB32);
  if (wider.isNull()) return wider;
  wider.fill(fill);
  if (!strip.isNull()) {
    QPainter painter(&wider);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, strip);
  }
  return wider;
}

}  // namespace

BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
  if (cx_ != 0 || cx <= 0 || cy <= 0) return FALSE;
  cx_ = cx;
  cy_ = cy;
  masked_ = (flags & ILC_MASK) != 0;
  count_ = 0;
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (cx_ == 0) return FALSE;
  images_.DeleteObject();
  masks_.DeleteObject();
  cx_ = cy_ = count_ = 0;
  masked_ = false;
  return TRUE;
}

int CImageList::Add(CBitmap* bitmap, COLORREF maskColor) {
  return AddImages(bitmap, nullptr, masked_ ? &maskColor : nullptr);
}

int CImageList::Add(CBitmap* bitmap, CBitmap* mask) { return AddImages(bitmap, mask, nullptr); }

int CImageList::AddImages(const CBitmap* bitmap, const CBitmap* mask, const COLORREF* maskColor) {
  const QImage source = bitmap != nullptr ? plat::ImageOf(*bitmap) : QImage();
  if (cx_ == 0 || source.isNull() || source.width() < cx_) return -1;
  const int added = source.width() / cx_;
  const int width = (count_ + added) * cx_;
  QImage images = Widened(plat::ImageOf(images_), width, cy_, kOpaque);
  QImage masks = Widened(plat::ImageOf(masks_), width, cy_, kOpaque);
  const QImage given = mask != nullptr ? plat::ImageOf(*mask) : QImage();
  if (images.isNull() || masks.isNull()) return -1;
  const QRgb key = maskColor != nullptr ? plat::PixelOf(*maskColor, false) : 0;
  for (int y = 0; y < cy_ && y < source.height(); ++y) {
    for (int x = 0; x < added * cx_; ++x) {
      QRgb pixel = source.pixel(x, y);
      bool transparent = false;
      if (maskColor != nullptr) transparent = (pixel & 0xFFFFFF) == (key & 0xFFFFFF);
      if (!given.isNull() && x < given.width() && y < given.height()) {
        transparent = (given.pixel(x, y) & 0xFFFFFF) != 0;
      }
      if (transparent && masked_) pixel = kOpaque;
      images.setPixel(count_ * cx_ + x, y, pixel);
      masks.setPixel(count_ * cx_ + x, y, transparent ? kTransparent : kOpaque);
    }
  }
  images_.DeleteObject();
  masks_.DeleteObject();
  plat::CreateBitmapFromImage(images_, images);
  if (masked_) {
    masks_.CreateBitmap(width, cy_, 1, 1, nullptr);
    masks_.Data()->image = masks;
  }
  const int first = count_;
  count_ += added;
  return first;
}

BOOL CImageList::Draw(CDC* dc, int image, POINT pt, UINT) {
  if (dc == nullptr || image < 0 || image >= count_) return FALSE;
  CDC memory;
  memory.CreateCompatibleDC(dc);
  const int sx = image * cx_;
  if (!masked_) {
    memory.SelectObject(&images_);
    return dc->BitBlt(pt.x, pt.y, cx_, cy_, &memory, sx, 0, SRCCOPY);
  }
  // Keep the destination where the mask is white, then add the image (black there).
  const COLORREF text = dc->SetTextColor(RGB(0, 0, 0));
  const COLORREF bk = dc->SetBkColor(RGB(255, 255, 255));
  memory.SelectObject(&masks_);
  BOOL done = dc->BitBlt(pt.x, pt.y, cx_, cy_, &memory, sx, 0, SRCAND);
  dc->SetTextColor(text);
  dc->SetBkColor(bk);
  memory.SelectObject(&images_);
  done = done && dc->BitBlt(pt.x, pt.y, cx_, cy_, &memory, sx, 0, SRCPAINT);
  return done;
}

BOOL CImageList::GetImageInfo(int image, IMAGEINFO* info) const {
  if (info == nullptr || image < 0 || image >= count_) return FALSE;
  info->hbmImage = images_;
  info->hbmMask = masked_ ? static_cast<HBITMAP>(masks_) : nullptr;
  info->rcImage = CRect(image * cx_, 0, (image + 1) * cx_, cy_);
  return TRUE;
}
