// Drawing objects: pens, brushes, fonts, bitmaps and regions, and the stock objects.
//
// An object's data is shared by whoever holds it: the C++ object that created it and every device
// context that has it selected. Deleting an object (or destroying its C++ object) while a device
// context still has it selected is harmless: the context keeps drawing with it until another
// object is selected. SelectObject hands back the C++ object that created the previous one; when
// that object is gone, a temporary one that lives until plat::ReleaseTemporaryObjects (the window
// layer calls it when the message queue is idle).
#pragma once

#include <memory>

#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"

class CDC;

namespace plat {
struct GdiData;
}

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  CGdiObject(CGdiObject&& other) noexcept;
  CGdiObject& operator=(CGdiObject&& other) noexcept;

  HGDIOBJ GetSafeHandle() const;
  operator HGDIOBJ() const { return GetSafeHandle(); }
  // Lets go of the object; it lives on while a device context has it selected.
  BOOL DeleteObject();
  // Makes this object another owner of the object the handle names.
  BOOL Attach(HGDIOBJ handle);
  HGDIOBJ Detach();
  BOOL CreateStockObject(int index);
  // Copies the description (LOGPEN, LOGBRUSH, LOGFONTW or BITMAP); returns the bytes written.
  int GetObject(int size, void* out) const;

  // The C++ object for a handle, or null when the handle names no living object.
  static CGdiObject* FromHandle(HGDIOBJ handle);

  // Library internals: the shared data of the object.
  const std::shared_ptr<plat::GdiData>& Data() const { return data_; }

 protected:
  void Adopt(std::shared_ptr<plat::GdiData> data);

 private:
  std::shared_ptr<plat::GdiData> data_;
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  // Pens draw one pixel wide whatever their width (cosmetic pens).
  BOOL CreatePen(int style, int width, COLORREF color);
  int GetLogPen(LOGPEN* out) const;
  operator HPEN() const { return static_cast<HPEN>(GetSafeHandle()); }
  static CPen* FromHandle(HPEN handle);
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  int GetLogBrush(LOGBRUSH* out) const;
  operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }
  static CBrush* FromHandle(HBRUSH handle);
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONTW* font);
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                  BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName);
  // Height in tenths of a point on the given device (the screen when null).
  BOOL CreatePointFont(int pointSizeTenths, LPCTSTR faceName, CDC* dc = nullptr);
  int GetLogFont(LOGFONTW* out) const;
  operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
  static CFont* FromHandle(HFONT handle);
};

class CBitmap : public CGdiObject {
 public:
  // A bitmap resource by id (see plat::RegisterBitmapResource); FALSE when there is none.
  BOOL LoadBitmap(UINT resourceId);
  // The picture of that id made for a control of the given size (resource "<id>@<w>x<h>"), else
  // the plain one: a skin strip is drawn unscaled, so an id used at several sizes has one each.
  BOOL LoadBitmap(UINT resourceId, int controlWidth, int controlHeight);
  // Black; monochrome when the context is a memory context holding a monochrome bitmap.
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  // One plane of 1 bit (monochrome, rows padded to 16 bits) or 32 bits (BGRX) per pixel; without
  // bits the bitmap is black.
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
  int GetBitmap(BITMAP* out) const;
  operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }
  static CBitmap* FromHandle(HBITMAP handle);
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(LPCRECT rect);
  // Rounded corners of an ellipse of the given width and height; 0 x 0 gives a plain rectangle.
  BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight);
  // The area of the context's closed path, in device units; the path is used up.
  BOOL CreateFromPath(CDC* dc);
  // This region (which must exist) becomes the combination of the two; returns the region kind.
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  BOOL PtInRegion(int x, int y) const;
  BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
  int GetRgnBox(LPRECT box) const;
  int OffsetRgn(int dx, int dy);
  operator HRGN() const { return static_cast<HRGN>(GetSafeHandle()); }
  static CRgn* FromHandle(HRGN handle);
};

HGDIOBJ GetStockObject(int index);

// (a * b) / c in 64 bits, rounded half away from zero; -1 when c is 0 or the result overflows.
int MulDiv(int a, int b, int c);

// System colours from a fixed table, and solid brushes of them.
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

namespace plat {

// Changes a system colour (tests, and the window layer's colour-change notice) and its brush.
void SetSysColor(int index, COLORREF color);
// The font that standard controls and grids use by default (-12 pixels, weight 400).
LOGFONTW MessageFont();
// Frees the temporary C++ objects made for handles (FromHandle, and SelectObject handing back an
// object whose creator is gone), drawing objects and device contexts alike.
void ReleaseTemporaryObjects();
// The face name of a logical font: at most 32 characters, up to the first NUL.
CString FaceNameOf(const LOGFONTW& font);

}  // namespace plat
