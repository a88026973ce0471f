// Device contexts of a window: the paint context of WM_PAINT and the client context outside
// painting. Both draw into the window's backing image, which the screen shows.
#pragma once

#include "platform/gdi/Dc.h"
#include "platform/wnd/Wnd.h"

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // WM_ERASEBKGND did not erase: the painter must
  RECT rcPaint;         // the bounding box of the region being painted
};

// Takes the window's update region: drawing is clipped to it, the background is erased first
// (WM_ERASEBKGND) when the invalidation asked for it, and the region is valid afterwards.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 private:
  HWND wnd_;
};

// The whole client area (within the window region), outside painting.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND wnd_;
};
