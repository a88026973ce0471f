// GsensorPanel: the floating panel of the G-sensor graph (template 103), with its own copies of
// the time-range slider ("MarkBar") and the position slider, the "Mark Save" and Close buttons.
// The graph is a GsensorBar laid over the panel's client area, which the main window feeds.
#pragma once

#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "ui/GsensorBar.h"
#include "ui/panels/SidePanel.h"

class GsensorPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 103;
  static constexpr int kLeftMargin = 4;
  static constexpr int kRightMargin = 4;

  explicit GsensorPanel(CWnd* parent);

  CVxSkinSldButton& PositionSlider() { return positionSlider_; }
  CVxSkinSldButton2& MarkBar() { return markBar_; }
  GsensorBar& Bar() { return bar_; }

  BOOL OnInitDialog() override;

 private:
  void InitSliders();

  GsensorBar bar_;
  CVxSkinSldButton positionSlider_;
  CVxSkinSldButton2 markBar_;
};
