// Device contexts: drawing on a window's backing image, on a bitmap (memory contexts) or on a
// printer page, with the platform's pixel rules: right and bottom edges and line end points are
// exclusive, a null pen leaves filled shapes one pixel short on the right and bottom, raster
// operations work bit by bit on each channel, and nothing is antialiased.
//
// A context starts with the black pen, the white brush, the system font, black text on a white
// opaque background, MM_TEXT and TA_TOP | TA_LEFT. Text needs a running QGuiApplication.
#pragma once

#include <memory>

#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/gdi/GdiObjects.h"

struct HDC__;
using HDC = HDC__*;

namespace plat {
struct DcSurface;
class DcState;
}  // namespace plat

class CDC {
 public:
  CDC() = default;
  // A context drawing on the surface (a window's paint, client or window context).
  explicit CDC(const plat::DcSurface& surface) { CreateSurfaceDC(surface); }
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  // Shares the context the handle names (its state is common to both objects).
  BOOL Attach(HDC dc);
  HDC Detach();
  static CDC* FromHandle(HDC dc);

  BOOL CreateSurfaceDC(const plat::DcSurface& surface);
  // A memory context holding a 1 x 1 monochrome bitmap, with the device of the given context
  // (the screen when null).
  BOOL CreateCompatibleDC(CDC* reference);
  BOOL DeleteDC();
  BOOL IsPrinting() const;
  int GetDeviceCaps(int index) const;
  int SaveDC();
  // A positive number restores that saved state, a negative one counts back from the last.
  BOOL RestoreDC(int saved);

  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);  // memory contexts only
  CGdiObject* SelectStockObject(int index);
  CPen* GetCurrentPen() const;
  CBrush* GetCurrentBrush() const;
  CFont* GetCurrentFont() const;
  CBitmap* GetCurrentBitmap() const;

  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  int SetBkMode(int mode);
  int GetBkMode() const;
  UINT SetTextAlign(UINT align);
  UINT GetTextAlign() const;
  int SetPolyFillMode(int mode);
  int GetPolyFillMode() const;

  // Coordinates: device = (logical - window origin) * viewport extent / window extent + viewport
  // origin; the extents only count in MM_ANISOTROPIC.
  int SetMapMode(int mode);
  int GetMapMode() const;
  CPoint SetWindowOrg(int x, int y);
  CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
  CPoint OffsetWindowOrg(int dx, int dy);
  CPoint GetWindowOrg() const;
  CSize SetWindowExt(int cx, int cy);
  CSize SetWindowExt(SIZE s) { return SetWindowExt(s.cx, s.cy); }
  CSize GetWindowExt() const;
  CPoint SetViewportOrg(int x, int y);
  CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
  CPoint OffsetViewportOrg(int dx, int dy);
  CPoint GetViewportOrg() const;
  CSize SetViewportExt(int cx, int cy);
  CSize SetViewportExt(SIZE s) { return SetViewportExt(s.cx, s.cy); }
  CSize GetViewportExt() const;
  void LPtoDP(LPPOINT points, int count = 1) const;
  void LPtoDP(LPRECT rect) const;
  void LPtoDP(LPSIZE size) const;
  void DPtoLP(LPPOINT points, int count = 1) const;
  void DPtoLP(LPRECT rect) const;
  void DPtoLP(LPSIZE size) const;

  // The bounding box of what may be drawn, in logical units; NULLREGION when nothing may.
  int GetClipBox(LPRECT box) const;
  // The region is in device units; null removes the context's own clipping.
  int SelectClipRgn(const CRgn* region);
  int IntersectClipRect(int left, int top, int right, int bottom);
  int IntersectClipRect(LPCRECT rect) {
    return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom);
  }

  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  // Draws from the current position up to, but not including, the point.
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
  CPoint GetCurrentPosition() const;
  BOOL Rectangle(int left, int top, int right, int bottom);
  BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  BOOL Polygon(const POINT* points, int count);
  // Cubic Bézier curves from the current position, three points each.
  BOOL PolyBezierTo(const POINT* points, int count);

  void FillRect(LPCRECT rect, CBrush* brush);
  // Fills with the colour, which also becomes the background colour.
  void FillSolidRect(LPCRECT rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  void FrameRect(LPCRECT rect, CBrush* brush);
  void InvertRect(LPCRECT rect);
  BOOL FillRgn(const CRgn* region, CBrush* brush);
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
  BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);
  // A dotted frame drawn by inverting every other pixel: drawing it twice removes it.
  void DrawFocusRect(LPCRECT rect);

  // While a path is open, MoveTo, LineTo and PolyBezierTo add to it instead of drawing.
  BOOL BeginPath();
  BOOL EndPath();
  // Closes the figures, fills the path with the brush, then outlines it with the pen.
  BOOL StrokeAndFillPath();

  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);
  // Nearest-neighbour scaling; equal sizes copy.
  BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sw, int sh,
                  DWORD rop);
  // StretchBlt with SRCCOPY that leaves out the source pixels of the transparent colour.
  BOOL TransparentBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sw, int sh,
                      UINT transparentColor);
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }
  COLORREF SetPixel(int x, int y, COLORREF color);
  COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }

  // Returns the height of the text; -1 as count takes the whole text.
  int DrawText(const CString& text, LPRECT rect, UINT format);
  int DrawText(LPCTSTR text, int count, LPRECT rect, UINT format);
  BOOL TextOut(int x, int y, const CString& text);
  BOOL TextOut(int x, int y, LPCTSTR text, int count);
  // Sum of the advances and the font's height (ascent plus descent), in logical units.
  CSize GetTextExtent(const CString& text) const;
  CSize GetTextExtent(LPCTSTR text, int count) const;
  BOOL GetTextMetrics(LPTEXTMETRIC metrics) const;

  // Library internals: the shared state of the context (null without one).
  plat::DcState* State() const;

 protected:
  void AdoptState(std::shared_ptr<plat::DcState> state);

 private:
  std::shared_ptr<plat::DcState> state_;
};
