#include "SkinTestSupport.h"

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"

namespace skintest {

QImage Skin(int id, int width, int height) {
  CBitmap bitmap;
  if (!bitmap.LoadBitmap(static_cast<UINT>(id), width, height)) return QImage();
  return plat::ImageOf(bitmap);
}

QRect ToQRect(const ui::LayoutRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

std::vector<Placed> PlacedControls(int mode) {
  std::vector<Placed> out;
  for (const ui::MainControl& c : ui::kMainControls) {
    const ui::LayoutRect& r = c.rect[static_cast<size_t>(mode)];
    if (!r.IsEmpty()) out.push_back({c.id, ToQRect(r)});
  }
  return out;
}

}  // namespace skintest
