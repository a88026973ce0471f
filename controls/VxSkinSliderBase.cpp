#include "controls/VxSkinSliderBase.h"

namespace {

CPoint PointOf(LPARAM lParam) { return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

}  // namespace

void CVxSkinSliderBase::SetWindowRect(int x, int y, int width, int height) {
  rectSet_ = true;
  rect_ = CRect(x, y, x + width, y + height);
  SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CVxSkinSliderBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN: {
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      OnPress(PointOf(lParam));
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      if (IsPressed()) OnDrag(PointOf(lParam));
      OnMoved();
      Invalidate();
      return result;
    }
    case WM_LBUTTONUP: {
      const bool pressed = IsPressed();
      const LRESULT result = CVxSkinButton::WindowProc(msg, wParam, lParam);
      if (pressed) OnRelease(PointOf(lParam));
      return result;
    }
    default:
      return CVxSkinButton::WindowProc(msg, wParam, lParam);
  }
}

void CVxSkinSliderBase::Notify(UINT msg, int value) const {
  if (CWnd* parent = GetParent()) parent->PostMessage(msg, static_cast<WPARAM>(kind_), static_cast<LPARAM>(value));
}

int CVxSkinSliderBase::ClientWidth() const {
  CRect client;
  GetClientRect(&client);
  return client.Width();
}

int CVxSkinSliderBase::ClientHeight() const {
  CRect client;
  GetClientRect(&client);
  return client.Height();
}
