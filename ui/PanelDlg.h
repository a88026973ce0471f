// CPanelDlg: the channel window (template 1016), into which the engine presents a channel's
// pictures. It lives embedded in the main window's video area; it can also float as a captioned
// window of the picture's size, or cover the whole screen.
#pragma once

#include "platform/wnd/Dialog.h"

class CMainDlg;

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

  // Made as a child of the main window at the embedded rectangle.
  BOOL CreateEmbedded();
  // Back into the main window at the embedded rectangle (also what Escape does).
  void Embed();

  BOOL OnInitDialog() override;
  void OnCancel() override;

 private:
  int mode_ = kEmbedded;
  CMainDlg* main_ = nullptr;
  CRect embeddedRect_;
  int channel_ = -1;
};
