// The two button strips of the main window: CCtrlPanel (template 235), the half-transparent tool
// bar of backup, snapshot, configuration, format, calendar, G-sensor, map and compass; and
// CClosePanel (template 102), the caption buttons Close, Max and Menu. Both only forward.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class CCtrlPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 235;
  // The bar draws the 1440-pixel main background stretched over itself.
  static constexpr int kBackground = 2065;

  explicit CCtrlPanel(CWnd* parent);

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintStretched(CDC& dc);

  CBitmap background_;
};

class CClosePanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 102;

  explicit CClosePanel(CWnd* parent);

  BOOL OnInitDialog() override;
};
