#include "controls/VxSkinSldButton2.h"

#include <cstdlib>

#include "controls/Messages.h"
#include "controls/SliderMath.h"

namespace {

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

void CVxSkinSldButton2::SetNotifyCode(int kind) {
  slider::ForChain(this, [&](CVxSkinSldButton2& s) { s.kind_ = kind; });
}

BOOL CVxSkinSldButton2::SetThumbBitmap(int thumb, UINT bitmapId) {
  if (!IsThumb(thumb)) return FALSE;
  BOOL loaded = FALSE;
  slider::ForChain(this, [&](CVxSkinSldButton2& s) {
    CBitmap& bitmap = s.thumbs_[thumb];
    bitmap.DeleteObject();
    s.thumbSize_[thumb] = CSize();
    loaded = bitmap.LoadBitmap(bitmapId);
    if (!loaded) return;
    BITMAP bm{};
    bitmap.GetBitmap(&bm);
    s.thumbSize_[thumb] = CSize(bm.bmWidth, bm.bmHeight);
    s.referenceWidth_ = bm.bmWidth;
  });
  return loaded;
}

void CVxSkinSldButton2::SetPos(int thumb, int value) {
  slider::ForChain(this, [&](CVxSkinSldButton2& s) { s.ApplyPos(thumb, value); });
}

void CVxSkinSldButton2::SetRange(int minimum, int maximum) {
  slider::ForChain(this, [&](CVxSkinSldButton2& s) {
    s.min_ = minimum;
    s.max_ = maximum;
    s.ApplyPos(0, minimum);
    s.ApplyPos(1, maximum);
  });
}

void CVxSkinSldButton2::ApplyPos(int thumb, int value) {
  if (!IsThumb(thumb) || max_ == min_) return;
  value_[thumb] = value;
  active_ = thumb;
  ratio_ = slider::RatioOfValue(value, min_, max_);
  thumbX_[thumb] = slider::Truncate((static_cast<double>(ClientWidth()) - thumbSize_[thumb].cx) * ratio_);
  Invalidate();
}

int CVxSkinSldButton2::ClampPos(int thumb) {
  if (!IsThumb(thumb)) return min_;
  int& v = value_[thumb];
  if (v < min_) {
    v = min_;
  } else if (v > max_) {
    v = max_;
  }
  return v;
}

int CVxSkinSldButton2::GetPos(int thumb) const { return IsThumb(thumb) ? value_[thumb] : min_; }

void CVxSkinSldButton2::SetActiveThumb(int thumb) {
  if (IsThumb(thumb)) active_ = thumb;
}

// The thumb nearer to the point becomes the active one; of two thumbs on one spot, the end thumb
// counts as one pixel to the right, so a point right of the spot takes the end thumb.
void CVxSkinSldButton2::HitTest(int x) {
  if (thumbX_[0] == thumbX_[1]) thumbX_[1] = slider::Sum(thumbX_[1], 1);
  const long long centre = static_cast<long long>(x) - referenceWidth_ / 2;
  const long long d0 = std::llabs(centre - thumbX_[0]);
  const long long d1 = std::llabs(centre - thumbX_[1]);
  active_ = d1 < d0 ? 1 : 0;
}

void CVxSkinSldButton2::TakeRatio(double ratio) {
  ratio_ = ratio;
  thumbX_[active_] = slider::Truncate((static_cast<double>(ClientWidth()) - thumbSize_[active_].cx) * ratio);
}

// The active thumb at the point, kept within the slider; start and end within the range.
void CVxSkinSldButton2::TakeClampedPoint(int x) {
  TakeRatio(Clamp01(slider::Ratio(x, ClientWidth())));
  value_[active_] = slider::ValueAtRatio(ratio_, min_, max_);
  if (value_[0] < min_) value_[0] = min_;
  if (value_[1] > max_) value_[1] = max_;
}

// The thumb being moved pushes the other along when they meet on the screen, so that the end is
// never drawn over the start, and takes the other's value with it once its value passes the
// other's; a value the moved thumb has not passed stays as it was.
void CVxSkinSldButton2::Separate() {
  const int half0 = thumbSize_[0].cx / 2;
  const bool meet = static_cast<long long>(thumbX_[0]) + half0 > thumbX_[1];
  if (active_ == 1) {
    if (meet) thumbX_[0] = slider::Sum(thumbX_[1], -(thumbSize_[1].cx / 2));
    if (value_[0] > value_[1]) value_[0] = value_[1];
  } else {
    if (meet) thumbX_[1] = slider::Sum(thumbX_[0], half0);
    if (value_[0] > value_[1]) value_[1] = value_[0];
  }
}

// The press chooses the thumb; the drag and the release move that thumb alone, however near the
// pointer comes to the other, which moves only when pushed.
void CVxSkinSldButton2::OnPress(CPoint p) {
  HitTest(p.x);
  TakeClampedPoint(p.x);
  Invalidate();
  Notify(WM_SLIDER_PRESSED, value_[active_]);
}

void CVxSkinSldButton2::OnDrag(CPoint p) {
  TakeRatio(slider::Ratio(p.x, ClientWidth()));
  const int value = slider::ValueAtRatio(ratio_, min_, max_);
  if (value == value_[active_]) return;
  value_[active_] = value;
  Notify(WM_SLIDER_DRAGGED, value_[active_]);
}

void CVxSkinSldButton2::OnRelease(CPoint p) {
  TakeClampedPoint(p.x);
  Separate();
  Invalidate();
  Notify(WM_PANEL_COMMAND, value_[active_]);
}

// Thumb 0 stays within 0..w - 2 w0 and is drawn at its offset; thumb 1 within w1/2..w - w1 - w1/2
// and is drawn half its width right of its offset. Each bound applies lower first, so a slider
// narrower than its thumbs still gets a defined place.
void CVxSkinSldButton2::DrawItem(LPDRAWITEMSTRUCT item) {
  if (!DrawSkin(item)) return;
  CDC* dc = CDC::FromHandle(item->hDC);
  dc->SetBkMode(TRANSPARENT);
  const CRect area = PaintArea(item->rcItem);
  const int w = area.Width();
  const int w0 = thumbSize_[0].cx;
  const int w1 = thumbSize_[1].cx;
  Separate();
  CDC thumbDc;
  thumbDc.CreateCompatibleDC(dc);
  thumbX_[0] = slider::Limit(thumbX_[0], 0, w - 2 * w0);
  DrawThumb(*dc, thumbDc, 0, thumbX_[0], area.Height());
  thumbX_[1] = slider::Limit(thumbX_[1], w1 / 2, w - w1 - w1 / 2);
  DrawThumb(*dc, thumbDc, 1, thumbX_[1] + w1 / 2, area.Height());
}

void CVxSkinSldButton2::DrawThumb(CDC& dc, CDC& thumbDc, int thumb, int x, int h) {
  if (!thumbs_[thumb].GetSafeHandle()) return;
  const CSize size = thumbSize_[thumb];
  referenceWidth_ = size.cx;
  CBitmap* old = thumbDc.SelectObject(&thumbs_[thumb]);
  dc.BitBlt(x, (h - size.cy) / 2, size.cx, size.cy, &thumbDc, 0, 0, SRCCOPY);
  thumbDc.SelectObject(old);
}
