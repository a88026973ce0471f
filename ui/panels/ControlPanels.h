// The two button strips of the main window: CCtrlPanel (template 235), the see-through tool bar of
// backup, snapshot, configuration, format, calendar, G-sensor, map and compass, whose button
// spacing follows its width; and CClosePanel (template 102), the caption buttons Close, Max and
// Menu. Both only forward to the main window, its side panels and its map page.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class CCtrlPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 235;
  // The bar draws the 1440-pixel main background stretched over itself; its black is see-through.
  static constexpr int kBackground = 2065;
  // The width at which the buttons would touch: -480, so that a 1453-pixel bar spaces them by 100.
  static constexpr int kBaseWidth = -480;
  static constexpr int kButtonWidth = 65;
  static constexpr int kButtonHeight = 52;
  static constexpr int kButtonTop = 80;
  static constexpr int kFirstButtonX = 20;

  explicit CCtrlPanel(CWnd* parent);

  // The gap between two buttons on a bar of that width.
  static int ButtonGap(int width);

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;

 private:
  void LayOut(int width);
  void PaintStretched(CDC& dc);
  void LiftUnderButtons(CDC& dc);
  void ToggleMapPage();

  CBitmap background_;
};

class CClosePanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 102;

  explicit CClosePanel(CWnd* parent);

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;

 private:
  COLORREF face_ = 0;
};
