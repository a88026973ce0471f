#include "controls/BitmapSlider.h"

#include <cstdlib>

#include "controls/MemDC.h"
#include "controls/SavedDcState.h"
#include "controls/SliderMath.h"
#include "platform/wnd/Input.h"
#include "platform/wnd/PaintDC.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A monochrome mask of the bitmap, white where the bitmap has the key colour; those pixels of the
// bitmap become black, so that the bitmap can be ORed over a background cut out by the mask.
void MakeMask(CBitmap& bitmap, CBitmap& mask, COLORREF key, int x, int y) {
  BITMAP bm;
  bitmap.GetBitmap(&bm);
  mask.DeleteObject();
  mask.CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  CDC image, bits;
  image.CreateCompatibleDC(nullptr);
  bits.CreateCompatibleDC(nullptr);
  image.SelectObject(&bitmap);
  bits.SelectObject(&mask);
  image.SetBkColor(key == CLR_DEFAULT ? image.GetPixel(x, y) : key);
  bits.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &image, 0, 0, SRCCOPY);
  image.SetTextColor(kWhite);
  image.SetBkColor(kBlack);
  image.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &bits, 0, 0, SRCAND);
}

}  // namespace

void CBitmapSlider::PreSubclassWindow() {
  CStatic::PreSubclassWindow();
  // A static without SS_NOTIFY lets the mouse through to its parent.
  ModifyStyle(0, SS_NOTIFY);
}

void CBitmapSlider::ReleaseBitmaps() {
  channel_.DeleteObject();
  channelMask_.DeleteObject();
  active_.DeleteObject();
  activeMask_.DeleteObject();
}

BOOL CBitmapSlider::SetBitmapChannel(UINT channelId, UINT activeId, BOOL transparent, COLORREF transparentColor,
                                     int x, int y) {
  channelLoaded_ = FALSE;
  ReleaseBitmaps();
  if (channelId == 0) return TRUE;
  if (!channel_.LoadBitmap(channelId)) return FALSE;
  if (transparent) MakeMask(channel_, channelMask_, transparentColor, x, y);
  activeChannel_ = activeId != 0;
  if (activeId != 0) {
    if (!active_.LoadBitmap(activeId)) {
      ReleaseBitmaps();
      return FALSE;
    }
    if (transparent) MakeMask(active_, activeMask_, transparentColor, x, y);
  }
  BITMAP bm;
  channel_.GetBitmap(&bm);
  channelWidth_ = bm.bmWidth;
  channelHeight_ = bm.bmHeight;
  transparent_ = transparent;
  channelLoaded_ = TRUE;
  return TRUE;
}

void CBitmapSlider::SetRange(int minimum, int maximum, BOOL redraw) {
  SetRangeMin(minimum, FALSE);
  SetRangeMax(maximum, redraw);
}

void CBitmapSlider::SetRangeMin(int minimum, BOOL redraw) {
  minimum_ = minimum;
  if (redraw && m_hWnd) Invalidate();
}

void CBitmapSlider::SetRangeMax(int maximum, BOOL redraw) {
  maximum_ = maximum;
  if (redraw && m_hWnd) Invalidate();
}

void CBitmapSlider::SetPos(int position) {
  position_ = slider::Limit(position, minimum_, maximum_);
  if (m_hWnd) Invalidate(TRUE);
}

int CBitmapSlider::SetPageSize(int size) {
  const int old = pageSize_;
  pageSize_ = size;
  return old;
}

void CBitmapSlider::SetMarginLeft(int pixels) { marginLeft_ = pixels; }

void CBitmapSlider::SetMarginRight(int pixels) { marginRight_ = pixels; }

void CBitmapSlider::SetDrawFocusRect(BOOL draw, BOOL redraw) {
  drawFocusRect_ = draw;
  if (redraw && m_hWnd) Invalidate();
}

// An empty range puts every position at the start of the track.
int CBitmapSlider::PixelOfPosition(int position) const {
  CRect client;
  GetClientRect(&client);
  const long long track = client.Width() - marginLeft_ - marginRight_ - thumbWidth_;
  const long long range = static_cast<long long>(maximum_) - minimum_;
  const long long offset = range == 0 ? 0 : track * (static_cast<long long>(position) - minimum_) / range;
  return static_cast<int>(offset) + marginLeft_ + thumbWidth_ / 2;
}

// A track without length gives the minimum.
int CBitmapSlider::PositionOfPixel(int pixel) const {
  CRect client;
  GetClientRect(&client);
  const double track = client.Width() - marginLeft_ - marginRight_ - thumbWidth_;
  const double ratio = slider::Ratio(static_cast<double>(pixel) - marginLeft_ - thumbWidth_ / 2, track);
  return slider::Truncate(ratio * (static_cast<double>(maximum_) - minimum_) + minimum_);
}

// Whole bitmaps: stretched over the rectangle when it is at least the channel's size, else at
// their own size from its top-left corner.
void CBitmapSlider::DrawBitmap(CDC& dc, const CRect& dest, CBitmap& bitmap, CBitmap& mask) const {
  CDC source;
  source.CreateCompatibleDC(&dc);
  const bool stretch = dest.Width() >= channelWidth_ && dest.Height() >= channelHeight_;
  const auto blit = [&](CBitmap& b, DWORD rop) {
    source.SelectObject(&b);
    if (stretch) {
      dc.StretchBlt(dest.left, dest.top, dest.Width(), dest.Height(), &source, 0, 0, channelWidth_, channelHeight_, rop);
    } else {
      dc.BitBlt(dest.left, dest.top, channelWidth_, channelHeight_, &source, 0, 0, rop);
    }
  };
  if (!transparent_) {
    blit(bitmap, SRCCOPY);
    return;
  }
  const COLORREF oldText = dc.SetTextColor(kBlack);
  const COLORREF oldBk = dc.SetBkColor(kWhite);
  blit(mask, SRCAND);
  blit(bitmap, SRCPAINT);
  dc.SetTextColor(oldText);
  dc.SetBkColor(oldBk);
}

// Every paint starts from a fresh background (or the pixels beneath), so a focus rectangle of an
// earlier paint never needs erasing.
void CBitmapSlider::OnPaint() {
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  CMemDC dc(&paint, &client, transparent_ != FALSE);
  if (channelLoaded_) {
    if (!activeChannel_) {
      DrawBitmap(dc, client, channel_, channelMask_);
    } else {
      DrawBitmap(dc, client, channel_, activeMask_);
      // The active part is the active bitmap laid out as the channel is, up to the position.
      const SavedDcState saved(&dc);
      dc.IntersectClipRect(client.left, client.top, PixelOfPosition(position_), client.bottom);
      DrawBitmap(dc, client, active_, channelMask_);
    }
  }
  if (drawFocusRect_ && hasFocus_ && enabled_) dc.DrawFocusRect(&client);
}

void CBitmapSlider::OnLButtonDown(CPoint point) {
  if (!enabled_) return;
  SetCapture();
  SetFocus();
  dragging_ = TRUE;
  const int distance = point.x - PixelOfPosition(position_);
  dragOffset_ = std::abs(distance) <= thumbWidth_ / 2 ? distance : 0;
  Drag(point);
  Invalidate();
  Default();
}

void CBitmapSlider::Drag(CPoint point) {
  if (!dragging_ || !enabled_) return;
  CRect client;
  GetClientRect(&client);
  const int p = slider::Limit(point.x - dragOffset_, marginLeft_ + thumbWidth_ / 2,
                              client.Width() - marginRight_ - thumbWidth_ / 2);
  if (p != PixelOfPosition(position_)) {
    SetPos(PositionOfPixel(p));
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_BITMAPSLIDER_MOVED, static_cast<WPARAM>(GetDlgCtrlID()), position_);
  }
}

void CBitmapSlider::OnLButtonUp() {
  if (!enabled_) return;
  ReleaseCapture();
  dragging_ = FALSE;
  Invalidate();
  if (CWnd* parent = GetParent()) parent->PostMessage(WM_BITMAPSLIDER_RELEASED, static_cast<WPARAM>(GetDlgCtrlID()), position_);
  Default();
}

LRESULT CBitmapSlider::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLButtonDown(point);
      return 0;
    case WM_MOUSEMOVE:
      if (!dragging_ || !enabled_) return 0;
      Drag(point);
      return Default();
    case WM_LBUTTONUP:
      OnLButtonUp();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Default();
      hasFocus_ = msg == WM_SETFOCUS;
      Invalidate();
      return 0;
    case WM_ENABLE:
      // The window's own state decides whether the slider takes the mouse.
      enabled_ = wParam != 0;
      Invalidate();
      return Default();
    case WM_GETDLGCODE:
      return GetKeyState(VK_TAB) < 0 ? Default() : DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      return 0;
    case WM_DESTROY:
      Default();
      ReleaseBitmaps();
      channelLoaded_ = FALSE;
      return 0;
    default:
      return CStatic::WindowProc(msg, wParam, lParam);
  }
}
