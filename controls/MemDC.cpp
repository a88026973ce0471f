#include "controls/MemDC.h"

CMemDC::CMemDC(CDC* target, const RECT* rect, bool copyBackground) : target_(target) {
  if (rect) {
    rect_ = *rect;
  } else {
    target_->GetClipBox(&rect_);
  }
  offScreen_ = !target_->IsPrinting() && MakeOffScreen();
  if (!offScreen_) Attach(target_->GetSafeHdc());
  // Drawing straight onto the target already starts from its pixels.
  if (!copyBackground) {
    FillSolidRect(&rect_, target_->GetBkColor());
  } else if (offScreen_) {
    BitBlt(rect_.left, rect_.top, rect_.Width(), rect_.Height(), target_, rect_.left, rect_.top, SRCCOPY);
  }
}

bool CMemDC::MakeOffScreen() {
  CRect device = rect_;
  target_->LPtoDP(&device);
  device.NormalizeRect();
  if (!bitmap_.CreateCompatibleBitmap(target_, device.Width(), device.Height())) return false;
  CreateCompatibleDC(target_);
  oldBitmap_ = SelectObject(&bitmap_);
  SetMapMode(target_->GetMapMode());
  SetWindowExt(target_->GetWindowExt());
  SetViewportExt(target_->GetViewportExt());
  SetWindowOrg(rect_.left, rect_.top);
  return true;
}

CMemDC::~CMemDC() {
  if (!offScreen_) {
    Detach();
    return;
  }
  target_->BitBlt(rect_.left, rect_.top, rect_.Width(), rect_.Height(), this, rect_.left, rect_.top, SRCCOPY);
  SelectObject(oldBitmap_);
  bitmap_.DeleteObject();
  DeleteDC();
}
