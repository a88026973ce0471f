// Inside the drawing layer: the shared data of drawing objects and the state of device contexts.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Surface.h"

namespace plat {

// Living objects by handle: a handle is the object's address, and a dead one is found no more.
template <class T>
class LiveTable {
 public:
  void Add(const std::shared_ptr<T>& object) {
    std::lock_guard<std::mutex> guard(lock_);
    live_[object.get()] = object;
  }
  void Remove(const void* handle) {
    std::lock_guard<std::mutex> guard(lock_);
    live_.erase(handle);
  }
  std::shared_ptr<T> Find(const void* handle) {
    std::lock_guard<std::mutex> guard(lock_);
    const auto it = live_.find(handle);
    return it != live_.end() ? it->second.lock() : nullptr;
  }

 private:
  std::mutex lock_;
  std::unordered_map<const void*, std::weak_ptr<T>> live_;
};

enum class GdiKind { Pen, Brush, Font, Bitmap, Region };

struct GdiData {
  explicit GdiData(GdiKind k) : kind(k) {}
  ~GdiData();
  GdiData(const GdiData&) = delete;
  GdiData& operator=(const GdiData&) = delete;

  GdiKind kind;
  CGdiObject* owner = nullptr;  // the C++ object that SelectObject hands back
  bool stock = false;
  LOGPEN pen;
  LOGBRUSH brush;
  LOGFONTW font;
  QImage image;  // Format_RGB32; a monochrome bitmap holds only black and white
  bool mono = false;
  QRegion region;
};

// New data with a handle that FromHandle and Attach accept while the data lives.
std::shared_ptr<GdiData> NewGdiData(GdiKind kind);
std::shared_ptr<GdiData> GdiDataOf(HGDIOBJ handle);
// The data's owner, or a temporary C++ object (of the right class) holding it.
CGdiObject* OwnerOf(const std::shared_ptr<GdiData>& data);
std::shared_ptr<GdiData> StockData(int index);
// The 1 x 1 monochrome bitmap of a new memory context.
std::shared_ptr<GdiData> DefaultBitmap();

// What SaveDC saves.
struct DcAttributes {
  std::shared_ptr<GdiData> pen, brush, font, bitmap;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = TA_TOP | TA_LEFT;
  int polyFillMode = ALTERNATE;
  int mapMode = MM_TEXT;
  QPoint windowOrg, viewportOrg;
  QSize windowExt{1, 1}, viewportExt{1, 1};
  std::optional<QRegion> clip;  // the context's own clipping, device units
  QPoint position;              // current position, logical units
};

// Where drawing lands: an image, where device (0,0) lies in it and what may change.
struct Target {
  QImage* image = nullptr;
  QPoint origin;
  QRegion clip;  // image coordinates
  bool mono = false;
  QRect* touched = nullptr;  // where a window's surface was drawn on, gathered for its repaint
  bool Drawable() const { return image != nullptr && !clip.isEmpty(); }
  // Notes that drawing may have changed the pixels of `area` (image coordinates) within the clip.
  void Touch(const QRect& area) const {
    if (touched != nullptr) *touched |= area.normalized() & clip.boundingRect();
  }
};

struct DeviceCaps {
  int dpiX = 96;
  int dpiY = 96;
  int numColors = -1;  // more than 256 colours
  int horzRes = 0;     // 0: the width of the surface
  int vertRes = 0;
};

struct PathState {
  bool open = false;    // between BeginPath and EndPath
  bool closed = false;  // EndPath done, not used up yet
  std::vector<std::vector<QPoint>> figures;  // device units
};

class DcState {
 public:
  enum class Kind { Surface, Memory };

  Kind kind = Kind::Surface;
  bool printing = false;
  DcSurface surface;  // Surface kind: the window image or the printer page
  // Surface kind: the part of the image drawn on so far. A window shows again only that part, so
  // a context that draws a small area does not repaint the whole window.
  mutable QRect touched;
  QImage page;        // a printer's page while one is open
  DeviceCaps caps;
  DcAttributes attr;
  std::vector<DcAttributes> saved;
  PathState path;

  Target target() const;
  // The area that may be drawn, in device units.
  QRegion deviceClip() const;
  QRect deviceBounds() const;

  QPoint toDevice(int x, int y) const;
  QPoint toLogical(int x, int y) const;
  // A logical rectangle in device units, normalised; empty when the logical one is empty.
  QRect toDevice(const RECT& r) const;
  // The same, normalised even when the logical rectangle is empty or inverted.
  QRect deviceBox(const RECT& r) const;
  // Device units per logical unit, vertically (font heights scale by it).
  double scaleY() const;
  double scaleX() const;
};

// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKindOf(const QRegion& region);
void ReleaseTemporaryContexts();

// Pixel values of colours on a target: monochrome targets take the nearer of black and white.
QRgb PixelOf(COLORREF color, bool mono);
COLORREF ColorOf(QRgb pixel);

}  // namespace plat
