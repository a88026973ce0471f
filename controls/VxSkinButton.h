// CVxSkinButton: the owner-drawn push, toggle and radio button of the skinned windows. Its look is
// one bitmap, a horizontal strip of equal frames: normal, hover, pressed (or checked), disabled,
// and optionally a mask (white transparent, black opaque) through which the parent's background
// shows. It tracks hover and press itself, keeps its own check state (BM_GETCHECK/BM_SETCHECK,
// so CButton::GetCheck and SetCheck work), and unchecks the other skinned radio buttons of its
// dialog group with WM_SKINBUTTON_UNCHECK. The window text is drawn centred over the frame.
#pragma once

#include <atomic>

#include "platform/gdi/Dc.h"
#include "platform/wnd/Button.h"

class CVxSkinButton : public CButton {
 public:
  // The behaviour taken from the button style when the window is attached.
  enum ButtonType { kPushButton = 0, kToggleButton = 2, kRadioButton = 4 };
  enum Frame { kNormalFrame = 0, kHoverFrame = 1, kPressedFrame = 2, kDisabledFrame = 3, kMaskFrame = 4 };

  CVxSkinButton();
  ~CVxSkinButton() override;

  // Loads the strip (4 frames, or 5 with the mask frame) and takes the frame size from it. The
  // stretch style is limited to 0..2 (0 copies with BitBlt, else StretchBlt at the same size), the
  // focus inset to at least 0 (0: no focus rectangle); the border flag adds a raised or sunken
  // edge. A button with a mask frame draws over its parent's pixels. No redraw. FALSE when the
  // bitmap does not exist: the button is then drawn plain. The strip is the one made for the
  // button's size, asked for again whenever the button is resized.
  BOOL SetSkin(UINT bitmapId, int stretchStyle = 1, BOOL border = FALSE, int focusInset = 0, BOOL maskFrame = FALSE);
  // The tip shown over the button: the English text translated into the interface language. It
  // is the button's own tip, shown like the tips a window's tooltip control gives the button
  // (whichever was set last).
  BOOL SetTooltipText(LPCWSTR englishText);

  // True from a left press on the button until its release, loss of the capture or of the focus.
  // Safe to read from any thread.
  bool IsPressed() const { return pressed_.load(); }
  ButtonType GetButtonType() const { return type_; }
  bool HasSkin() const { return skin_.GetSafeHandle() != nullptr; }
  CSize GetFrameSize() const { return frame_; }
  int GetStretchStyle() const { return stretchStyle_; }
  int GetFocusInset() const { return focusInset_; }

  void PreSubclassWindow() override;
  void DrawItem(LPDRAWITEMSTRUCT item) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Draws the frame of the item's state and the text; false when the pushed state did not match
  // the pointer and was corrected instead (a new DrawItem follows).
  bool DrawSkin(LPDRAWITEMSTRUCT item);

 private:
  LRESULT OnSetCheck(WPARAM state);
  void UncheckGroup();
  void OnMouseMove(LPARAM lParam);
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
  void OnKeyDown(WPARAM key, LPARAM flags);
  void ToggleByUser();
  bool LoadSkinForSize();
  bool IsUnder(POINT screen) const;
  bool SyncPushedWithPointer(POINT screen);
  bool CorrectPushedState();
  void DrawFrame(CDC& dc, int index, const CRect& item);
  void DrawPlainFrame(CDC& dc, int index, const CRect& item) const;
  void CopyFrame(CDC& dest, int x, int y, CDC& skin, int index, DWORD rop) const;
  void DrawEngravedText(CDC& dc, const CString& text, const CRect& textRect) const;

  std::atomic<bool> pressed_{false};
  bool checked_ = false;
  ButtonType type_ = kPushButton;
  bool maskFrame_ = false;
  bool hover_ = false;
  CBitmap skin_;
  UINT skinId_ = 0;
  CSize frame_;
  int stretchStyle_ = 1;
  bool border_ = false;
  int focusInset_ = 0;
  COLORREF textColor_;
};
