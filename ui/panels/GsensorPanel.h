// GsensorPanel: the floating panel of the G-sensor graph (template 103), with its own copies of
// the time-range slider ("MarkBar") and the position slider, the "Mark Save" and Close buttons.
// The graph is a GsensorBar laid over the panel's client area, chained after the main window's
// bar, which the main window feeds; the panel draws it when it paints. A click in the graph seeks
// the recording to the time under the mouse.
#pragma once

#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "ui/GsensorBar.h"
#include "ui/panels/SidePanel.h"

class GsensorPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 103;
  // The graph's margins are the bar's, so that a click finds the time the curve shows there.
  static constexpr int kLeftMargin = GsensorBar::kLeftMargin;
  static constexpr int kRightMargin = GsensorBar::kRightMargin;
  // The graph begins below the sliders and is as far from the bar's middle below it.
  static constexpr int kGraphTop = 62;

  explicit GsensorPanel(CWnd* parent);

  // Paints the graph anew with what the bar holds now.
  void Refresh();
  // Paints the whole panel at once.
  void Redraw();
  // The time that a client x stands for, on the range of the main window's position slider.
  int XToTime(int x) const;

  CVxSkinSldButton& PositionSlider() { return positionSlider_; }
  CVxSkinSldButton2& MarkBar() { return markBar_; }
  GsensorBar& Bar() { return bar_; }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;

 private:
  void InitSliders();
  void FollowVideoPanelSliders();
  CRect GraphRect() const;
  void PaintGraph(CDC& dc);
  void OnGraphClick(CPoint point);
  LRESULT OnSliderMessage(UINT msg, WPARAM kind, LPARAM value);

  GsensorBar bar_;
  CVxSkinSldButton positionSlider_;
  CVxSkinSldButton2 markBar_;
};
