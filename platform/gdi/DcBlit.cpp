// Device contexts: block transfers with raster operations, colour and monochrome conversions and
// nearest-neighbour stretching.
#include <algorithm>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;

BYTE OperationOf(DWORD rop) { return static_cast<BYTE>((rop >> 16) & 0xFF); }
bool UsesSource(BYTE op) { return (((op >> 2) ^ op) & 0x33) != 0; }
bool UsesPattern(BYTE op) { return (((op >> 4) ^ op) & 0x0F) != 0; }

// The truth table of the operation applied to every bit of the three values.
QRgb Apply(BYTE op, QRgb p, QRgb s, QRgb d) {
  QRgb result = 0;
  switch (op) {
    case 0xCC: result = s; break;
    case 0xF0: result = p; break;
    case 0x66: result = s ^ d; break;
    case 0x88: result = s & d; break;
    case 0xEE: result = s | d; break;
    case 0x55: result = ~d; break;
    default:
      for (int i = 0; i < 8; ++i) {
        if (((op >> i) & 1) == 0) continue;
        result |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
      }
  }
  return result | 0xFF000000u;
}

// How source pixels become destination pixels: colour to monochrome makes the source's
// background colour white and everything else black; monochrome to colour makes white the
// destination's background colour and black its text colour.
struct Conversion {
  enum class Kind { None, ToMono, ToColor } kind = Kind::None;
  QRgb sourceBk = 0;
  QRgb text = 0;
  QRgb bk = 0;

  QRgb operator()(QRgb s) const {
    switch (kind) {
      case Kind::None: return s;
      case Kind::ToMono: return ((s ^ sourceBk) & 0x00FFFFFFu) == 0 ? kWhite : kBlack;
      case Kind::ToColor: return (s & 0x00FFFFFFu) != 0 ? bk : text;
    }
    return s;
  }
};

Conversion ConversionBetween(const DcState& source, bool sourceMono, const DcState& dest,
                             bool destMono) {
  Conversion c;
  if (sourceMono == destMono) return c;
  if (destMono) {
    c.kind = Conversion::Kind::ToMono;
    c.sourceBk = PixelOf(source.attr.bkColor, false);
  } else {
    c.kind = Conversion::Kind::ToColor;
    c.text = PixelOf(dest.attr.textColor, false);
    c.bk = PixelOf(dest.attr.bkColor, false);
  }
  return c;
}

// For each destination column (or row), the source column it takes, nearest neighbour.
std::vector<int> SourceIndices(int destCount, int sourceCount) {
  std::vector<int> indices(static_cast<size_t>(destCount));
  for (int i = 0; i < destCount; ++i) {
    indices[static_cast<size_t>(i)] =
        static_cast<int>(static_cast<long long>(i) * sourceCount / destCount);
  }
  return indices;
}

struct Source {
  QImage pixels;    // the source image, or a copy of the rectangle when it is also the target
  QPoint offset;    // where the rectangle's (0,0) lies in `pixels`
  QRect available;  // the part of the rectangle that lies on the source image
  Conversion convert;

  const QRgb* Row(int y) const {
    return reinterpret_cast<const QRgb*>(pixels.constScanLine(y + offset.y())) + offset.x();
  }
};

std::optional<Source> TakeSource(const DcState& source, const QRect& deviceRect,
                                 const Target& dest, const DcState& destState) {
  const Target st = source.target();
  if (st.image == nullptr) return std::nullopt;
  const QRect onImage = deviceRect.translated(st.origin);
  Source s;
  s.available = onImage.intersected(st.image->rect()).translated(-onImage.topLeft());
  if (st.image == dest.image) {
    s.pixels = st.image->copy(onImage);
  } else {
    s.pixels = *st.image;
    s.offset = onImage.topLeft();
  }
  s.convert = ConversionBetween(source, st.mono, destState, dest.mono);
  return s;
}

// A plain copy of same-sized pixels: whole rows at a time.
void CopyRows(const Target& dt, const QRect& onImage, const Source& src) {
  const QRect reachable = src.available.translated(onImage.topLeft());
  for (const QRect& part : dt.clip.intersected(onImage).intersected(reachable)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* out = reinterpret_cast<QRgb*>(dt.image->scanLine(y));
      const QRgb* in = src.Row(y - onImage.top()) + (part.left() - onImage.left());
      std::copy(in, in + part.width(), out + part.left());
    }
  }
}

void Combine(const Target& dt, const QRect& onImage, const std::optional<Source>& src, QSize srcSize,
             BYTE op, QRgb pattern) {
  const std::vector<int> columns = SourceIndices(onImage.width(), srcSize.width());
  const std::vector<int> rows = SourceIndices(onImage.height(), srcSize.height());
  for (const QRect& part : dt.clip.intersected(onImage)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const int sy = rows[static_cast<size_t>(y - onImage.top())];
      auto* out = reinterpret_cast<QRgb*>(dt.image->scanLine(y));
      const bool rowAvailable = src && sy >= src->available.top() && sy <= src->available.bottom();
      if (src && !rowAvailable) continue;
      const QRgb* in = src ? src->Row(sy) : nullptr;
      for (int x = part.left(); x <= part.right(); ++x) {
        const int sx = columns[static_cast<size_t>(x - onImage.left())];
        QRgb s = 0;
        if (src) {
          if (sx < src->available.left() || sx > src->available.right()) continue;
          s = src->convert(in[sx]);
        }
        out[x] = Apply(op, pattern, s, out[x]);
      }
    }
  }
}

BOOL Transfer(DcState& dest, const QRect& destRect, const DcState* source, const QRect& sourceRect,
              DWORD rop) {
  const BYTE op = OperationOf(rop);
  const Target dt = dest.target();
  if (UsesSource(op) && source == nullptr) return FALSE;
  if (!dt.Drawable() || destRect.isEmpty()) return TRUE;
  QRgb pattern = 0;
  if (UsesPattern(op)) {
    const auto& brush = dest.attr.brush;
    if (brush == nullptr || brush->brush.lbStyle == BS_NULL) return TRUE;
    pattern = PixelOf(brush->brush.lbColor, dt.mono);
  }
  std::optional<Source> src;
  if (UsesSource(op)) {
    src = TakeSource(*source, sourceRect, dt, dest);
    if (!src) return FALSE;
  }
  const QRect onImage = destRect.translated(dt.origin);
  dt.Touch(onImage);
  const QSize srcSize = src ? sourceRect.size() : destRect.size();
  if (op == 0xCC && src->convert.kind == Conversion::Kind::None && srcSize == destRect.size()) {
    CopyRows(dt, onImage, *src);
  } else {
    Combine(dt, onImage, src, srcSize, op, pattern);
  }
  return TRUE;
}

// Every source pixel but those of the key colour (compared in the source's own format) goes
// to the destination, scaled nearest-neighbour.
void KeyedTransfer(const DcState& dest, const QRect& destRect, const DcState& source, const QRect& sourceRect,
                   COLORREF key) {
  const Target dt = dest.target();
  if (!dt.Drawable() || destRect.isEmpty()) return;
  const std::optional<Source> src = TakeSource(source, sourceRect, dt, dest);
  if (!src) return;
  const QRgb keyPixel = PixelOf(key, source.target().mono) & 0x00FFFFFFu;
  const QRect onImage = destRect.translated(dt.origin);
  dt.Touch(onImage);
  const std::vector<int> columns = SourceIndices(onImage.width(), sourceRect.width());
  const std::vector<int> rows = SourceIndices(onImage.height(), sourceRect.height());
  for (const QRect& part : dt.clip.intersected(onImage)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const int sy = rows[static_cast<size_t>(y - onImage.top())];
      if (sy < src->available.top() || sy > src->available.bottom()) continue;
      const QRgb* in = src->Row(sy);
      auto* out = reinterpret_cast<QRgb*>(dt.image->scanLine(y));
      for (int x = part.left(); x <= part.right(); ++x) {
        const int sx = columns[static_cast<size_t>(x - onImage.left())];
        if (sx < src->available.left() || sx > src->available.right()) continue;
        if ((in[sx] & 0x00FFFFFFu) == keyPixel) continue;
        out[x] = src->convert(in[sx]) | 0xFF000000u;
      }
    }
  }
}

}  // namespace
}  // namespace plat

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
  plat::DcState* s = State();
  if (s == nullptr || plat::UsesSource(plat::OperationOf(rop))) return FALSE;
  CRect r(x, y, x + width, y + height);
  r.NormalizeRect();
  return plat::Transfer(*s, s->toDevice(r), nullptr, QRect(), rop);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop) {
  return StretchBlt(x, y, width, height, source, sx, sy, width, height, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sw,
                     int sh, DWORD rop) {
  plat::DcState* s = State();
  if (s == nullptr || width < 0 || height < 0 || sw < 0 || sh < 0) return FALSE;
  if (width == 0 || height == 0) return TRUE;
  const plat::DcState* src = source != nullptr ? source->State() : nullptr;
  const QRect destRect = s->toDevice(CRect(x, y, x + width, y + height));
  QRect sourceRect;
  if (src != nullptr) {
    if (sw == 0 || sh == 0) return TRUE;
    sourceRect = src->toDevice(CRect(sx, sy, sx + sw, sy + sh));
  }
  return plat::Transfer(*s, destRect, src, sourceRect, rop);
}

BOOL CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sw, int sh,
                         UINT transparentColor) {
  plat::DcState* s = State();
  const plat::DcState* src = source != nullptr ? source->State() : nullptr;
  if (s == nullptr || src == nullptr || width < 0 || height < 0 || sw <= 0 || sh <= 0) return FALSE;
  if (width == 0 || height == 0) return TRUE;
  const QRect destRect = s->toDevice(CRect(x, y, x + width, y + height));
  const QRect sourceRect = src->toDevice(CRect(sx, sy, sx + sw, sy + sh));
  plat::KeyedTransfer(*s, destRect, *src, sourceRect, transparentColor);
  return TRUE;
}
