// The two button strips of the main window: CCtrlPanel (template 235), the see-through tool bar of
// backup, snapshot, configuration, format, calendar, G-sensor, map and compass, whose button
// spacing follows its width: a band of the panels' colour behind its buttons, see-through (black,
// its colour key) above and below; and CClosePanel (template 102), the caption buttons Close, Max and
// Menu. Both only forward to the main window, its side panels and its map page.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class CCtrlPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 235;
  // The width at which the seven shown buttons touch, 20 px in from either end: the gap is 0 there
  // and 100 on a 1453-pixel bar, so that the buttons stay on the bar down to the smallest mode's.
  static constexpr int kBaseWidth = 20 + 7 * 65 + 20;
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
  void PaintGround(CDC& dc);
  void ToggleMapPage();

  COLORREF face_ = 0;
  COLORREF edge_ = 0;
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
