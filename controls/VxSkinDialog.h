// CVxSkinDialog: the base of the main window and of the skinned panels. It paints a background
// bitmap, at its own size from the top-left, instead of the dialog face; sets a window region on
// every size change once skinned; and lets the user move the window by dragging its bare
// background (a click without movement still reaches the window as a click).
//
// Enter and Escape do not end a skinned window: OnOK and OnCancel do nothing here, and a window
// that may close overrides them with its own (guarded) logic or ends itself with EndDialog.
// Closing the window from the window manager (WM_CLOSE) calls OnClose, which ends a modal window
// with IDCANCEL and hides a modeless one; the main window overrides it with its guarded close.
// Derived windows that handle WM_ERASEBKGND, WM_SIZE or WM_LBUTTONDOWN themselves run this
// class's WindowProc for the message first.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Dialog.h"

class CVxSkinDialog : public CDialog {
 public:
  CVxSkinDialog();
  CVxSkinDialog(UINT templateId, CWnd* parent);
  ~CVxSkinDialog() override;

  // Replaces the background and redraws; FALSE (and no background) when the bitmap does not exist.
  BOOL SetSkin(UINT bitmapId);
  bool IsSkinned() const { return background_.GetSafeHandle() != nullptr; }
  CSize GetSkinSize() const { return skinSize_; }

  void OnOK() override;
  void OnCancel() override;
  virtual void OnClose();
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // Rounded corners of the window region: the ellipse's width and height (0: square corners).
  void SetCornerEllipse(int width, int height);
  // On by default: a left press on the bare background starts moving the window.
  void EnableDragByClientArea(bool enable) { dragByClientArea_ = enable; }
  // The skin over the face colour: what the background erase draws, also for a paint that
  // starts from a clean background.
  BOOL OnEraseBkgnd(CDC& dc);

 private:
  void OnSize();

  bool dragByClientArea_ = true;
  CBitmap background_;
  CSize skinSize_;
  CSize corner_;
};
