// Our rectangles, colours and wide text as Qt takes them; the drawing objects as Qt sees them, for
// the window layer (window regions, fonts of standard controls, images of static controls), and
// the bitmap resources.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <cwchar>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace plat {

// Rectangles: ours hold the right and bottom edges outside, Qt's hold the last pixel inside.
inline QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
inline CRect ToCRect(const QRect& r) { return CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

inline QRgb ToQRgb(COLORREF color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }
inline QColor ToQColor(COLORREF color) { return QColor(ToQRgb(color)); }

// Wide text: a null pointer is the empty text; a negative count reads up to the NUL.
inline QString ToQString(LPCWSTR text, int count = -1) {
  if (text == nullptr) return QString();
  const size_t length = count < 0 ? std::wcslen(text) : static_cast<size_t>(count);
  return QString::fromWCharArray(text, static_cast<qsizetype>(length));
}
inline QString ToQString(const CString& text) { return ToQString(text.GetString(), text.GetLength()); }
inline CString FromQString(const QString& text) {
  return CString(Utf16ToWideKeepingSurrogates(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                                   static_cast<size_t>(text.size()))));
}

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
// True when a bitmap of that id exists; asking is not a miss. For pictures that may be left out.
bool HasBitmapResource(UINT id);
// The ids that CBitmap::LoadBitmap was asked for and found nothing, in order; taking them empties
// the record (tests check that windows ask for no bitmap that is not shipped).
std::vector<UINT> TakeMissedBitmapResources();

}  // namespace plat
