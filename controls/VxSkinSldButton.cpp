#include "controls/VxSkinSldButton.h"

#include "controls/Messages.h"
#include "controls/SliderMath.h"

namespace {

CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

}  // namespace

CVxSkinSldButton::CVxSkinSldButton() = default;

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
  CRect client;
  GetClientRect(&client);
  if (vertical_) {
    thumbY_ = slider::Truncate(client.Height() * ratio_);
  } else {
    thumbX_ = slider::Truncate((static_cast<double>(client.Width()) - thumbSize_.cx) * ratio_);
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

void CVxSkinSldButton::SetWindowRect(int x, int y, int width, int height) {
  rectSet_ = true;
  rect_ = CRect(x, y, x + width, y + height);
  SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CVxSkinSldButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN: {
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      OnPress(PointOf(lParam));
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      if (IsPressed()) OnDrag(PointOf(lParam));
      Invalidate();
      return result;
    }
    case WM_LBUTTONUP: {
      // Only a release that ends a press on this slider reports.
      const bool pressed = IsPressed();
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      if (pressed) OnRelease(PointOf(lParam));
      return result;
    }
    default:
      return CVxSkinButton::WindowProc(msg, wParam, lParam);
  }
}

// Horizontal: the share of the width left of the point; vertical: the share of the height below it.
double CVxSkinSldButton::RatioAt(CPoint p) const {
  CRect client;
  GetClientRect(&client);
  if (vertical_) return slider::Ratio(static_cast<double>(client.Height()) - p.y, client.Height());
  return slider::Ratio(p.x, client.Width());
}

// The thumb follows the ratio horizontally; vertically it centres on the pointer.
void CVxSkinSldButton::TakeRatio(double ratio, CPoint p) {
  CRect client;
  GetClientRect(&client);
  ratio_ = ratio;
  if (vertical_) {
    thumbY_ = slider::Truncate(static_cast<double>(client.Height()) - p.y - thumbSize_.cy / 2);
  } else {
    thumbX_ = slider::Truncate((static_cast<double>(client.Width()) - thumbSize_.cx) * ratio);
  }
  value_ = slider::ValueAtRatio(ratio, min_, max_);
}

void CVxSkinSldButton::OnPress(CPoint p) {
  TakeRatio(RatioAt(p), p);
  Invalidate();
  Notify(WM_SLIDER_PRESSED);
}

void CVxSkinSldButton::OnDrag(CPoint p) {
  const double ratio = RatioAt(p);
  if (ratio == ratio_) return;
  TakeRatio(ratio, p);
  Notify(WM_SLIDER_DRAGGED);
}

void CVxSkinSldButton::OnRelease(CPoint p) {
  TakeRatio(RatioAt(p), p);
  Invalidate();
  Notify(WM_PANEL_COMMAND);
}

void CVxSkinSldButton::Notify(UINT msg) const {
  if (CWnd* parent = GetParent()) parent->PostMessage(msg, static_cast<WPARAM>(kind_), static_cast<LPARAM>(value_));
}

void CVxSkinSldButton::DrawItem(LPDRAWITEMSTRUCT item) {
  if (!DrawSkin(item)) return;
  CDC* dc = CDC::FromHandle(item->hDC);
  dc->SetBkMode(TRANSPARENT);
  DrawThumb(*dc, rectSet_ ? rect_ : CRect(item->rcItem));
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
