// CVxSkinSldButton: a one-thumb slider on the skinned button. The button's strip is the track and
// a thumb bitmap is drawn over it at the position of the value, horizontally (minimum at the left)
// or vertically (minimum at the bottom). The slider reports to its parent with the slider protocol
// (controls/Messages.h): WM_SLIDER_PRESSED on a press, WM_SLIDER_DRAGGED whenever dragging changes
// the value, WM_PANEL_COMMAND on the release that ends a press. Values from the mouse are not
// clamped: while the mouse is captured outside the slider they may lie outside the range.
//
// Sliders can be chained (SetLinkedButton); the setters marked chained reach every member, the
// last first.
#pragma once

#include "controls/VxSkinSliderBase.h"

class CVxSkinSldButton : public CVxSkinSliderBase {
 public:
  void SetLinkedButton(CVxSkinSldButton* next) { linked_ = next; }
  CVxSkinSldButton* GetLinkedButton() const { return linked_; }

  // Chained.
  void SetRange(int minimum, int maximum);
  // Chained. Not clamped; an empty range puts the thumb at the start. Redraws.
  void SetPos(int value);
  void SetVertical(BOOL vertical);
  void SetNotifyCode(int kind);

  // FALSE when the bitmap does not exist (the slider then has no thumb).
  BOOL SetThumbBitmap(UINT bitmapId);

  int GetPos() const { return value_; }
  int GetRangeMin() const { return min_; }
  int GetRangeMax() const { return max_; }

  void DrawItem(LPDRAWITEMSTRUCT item) override;

 protected:
  void OnPress(CPoint p) override;
  void OnDrag(CPoint p) override;
  void OnRelease(CPoint p) override;

 private:
  void ApplyPos(int value);
  double RatioAt(CPoint p) const;
  void TakeRatio(double ratio, CPoint p);
  void DrawThumb(CDC& dc, const CRect& area);

  CVxSkinSldButton* linked_ = nullptr;
  CBitmap thumb_;
  CSize thumbSize_;
  double ratio_ = 0.0;
  bool vertical_ = false;
  int thumbX_ = 0;
  int thumbY_ = 0;  // upwards from the bottom
  int min_ = 0;
  int max_ = 0;
  int value_ = 0;
};
