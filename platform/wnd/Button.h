// CButton: push buttons, check boxes, radio buttons, group boxes and owner-drawn buttons.
//
// The button presses itself on a left press (it takes the capture and the focus), follows the
// pointer while pressed, and on a release over it sends BN_CLICKED to its parent; the space key
// does the same. Every click is a press: the button class does not make double clicks, so a fast
// second click is a second BN_CLICKED. An owner-drawn button (BS_OWNERDRAW) is drawn by its
// object's DrawItem, reached through the parent's WM_DRAWITEM, on every change of its state.
#pragma once

#include "platform/wnd/Wnd.h"

class CButton : public CWnd {
 public:
  BOOL Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetCheck() const;
  void SetCheck(int check);
  UINT GetState() const;
  void SetState(BOOL pushed);
  UINT GetButtonStyle() const;
  void SetButtonStyle(UINT style, BOOL redraw = TRUE);
  virtual void DrawItem(LPDRAWITEMSTRUCT item);

 protected:
  BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
