#include "ui/panels/VideoCtrlPanel.h"

#include "controls/Messages.h"
#include "ui/MainDlgIds.h"

VideoCtrlPanel::VideoCtrlPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

ui::PanelControl VideoCtrlPanel::DesignOf(const ui::RowControl& row) {
  return {row.id, row.tooltip, row.skin, row.hidden, ui::VideoPanelRect(row, ui::kVideoPanelDesignHeight)};
}

BOOL VideoCtrlPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kVideoPanelBackground);
  for (const ui::RowControl& row : ui::kVideoPanelControls) {
    const ui::PanelControl design = DesignOf(row);
    if (!AttachSpecialControl(design)) AddButton(design);
  }
  return TRUE;
}

bool VideoCtrlPanel::AttachSpecialControl(const ui::PanelControl& design) {
  switch (design.id) {
    case mainid::kTimeRangeSlider:
      if (AttachSkinned(markBar_, design)) {
        markBar_.SetThumbBitmap(0, ui::kMarkBarStartThumb);
        markBar_.SetThumbBitmap(1, ui::kMarkBarEndThumb);
        markBar_.SetNotifyCode(kSliderTimeRange);
      }
      return true;
    case mainid::kPositionSlider:
      if (AttachSkinned(positionSlider_, design)) {
        positionSlider_.SetThumbBitmap(ui::kModeSkins[0].positionThumb);
        positionSlider_.SetNotifyCode(kSliderSeek);
      }
      return true;
    case mainid::kBitmapVolume:
      if (volumeSlider_.SubclassDlgItem(mainid::kBitmapVolume, this)) {
        Place(volumeSlider_, design.rect);
        volumeSlider_.SetBitmapChannel(ui::kModeSkins[0].volumeChannel, ui::kModeSkins[0].volumeActive);
      }
      return true;
    case kCarSpeedDigits:
    case kVideoSpeedDigits: {
      CDigiStatic& digits = design.id == kCarSpeedDigits ? carSpeedDigits_ : videoSpeedDigits_;
      if (digits.SubclassDlgItem(static_cast<UINT>(design.id), this)) {
        Place(digits, design.rect);
        digits.ShowWindow(design.hidden ? SW_HIDE : SW_SHOW);
      }
      return true;
    }
    default:
      return false;
  }
}
