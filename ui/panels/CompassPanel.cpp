#include "ui/panels/CompassPanel.h"

CompassPanel::CompassPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL CompassPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCompassPanel.background);
  needle_.LoadBitmap(ui::kCompassNeedle);
  PlaceButtons(ui::kCompassPanelControls);
  return TRUE;
}
