#include "ui/panels/VideoCtrlPanel.h"

#include <array>
#include <utility>

#include "controls/Messages.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr std::array<double, 9> kLevelSpeeds{0.0625, 0.125, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0};
constexpr std::array<std::pair<double, const wchar_t*>, 5> kFractions{
    {{0.5, L"1/2 "}, {0.25, L"1/4 "}, {0.125, L"1/8 "}, {0.0625, L"1/16"}, {0.03125, L"1/32"}}};

}  // namespace

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

CString VideoCtrlPanel::SpeedText(double speed) {
  CString text;
  if (speed >= 1.0) {
    text.Format(L"%3d ", static_cast<int>(speed));
    return text;
  }
  for (const auto& [value, fraction] : kFractions) {
    if (speed == value) return fraction;
  }
  return text;
}

int VideoCtrlPanel::SpeedLevelOf(double speed) {
  for (size_t level = 0; level < kLevelSpeeds.size(); ++level) {
    if (kLevelSpeeds[level] == speed) return static_cast<int>(level);
  }
  return -1;
}

void VideoCtrlPanel::SetSpeedText(double speed) {
  if (const int level = SpeedLevelOf(speed); level != -1) speedLevel_ = level;
  if (videoSpeedDigits_.GetSafeHwnd()) videoSpeedDigits_.SetText(SpeedText(speed));
}
