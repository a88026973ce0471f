#include "ui/panels/GsensorPanel.h"

#include "controls/Messages.h"
#include "ui/MainDlgIds.h"

GsensorPanel::GsensorPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL GsensorPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kGsensorPanel.background);
  InitSliders();
  PlaceButtons(ui::kGsensorPanelControls, {mainid::kTimeRangeSlider, mainid::kPositionSlider});
  CRect client;
  GetClientRect(&client);
  bar_.SetLayout(client.left, client.top, client.right, client.bottom, 0, 0, -1, 0);
  return TRUE;
}

void GsensorPanel::InitSliders() {
  const auto& controls = ui::kGsensorPanelControls;
  if (const auto* design = FindDesign(controls, mainid::kTimeRangeSlider); design && AttachSkinned(markBar_, *design)) {
    markBar_.SetThumbBitmap(0, ui::kMarkBarStartThumb);
    markBar_.SetThumbBitmap(1, ui::kMarkBarEndThumb);
    markBar_.SetNotifyCode(kSliderTimeRange);
  }
  if (const auto* design = FindDesign(controls, mainid::kPositionSlider); design && AttachSkinned(positionSlider_, *design)) {
    positionSlider_.SetThumbBitmap(ui::kModeSkins[0].positionThumb);
    positionSlider_.SetNotifyCode(kSliderSeek);
  }
}
