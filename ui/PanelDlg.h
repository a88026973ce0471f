// CPanelDlg: the channel window (template 1016), into which the engine presents a channel's
// pictures. It lives embedded in the main window's video area; a double click detaches it into a
// captioned window of the picture's size, a second one makes it cover the whole screen, and a
// third puts it back. Escape puts it back at once. While it floats, sizing it can keep the
// picture's proportion ("KeepRatio").
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/Static.h"

class CMainDlg;
class IIbpCtrl;

class CPanelDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 1016;
  enum Mode { kEmbedded = 0, kFloating = 1, kFullScreen = 2 };

  CPanelDlg();

  void SetMainWindow(CMainDlg* main) { main_ = main; }
  CMainDlg* GetMainWindow() const { return main_; }
  void SetChannel(int channel) { channel_ = channel; }
  int GetChannel() const { return channel_; }
  int GetMode() const { return mode_; }
  // The rectangle inside the main window; an embedded window moves there.
  void SetEmbeddedRect(const CRect& rect);
  const CRect& GetEmbeddedRect() const { return embeddedRect_; }
  // "Channel-01 1280x720": the channel counted from 1 and the picture's size.
  static CString CaptionOf(int channel, int width, int height);
  // The engine tells the picture's size: the caption shows it, and the window floats at it also
  // while the engine tells none.
  void SetPictureSize(CSize picture);

  // Made as a child of the main window at the embedded rectangle.
  BOOL CreateEmbedded();
  // Back into the main window at the embedded rectangle (also what Escape does).
  void Embed();
  // Embedded -> floating -> full screen -> embedded.
  void SwitchMode();
  // A pause sign in the picture's top-left corner, shown while playback is paused, so that a
  // paused picture is not taken for a stuck one.
  void ShowPausedMark(bool show);
  bool IsPausedMarkShown() const { return pausedMark_.GetSafeHwnd() && pausedMark_.IsWindowVisible(); }

  BOOL OnInitDialog() override;
  void OnCancel() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  IIbpCtrl* Engine() const;
  CSize PictureSize() const;
  CSize FrameSize() const;
  void Float();
  void CoverScreen();
  void OnLButtonDown();
  void KeepRatio(RECT& proposed) const;

  int mode_ = kEmbedded;
  CMainDlg* main_ = nullptr;
  CRect embeddedRect_;
  CSize lastPicture_;  // the picture's size when the window last floated with one
  int channel_ = -1;
  CStatic pausedMark_;
  CBitmap pausedPicture_;
};
