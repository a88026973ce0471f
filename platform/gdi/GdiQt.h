// The drawing objects as Qt sees them, for the window layer (window regions, fonts of standard
// controls, images of static controls), and the bitmap resources.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>

#include "platform/gdi/GdiObjects.h"

namespace plat {

// Empty for a null or dead handle.
QRegion RegionOf(HRGN region);
// The font as the screen shows it (96 pixels per inch); the system font for a null or dead handle.
QFont QFontOf(HFONT font);
QFont QFontOf(const LOGFONTW& font);
// Format_RGB32; null for a null or dead handle.
QImage ImageOf(HBITMAP bitmap);
// An opaque colour bitmap with the image's pixels.
BOOL CreateBitmapFromImage(CBitmap& bitmap, const QImage& image);

// Bitmap resources: CBitmap::LoadBitmap(id) takes a registered image first, then the Qt resource
// ":/bitmaps/<id>.png", then ":/bitmaps/<id>.bmp". A null image removes the registration.
void RegisterBitmapResource(UINT id, const QImage& image);

}  // namespace plat
