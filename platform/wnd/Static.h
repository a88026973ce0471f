// CStatic: text and bitmap labels. Without SS_NOTIFY a static answers HTTRANSPARENT, so the mouse
// reaches the window beneath it (its parent); with SS_NOTIFY it receives the mouse itself.
#pragma once

#include "platform/gdi/GdiDefs.h"
#include "platform/wnd/Wnd.h"

constexpr UINT STM_SETIMAGE = 0x0172;
constexpr UINT STM_GETIMAGE = 0x0173;
constexpr WPARAM IMAGE_BITMAP = 0;

class CStatic : public CWnd {
 public:
  BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
  // SS_BITMAP statics show the bitmap at their top-left (centred with SS_CENTERIMAGE); the
  // previous bitmap is returned.
  HBITMAP SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const;
};
