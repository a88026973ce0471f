#include "ui/panels/SpeedVolumePanels.h"

#include <algorithm>

#include "controls/Messages.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"
#include "ui/panels/VideoCtrlPanel.h"

namespace {

// The panel is a little larger than its skin, which its rounded region then trims.
const CSize kSpeedPanelFrame(5, 6);
const CSize kVolumePanelFrame(6, 6);

int ModeOf(const CMainDlg* main) { return main != nullptr ? std::clamp(main->GetUiMode(), 0, ui::kUiModeCount - 1) : 0; }

}  // namespace

SpeedDlg::SpeedDlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL SpeedDlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  const ui::SpeedPanelSkins& skins = ui::kSpeedPanelSkins[static_cast<size_t>(ModeOf(main_))];
  TakeSkin(skins.skin, kSpeedPanelFrame);
  AttachSlider(skins);
  if (readOut_.SubclassDlgItem(kReadOut, this)) {
    const ui::PanelControl* design = FindDesign(ui::kSpeedPanelControls, kReadOut);
    Place(readOut_, design->rect);
    readOut_.ShowWindow(design->hidden ? SW_HIDE : SW_SHOW);
  }
  PlaceButtons(ui::kSpeedPanelControls, {kReadOut});
  return TRUE;
}

// The track has four frames and no mask.
void SpeedDlg::AttachSlider(const ui::SpeedPanelSkins& skins) {
  if (!slider_.SubclassDlgItem(kSlider, this)) return;
  slider_.MoveWindow(ui::kSpeedPanelSliderX, ui::kSpeedPanelSliderY, skins.trackWidth, skins.trackHeight, FALSE);
  slider_.SetSkin(static_cast<UINT>(skins.track), 0, FALSE, 0, FALSE);
  slider_.SetThumbBitmap(static_cast<UINT>(skins.thumb));
  slider_.SetNotifyCode(kSliderSpeedLevel);
  slider_.ShowWindow(SW_SHOW);
}

void SpeedDlg::SetSpeed(double speed) {
  if (const int level = VideoCtrlPanel::SpeedLevelOf(speed); level != -1) speedLevel_ = level;
  if (readOut_.GetSafeHwnd()) readOut_.SetText(VideoCtrlPanel::SpeedText(speed));
}

VolumeDlg::VolumeDlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL VolumeDlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kVolumePanel.background, kVolumePanelFrame);
  if (hiddenSlider_.SubclassDlgItem(kHiddenSlider, this)) {
    hiddenSlider_.SetNotifyCode(kSliderVolumeLevel);
    hiddenSlider_.ShowWindow(SW_HIDE);
  }
  if (slider_.SubclassDlgItem(mainid::kBitmapVolume, this)) {
    Place(slider_, FindDesign(ui::kVolumePanelControls, mainid::kBitmapVolume)->rect);
    slider_.SetBitmapChannel(ui::kModeSkins[0].volumeChannel, ui::kModeSkins[0].volumeActive);
    slider_.SetRange(0, CMainDlg::kLoudestVolume);
    slider_.SetPos(CMainDlg::kLoudestVolume);
    slider_.ShowWindow(SW_SHOW);
  }
  return TRUE;
}
