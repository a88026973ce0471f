#include "ui/panels/SpeedVolumePanels.h"

#include <algorithm>
#include <utility>

#include "controls/Messages.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"
#include "ui/panels/SpeedText.h"

namespace {

constexpr CSidePanel::RegionShape kRoundedRegion{4, 3, 6};
constexpr int kFaster = 1756;
constexpr int kSlower = 1758;
constexpr COLORREF kUnlitSegment = 0x101018;
constexpr COLORREF kLitSegment = 0xA7632E;

int ModeOf(const CMainDlg* main) { return main != nullptr ? std::clamp(main->GetUiMode(), 0, ui::kUiModeCount - 1) : 0; }

}  // namespace

SpeedDlg::SpeedDlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL SpeedDlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  EnableDragByClientArea(false);
  const ui::SpeedPanelSkins& skins = ui::kSpeedPanelSkins[static_cast<size_t>(ModeOf(main_))];
  // The panel is its skin's size: a panel larger than its picture shows the bare window along its
  // right and bottom edges, which its rounded region does not trim away.
  TakeSkin(skins.skin);
  AttachSlider(skins);
  InitReadOut();
  PlaceButtons(Controls(), {kReadOut});
  for (const auto& [id, tip] : {std::pair{kSlower, L"Decrement Video Speed"}, {kFaster, L"Increase Video Speed"}}) {
    if (CVxSkinButton* button = Button(id)) tooltip_.AddTool(button, LoadLanguageString(tip));
  }
  SetRegionShape(kRoundedRegion);
  ObserveTransport(this);
  return TRUE;
}

std::span<const ui::PanelControl> SpeedDlg::Controls() const { return ui::kSpeedPanel[static_cast<size_t>(ModeOf(main_))].controls; }

void SpeedDlg::OnSpeedChanged(int level, double speed) {
  if (slider_.GetSafeHwnd()) slider_.SetPos(level == TransportCtrl::kNoLevel ? TransportCtrl::kNormalSpeedLevel : level);
  if (level != TransportCtrl::kNoLevel) SetSpeed(speed);
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

void SpeedDlg::InitReadOut() {
  if (!readOut_.SubclassDlgItem(kReadOut, this)) return;
  readOut_.ModifyDigiStyle(0, kDigiSmooth);
  readOut_.ModifyDigiStyle(0, kDigi14Segment | kDigiKeepRatio);
  readOut_.SetColor(kUnlitSegment, kLitSegment);
  Place(readOut_, FindDesign(Controls(), kReadOut)->rect);
  readOut_.SetText(L"X  1");
  readOut_.ShowWindow(SW_HIDE);
}

void SpeedDlg::SetSpeed(double speed) {
  speedText_ = panels::SpeedText(speed);
  if (const int level = panels::SpeedLevelOf(speed); level >= 0) speedLevel_ = level;
  if (readOut_.GetSafeHwnd()) readOut_.SetText(speedText_);
  NoteActivity();
}

LRESULT SpeedDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SLIDER_PRESSED:
    case WM_SLIDER_DRAGGED:
      SendToMain(msg, wParam, lParam);
      return 0;
    case WM_PANEL_COMMAND:
      return OnSliderReleased(wParam, lParam);
    default:
      break;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

LRESULT SpeedDlg::OnSliderReleased(WPARAM kind, LPARAM value) {
  const int level = std::clamp(static_cast<int>(value), slider_.GetRangeMin(), slider_.GetRangeMax());
  slider_.SetPos(level);
  SendToMain(WM_PANEL_COMMAND, kind, level);
  return 0;
}

bool SpeedDlg::OnButton(int id) {
  if (id != kFaster && id != kSlower) return false;
  if (main_ != nullptr) speedLevel_ = main_->SetSpeedLevel(speedLevel_ + (id == kFaster ? 1 : -1));
  NoteActivity();
  return true;
}

VolumeDlg::VolumeDlg(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL VolumeDlg::OnInitDialog() {
  CSidePanel::OnInitDialog();
  EnableDragByClientArea(false);
  TakeSkin(ui::kVolumePanel.background);
  if (hiddenSlider_.SubclassDlgItem(kHiddenSlider, this)) {
    hiddenSlider_.SetNotifyCode(kSliderVolumeLevel);
    hiddenSlider_.ShowWindow(SW_HIDE);
  }
  if (slider_.SubclassDlgItem(mainid::kBitmapVolume, this)) {
    slider_.SetRange(0, CMainDlg::kLoudestVolume);
    slider_.SetPos(CMainDlg::kLoudestVolume);
    slider_.SetDrawFocusRect(FALSE);
    slider_.SetMarginLeft(0);
    slider_.SetMarginRight(0);
    slider_.SetPageSize(10);
    Place(slider_, FindDesign(ui::kVolumePanelControls, mainid::kBitmapVolume)->rect);
    slider_.SetBitmapChannel(static_cast<UINT>(ui::kModeSkins[0].volumeChannel),
                             static_cast<UINT>(ui::kModeSkins[0].volumeActive));
    slider_.ShowWindow(SW_SHOW);
  }
  SetRegionShape(kRoundedRegion);
  ObserveTransport(this);
  return TRUE;
}

void VolumeDlg::OnVolumeChanged(int level) {
  if (slider_.GetSafeHwnd()) slider_.SetPos(level);
}

// The panel only relays: the slider messages of its hidden slider, and the moves of its volume
// slider, which the main window takes as moves of its own volume read-out.
LRESULT VolumeDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SLIDER_PRESSED:
    case WM_SLIDER_DRAGGED:
    case WM_PANEL_COMMAND:
    case WM_BITMAPSLIDER_MOVED:
      SendToMain(msg, wParam, lParam);
      return 0;
    default:
      break;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}
