#include "controls/VxSkinSldButton.h"

#include "controls/Messages.h"
#include "controls/SliderMath.h"

void CVxSkinSldButton::SetRange(int minimum, int maximum) {
  slider::ForChain(this, [&](CVxSkinSldButton& s) {
    s.min_ = minimum;
    s.max_ = maximum;
  });
}

void CVxSkinSldButton::SetPos(int value) {
  slider::ForChain(this, [&](CVxSkinSldButton& s) { s.ApplyPos(value); });
}

void CVxSkinSldButton::SetVertical(BOOL vertical) {
  slider::ForChain(this, [&](CVxSkinSldButton& s) { s.vertical_ = vertical != FALSE; });
}

void CVxSkinSldButton::SetNotifyCode(int kind) {
  slider::ForChain(this, [&](CVxSkinSldButton& s) { s.kind_ = kind; });
}

void CVxSkinSldButton::ApplyPos(int value) {
  value_ = value;
  ratio_ = slider::RatioOfValue(value, min_, max_);
  if (vertical_) {
    thumbY_ = slider::Truncate(ClientHeight() * ratio_);
  } else {
    thumbX_ = slider::Truncate((static_cast<double>(ClientWidth()) - thumbSize_.cx) * ratio_);
  }
  Invalidate();
}

BOOL CVxSkinSldButton::SetThumbBitmap(UINT bitmapId) {
  thumb_.DeleteObject();
  thumbSize_ = CSize();
  if (!thumb_.LoadBitmap(bitmapId)) return FALSE;
  BITMAP bm{};
  thumb_.GetBitmap(&bm);
  thumbSize_ = CSize(bm.bmWidth, bm.bmHeight);
  return TRUE;
}

// Horizontal: the share of the width left of the point; vertical: the share of the height below it.
double CVxSkinSldButton::RatioAt(CPoint p) const {
  if (vertical_) return slider::Ratio(static_cast<double>(ClientHeight()) - p.y, ClientHeight());
  return slider::Ratio(p.x, ClientWidth());
}

// The thumb follows the ratio horizontally; vertically it centres on the pointer.
void CVxSkinSldButton::TakeRatio(double ratio, CPoint p) {
  ratio_ = ratio;
  if (vertical_) {
    thumbY_ = slider::Truncate(static_cast<double>(ClientHeight()) - p.y - thumbSize_.cy / 2);
  } else {
    thumbX_ = slider::Truncate((static_cast<double>(ClientWidth()) - thumbSize_.cx) * ratio);
  }
  value_ = slider::ValueAtRatio(ratio, min_, max_);
}

void CVxSkinSldButton::OnPress(CPoint p) {
  TakeRatio(RatioAt(p), p);
  Invalidate();
  Notify(WM_SLIDER_PRESSED, value_);
}

void CVxSkinSldButton::OnDrag(CPoint p) {
  const double ratio = RatioAt(p);
  if (ratio == ratio_) return;
  TakeRatio(ratio, p);
  Notify(WM_SLIDER_DRAGGED, value_);
}

void CVxSkinSldButton::OnRelease(CPoint p) {
  TakeRatio(RatioAt(p), p);
  Invalidate();
  Notify(WM_PANEL_COMMAND, value_);
}

void CVxSkinSldButton::DrawItem(LPDRAWITEMSTRUCT item) {
  if (!DrawSkin(item)) return;
  CDC* dc = CDC::FromHandle(item->hDC);
  dc->SetBkMode(TRANSPARENT);
  DrawThumb(*dc, PaintArea(item->rcItem));
}

// Only the size of the painting area counts: the thumb is drawn in client coordinates.
void CVxSkinSldButton::DrawThumb(CDC& dc, const CRect& area) {
  if (!thumb_.GetSafeHandle()) return;
  const int w = area.Width();
  const int h = area.Height();
  CDC thumbDc;
  thumbDc.CreateCompatibleDC(&dc);
  CBitmap* old = thumbDc.SelectObject(&thumb_);
  if (vertical_) {
    thumbY_ = slider::Limit(thumbY_, 0, h - thumbSize_.cy);
    dc.BitBlt((w - thumbSize_.cx) / 2, h - thumbSize_.cy - thumbY_, thumbSize_.cx, thumbSize_.cy, &thumbDc, 0, 0, SRCCOPY);
  } else {
    thumbX_ = slider::Limit(thumbX_, 0, w - thumbSize_.cx);
    dc.BitBlt(thumbX_, (h - thumbSize_.cy) / 2, thumbSize_.cx, thumbSize_.cy, &thumbDc, 0, 0, SRCCOPY);
  }
  thumbDc.SelectObject(old);
}
