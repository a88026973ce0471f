// What the two skinned sliders share: the painting rectangle, the kind they report with, and the
// order of their mouse handling, which runs after the skinned button's own: a press, moves (a
// drag while the press lasts) and the release that ends a press begun on the slider. A release
// that ends no press on the slider reports nothing.
#pragma once

#include "controls/VxSkinButton.h"

class CVxSkinSliderBase : public CVxSkinButton {
 public:
  // Moves and sizes the slider; the rectangle (parent coordinates) is the painting area from then on.
  void SetWindowRect(int x, int y, int width, int height);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  virtual void OnPress(CPoint p) = 0;
  virtual void OnDrag(CPoint p) = 0;
  // After every move, pressed or not, before the redraw.
  virtual void OnMoved() {}
  virtual void OnRelease(CPoint p) = 0;

  // Posts a message of the slider protocol to the parent.
  void Notify(UINT msg, int value) const;
  // The rectangle set with SetWindowRect, else the item's.
  CRect PaintArea(const RECT& item) const { return rectSet_ ? rect_ : CRect(item); }
  int ClientWidth() const;
  int ClientHeight() const;

  int kind_ = 0;

 private:
  bool rectSet_ = false;
  CRect rect_;
};
