// CompassPanel: the small floating panel that shows the vehicle's heading as a needle turned
// over a compass face, with the position written below it (template 108). It reads the main
// window's current GPS fix when it paints.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class CompassPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 108;

  explicit CompassPanel(CWnd* parent);

  BOOL OnInitDialog() override;

 private:
  CBitmap needle_;
};
