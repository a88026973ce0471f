// Bitmaps: creation, resources, and the Qt views of drawing objects.
#include <QFile>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

// Larger bitmaps are refused rather than half made.
constexpr int kMaxSide = 32767;
constexpr long long kMaxPixels = 1LL << 26;

bool SizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         static_cast<long long>(width) * height <= kMaxPixels;
}

std::shared_ptr<GdiData> BlackBitmap(int width, int height, bool mono) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return nullptr;
  image.fill(0xFF000000u);
  auto data = NewGdiData(GdiKind::Bitmap);
  data->image = std::move(image);
  data->mono = mono;
  return data;
}

void CopyMonoBits(QImage& image, const BYTE* bits) {
  const int stride = (image.width() + 15) / 16 * 2;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    const BYTE* in = bits + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < image.width(); ++x) {
      row[x] = (in[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
}

void CopyColorBits(QImage& image, const BYTE* bits) {
  const size_t stride = static_cast<size_t>(image.width()) * 4;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::memcpy(row, bits + static_cast<size_t>(y) * stride, stride);
    for (int x = 0; x < image.width(); ++x) row[x] |= 0xFF000000u;
  }
}

struct Resources {
  std::mutex lock;
  std::map<UINT, QImage> registered;
  std::vector<UINT> missed;
  // Each embedded picture as first read (null when there is none), shared by every bitmap loaded
  // from it: windows of a skin load the same pictures again and again.
  std::map<QString, QImage> embedded;
};
Resources& BitmapResources() {
  static auto* resources = new Resources;
  return *resources;
}

QImage ReadEmbeddedBitmap(const QString& name) {
  for (const char* extension : {"png", "bmp"}) {
    const QString path = QStringLiteral(":/bitmaps/%1.%2").arg(name, QLatin1String(extension));
    if (QFile::exists(path)) {
      QImage image(path);
      if (!image.isNull()) return image.convertToFormat(QImage::Format_RGB32);
    }
  }
  return QImage();
}

QImage EmbeddedBitmap(const QString& name) {
  auto& r = BitmapResources();
  std::lock_guard<std::mutex> guard(r.lock);
  const auto [it, added] = r.embedded.try_emplace(name);
  if (added) it->second = ReadEmbeddedBitmap(name);
  return it->second;
}

// A registered bitmap first; then the variant for the control's size, then the plain resource.
QImage FindBitmapResource(UINT id, int width, int height) {
  {
    auto& r = BitmapResources();
    std::lock_guard<std::mutex> guard(r.lock);
    const auto it = r.registered.find(id);
    if (it != r.registered.end()) return it->second;
  }
  if (width > 0 && height > 0) {
    QImage variant = EmbeddedBitmap(QStringLiteral("%1@%2x%3").arg(id).arg(width).arg(height));
    if (!variant.isNull()) return variant;
  }
  return EmbeddedBitmap(QString::number(id));
}

std::shared_ptr<GdiData> BitmapFromImage(const QImage& image) {
  if (image.isNull() || !SizeAllowed(image.width(), image.height())) return nullptr;
  QImage pixels = image.convertToFormat(QImage::Format_RGB32);
  if (pixels.isNull()) return nullptr;
  auto data = NewGdiData(GdiKind::Bitmap);
  data->image = std::move(pixels);
  return data;
}

}  // namespace

QRegion RegionOf(HRGN region) {
  const auto data = GdiDataOf(region);
  return data != nullptr && data->kind == GdiKind::Region ? data->region : QRegion();
}

QFont QFontOf(HFONT font) {
  auto data = GdiDataOf(font);
  if (data == nullptr || data->kind != GdiKind::Font) data = StockData(SYSTEM_FONT);
  return QFontOf(data->font);
}

QFont QFontOf(const LOGFONTW& font) { return RealizeFont(font, 1.0); }

QImage ImageOf(HBITMAP bitmap) {
  const auto data = GdiDataOf(bitmap);
  return data != nullptr && data->kind == GdiKind::Bitmap ? data->image : QImage();
}

BOOL CreateBitmapFromImage(CBitmap& bitmap, const QImage& image) {
  if (bitmap.GetSafeHandle() != nullptr) return FALSE;
  auto data = BitmapFromImage(image);
  return data != nullptr && bitmap.Attach(data.get());
}

void RegisterBitmapResource(UINT id, const QImage& image) {
  auto& r = BitmapResources();
  std::lock_guard<std::mutex> guard(r.lock);
  if (image.isNull()) {
    r.registered.erase(id);
  } else {
    r.registered[id] = image;
  }
}

bool HasBitmapResource(UINT id) { return !FindBitmapResource(id, 0, 0).isNull(); }

std::vector<UINT> TakeMissedBitmapResources() {
  auto& r = BitmapResources();
  std::lock_guard<std::mutex> guard(r.lock);
  return std::exchange(r.missed, {});
}

namespace {

void NoteMissedBitmapResource(UINT id) {
  auto& r = BitmapResources();
  std::lock_guard<std::mutex> guard(r.lock);
  r.missed.push_back(id);
}

}  // namespace

}  // namespace plat

BOOL CBitmap::LoadBitmap(UINT resourceId) { return LoadBitmap(resourceId, 0, 0); }

BOOL CBitmap::LoadBitmap(UINT resourceId, int controlWidth, int controlHeight) {
  if (GetSafeHandle() != nullptr) return FALSE;
  const QImage image = plat::FindBitmapResource(resourceId, controlWidth, controlHeight);
  if (image.isNull()) plat::NoteMissedBitmapResource(resourceId);
  auto data = plat::BitmapFromImage(image);
  if (data == nullptr) return FALSE;
  Adopt(std::move(data));
  return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  if (GetSafeHandle() != nullptr || !plat::SizeAllowed(width, height)) return FALSE;
  const plat::DcState* s = dc != nullptr ? dc->State() : nullptr;
  const bool mono = s != nullptr && s->kind == plat::DcState::Kind::Memory &&
                    s->attr.bitmap != nullptr && s->attr.bitmap->mono;
  auto data = plat::BlackBitmap(width, height, mono);
  if (data == nullptr) return FALSE;
  Adopt(std::move(data));
  return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                           const void* bits) {
  if (GetSafeHandle() != nullptr || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32) ||
      !plat::SizeAllowed(width, height)) {
    return FALSE;
  }
  auto data = plat::BlackBitmap(width, height, bitsPerPixel == 1);
  if (data == nullptr) return FALSE;
  if (bits != nullptr) {
    const auto* bytes = static_cast<const BYTE*>(bits);
    if (data->mono) {
      plat::CopyMonoBits(data->image, bytes);
    } else {
      plat::CopyColorBits(data->image, bytes);
    }
  }
  Adopt(std::move(data));
  return TRUE;
}

int CBitmap::GetBitmap(BITMAP* out) const { return GetObject(sizeof(BITMAP), out); }
