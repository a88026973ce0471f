// CBitmapSlider: a level slider drawn from bitmaps, the volume bars. The channel bitmap fills the
// control; an active-channel bitmap is drawn over it from the start up to the current position,
// so the filled part shows the level. Dragging with the left button moves the position and tells
// the parent with WM_BITMAPSLIDER_MOVED; releasing the button with WM_BITMAPSLIDER_RELEASED.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Static.h"

// Posted to the parent: wParam = the control id, lParam = the position.
constexpr UINT WM_BITMAPSLIDER_MOVED = 0x28D1;
constexpr UINT WM_BITMAPSLIDER_RELEASED = 0x28D2;

class CBitmapSlider : public CStatic {
 public:
  // A transparent colour of CLR_DEFAULT takes the key colour from the pixel (x, y) of each bitmap.
  // A channel id of 0 unloads the bitmaps. FALSE when a bitmap does not load; nothing is drawn
  // from bitmaps then.
  BOOL SetBitmapChannel(UINT channelId, UINT activeId = 0, BOOL transparent = FALSE,
                        COLORREF transparentColor = CLR_DEFAULT, int x = 0, int y = 0);
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
  void SetRangeMin(int minimum, BOOL redraw = FALSE);
  void SetRangeMax(int maximum, BOOL redraw = FALSE);
  // Limited to the range.
  void SetPos(int position);
  int GetPos() const { return position_; }
  // Returns the previous page size; the slider itself takes no keys.
  int SetPageSize(int size);
  void SetMarginLeft(int pixels);
  void SetMarginRight(int pixels);
  void SetDrawFocusRect(BOOL draw, BOOL redraw = FALSE);

  void PreSubclassWindow() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  int PixelOfPosition(int position) const;
  int PositionOfPixel(int pixel) const;
  void ReleaseBitmaps();
  void DrawBitmap(CDC& dc, const CRect& dest, CBitmap& bitmap, CBitmap& mask) const;
  void OnPaint();
  void OnLButtonDown(CPoint point);
  void Drag(CPoint point);
  void OnLButtonUp();

  int maximum_ = 100;
  int minimum_ = 0;
  int position_ = 0;
  int pageSize_ = 20;
  int channelWidth_ = 0;
  int channelHeight_ = 0;
  // No thumb image is ever set; the arithmetic keeps its place.
  int thumbWidth_ = 0;
  int marginLeft_ = 0;
  int marginRight_ = 0;
  int dragOffset_ = 0;
  BOOL activeChannel_ = FALSE;
  BOOL transparent_ = FALSE;
  BOOL channelLoaded_ = FALSE;
  BOOL dragging_ = FALSE;
  BOOL hasFocus_ = FALSE;
  BOOL drawFocusRect_ = TRUE;
  BOOL enabled_ = TRUE;
  CBitmap channel_;
  CBitmap channelMask_;
  CBitmap active_;
  CBitmap activeMask_;
};
