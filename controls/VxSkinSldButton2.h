// CVxSkinSldButton2: a horizontal range slider with two thumbs on the skinned button: thumb 0
// marks the start and thumb 1 the end of a range. The end thumb is never drawn left of the start
// thumb: when they meet, the one being moved pushes the other along and gives it its value. A
// drag moves the thumb pressed until the button is released. It
// reports with the slider protocol like the one-thumb slider (controls/Messages.h), with the value
// of the thumb being moved.
//
// Sliders can be chained (SetLinkedButton); the setters marked chained reach every member, the
// last first. Thumb numbers other than 0 and 1 are ignored; reading one gives the minimum.
#pragma once

#include "controls/VxSkinSliderBase.h"

class CVxSkinSldButton2 : public CVxSkinSliderBase {
 public:
  void SetLinkedButton(CVxSkinSldButton2* next) { linked_ = next; }
  CVxSkinSldButton2* GetLinkedButton() const { return linked_; }

  // Chained.
  void SetNotifyCode(int kind);
  // Chained. FALSE when the bitmap does not exist on this slider.
  BOOL SetThumbBitmap(int thumb, UINT bitmapId);
  // Chained. Ignored on an empty range; the thumb becomes the active one. Redraws.
  void SetPos(int thumb, int value);
  // Chained. Puts thumb 0 at the minimum and thumb 1 at the maximum.
  void SetRange(int minimum, int maximum);
  // Pulls the thumb's value into the range, keeps and returns it: the way to read a thumb.
  int ClampPos(int thumb);

  int GetPos(int thumb) const;
  int GetRangeMin() const { return min_; }
  int GetRangeMax() const { return max_; }
  // The thumb chosen by the last press, or set last.
  int GetActiveThumb() const { return active_; }
  void SetActiveThumb(int thumb);

  void DrawItem(LPDRAWITEMSTRUCT item) override;

 protected:
  void OnPress(CPoint p) override;
  void OnDrag(CPoint p) override;
  void OnMoved() override { Separate(); }
  void OnRelease(CPoint p) override;

 private:
  static bool IsThumb(int thumb) { return thumb == 0 || thumb == 1; }
  void ApplyPos(int thumb, int value);
  void HitTest(int x);
  void TakeRatio(double ratio);
  void TakeClampedPoint(int x);
  void Separate();
  void DrawThumb(CDC& dc, CDC& thumbDc, int thumb, int x, int h);

  CVxSkinSldButton2* linked_ = nullptr;
  CBitmap thumbs_[2];
  CSize thumbSize_[2];
  double ratio_ = 0.0;
  int thumbX_[2] = {0, 0};
  int min_ = 0;
  int max_ = 1;
  int value_[2] = {0, 0};
  int active_ = 0;
  int referenceWidth_ = 0;  // width of the thumb loaded or drawn last, used by the hit test
};
