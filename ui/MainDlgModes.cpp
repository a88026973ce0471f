// The UI modes: which mode the screen takes, and every control and area of the window placed,
// skinned and sized for it from the layout table.
#include <algorithm>

#include "controls/Messages.h"
#include "platform/gdi/GdiQt.h"
#include "platform/wnd/SysMetrics.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr size_t ModeIndex(int mode) { return static_cast<size_t>(mode); }

// The speed read-out's first place, scaled by 0.75 in the smaller modes.
const CRect kFirstDigitsRect(-10, 628, 150, 678);
constexpr double kSmallModeScale = 0.75;
// The speed-unit pictures: one per mode, else one for every mode. None is shipped.
constexpr UINT kSpeedUnitPicture = 1712;
constexpr UINT kSpeedUnitModeStep = 10;

CRect ToCRect(const ui::LayoutRect& r) { return CRect(r.left, r.top, r.right, r.bottom); }

}  // namespace

// The preferred mode (clamped to the table), or the largest smaller one whose background fits
// the screen; the smallest when none does.
void CMainDlg::SelectUiMode() {
  const int preferred = std::clamp(g_appConfig.ReadConfigInt(L"UIMode", 0), 0, ui::kUiModeCount - 1);
  noMark_ = g_appConfig.ReadConfigInt(L"isNoMark", 0) == 1;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  uiMode_ = ui::kUiModeCount - 1;
  for (int mode = preferred; mode < ui::kUiModeCount; ++mode) {
    const ui::WindowSize size = ui::kWindowSize[ModeIndex(mode)];
    if (screenWidth >= size.width && screenHeight >= size.height) {
      uiMode_ = mode;
      break;
    }
  }
  const size_t m = ModeIndex(uiMode_);
  backgroundBitmap_ = static_cast<UINT>(noMark_ ? ui::kBackgroundNoMark[m] : ui::kBackground[m]);
  secondBitmap_ = static_cast<UINT>(noMark_ ? ui::kSecondBackgroundNoMark[m] : ui::kSecondBackground[m]);
  g_appConfig.SetUIMode(uiMode_);
  SetSkin(backgroundBitmap_);
}

void CMainDlg::LayOutMode() {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    videoRect_[ModeIndex(mode)] = ToCRect(ui::AreaRect(ui::Area::kVideo, mode));
  }
  channelWindow_.SetEmbeddedRect(videoRect_[ModeIndex(uiMode_)]);
  ShowItem(mainid::kVolumeDown, true);
  ShowItem(mainid::kVolumeUp, true);
  ShowItem(mainid::kMapPage, false);
  PlaceSpeedDigits();
  PlaceModeControls();
  positionSlider_.SetThumbBitmap(static_cast<UINT>(ui::kModeSkins[ModeIndex(uiMode_)].positionThumb));
  positionSlider_.SetNotifyCode(kSliderSeek);
  SelectModeSkins();
  for (int id : {mainid::kTimeRangeSlider, mainid::kRangeStart, mainid::kRangeEnd}) ShowItem(id, false);
  InitVolumeControls();
  PlaceMapPage();
  speedSlider_.SetThumbBitmap(static_cast<UINT>(ui::kModeSkins[ModeIndex(uiMode_)].speedThumb));
  speedSlider_.SetNotifyCode(kSliderSpeedLevel);
  ResetSpeedSlider();
  for (int id : {mainid::kRecordListTab, mainid::kMapTab, mainid::kRecordListTab2, mainid::kMapTab2}) {
    ShowItem(id, false);
  }
  ShowItem(mainid::kCarDataPanel, false);
  LayGsensorBar();
  InitGridsAndCalendar();
  SizeToBackground();
  GetWindowRect(&storedWindowRect_);
  ShowItem(mainid::kFileManager, false);
  ShowItem(mainid::kFilePad, false);
  LinkPanelSliders();
  positionSlider_.SetRange(0, 100);
  timeRangeSlider_.SetRange(0, 1);
  // The controls took their skins after their first paint.
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMainDlg::PlaceModeControls() {
  for (const ui::MainControl& control : ui::kMainControls) PlaceModeControl(control);
}

// A control with a place in the mode moves there and wears its strip (drawn at the size it was
// made for) and its translated tip; a control without one keeps its template place.
void CMainDlg::PlaceModeControl(const ui::MainControl& c) {
  CWnd* item = GetDlgItem(c.id);
  if (item == nullptr) return;
  const ui::LayoutRect& r = c.rect[ModeIndex(uiMode_)];
  if (!r.IsEmpty()) {
    if (auto* slider = dynamic_cast<CVxSkinSliderBase*>(item)) {
      slider->SetWindowRect(r.left, r.top, r.Width(), r.Height());
    } else {
      item->MoveWindow(r.left, r.top, r.Width(), r.Height(), FALSE);
    }
  }
  auto* skinned = dynamic_cast<CVxSkinButton*>(item);
  if (skinned != nullptr && c.skin != 0) skinned->SetSkin(static_cast<UINT>(c.skin));
  if (auto* slider = dynamic_cast<CVxSkinSldButton*>(item); slider && c.kind == ui::ControlKind::kVerticalSlider) {
    slider->SetVertical(TRUE);
  }
  if (c.tooltip != nullptr) tooltip_.AddTool(item, LoadLanguageString(c.tooltip));
  item->ShowWindow(c.hiddenAtStart ? SW_HIDE : SW_SHOW);
}

// The G-sensor curve's and the position text's pictures of the mode, and the speed-unit picture
// when one is shipped.
void CMainDlg::SelectModeSkins() {
  const ui::ModeSkins& skins = ui::kModeSkins[ModeIndex(uiMode_)];
  graphBitmap_.DeleteObject();
  graphBitmap_.LoadBitmap(static_cast<UINT>(skins.graph));
  positionTextBitmap_.DeleteObject();
  positionTextBitmap_.LoadBitmap(static_cast<UINT>(skins.positionText));
  const UINT modeUnit = kSpeedUnitPicture + kSpeedUnitModeStep * static_cast<UINT>(uiMode_);
  unitPicture_ = plat::HasBitmapResource(modeUnit) ? modeUnit : kSpeedUnitPicture;
  hasUnitPicture_ = plat::HasBitmapResource(unitPicture_);
}

void CMainDlg::InitSpeedDigits() {
  if (!speedDigits_.Create(L"", WS_CHILD, CRect(), this)) return;
  speedDigits_.SetColor(0x101018, 0xFF00);
  speedDigits_.SetText(L"000");
  speedDigits_.SetTransparent(TRUE);
  speedDigits_.ModifyDigiStyle(0, kDigi14Segment | kDigiOnlyLit);
  const double scale = uiMode_ == 0 ? 1.0 : kSmallModeScale;
  const CRect& r = kFirstDigitsRect;
  speedDigits_.MoveWindow(static_cast<int>(r.left * scale), static_cast<int>(r.top * scale),
                          static_cast<int>(r.Width() * scale), static_cast<int>(r.Height() * scale), FALSE);
  speedDigits_.ShowWindow(SW_HIDE);
}

// The read-out's final place of the mode; it stays hidden until the record view shows it.
void CMainDlg::PlaceSpeedDigits() {
  if (!speedDigits_.GetSafeHwnd()) return;
  speedDigits_.SetText(L"000");
  speedDigits_.SetTransparent(TRUE);
  speedDigits_.ModifyDigiStyle(0, kDigi14Segment | kDigiKeepRatio);
  speedDigits_.MoveWindow(ToCRect(ui::AreaRect(ui::Area::kSpeedDigits, uiMode_)), FALSE);
}

// The map page starts hidden at its stored place of the mode.
void CMainDlg::PlaceMapPage() {
  if (!mapDlg_.GetSafeHwnd()) return;
  mapDlg_.ShowWindow(SW_HIDE);
  DockMapPage(StoredMapRect());
}

CRect CMainDlg::StoredMapRect() const { return ToCRect(ui::AreaRect(ui::Area::kMapStored, uiMode_)); }

// The G-sensor bar lies over the mode's graph area, which is as large as the mode's graph picture.
void CMainDlg::LayGsensorBar() {
  const CRect area = ToCRect(ui::AreaRect(ui::Area::kGsensorGraph, uiMode_));
  BITMAP bm{};
  const bool pictured = graphBitmap_.GetSafeHandle() != nullptr && graphBitmap_.GetBitmap(&bm) != 0;
  const int width = pictured ? bm.bmWidth : area.Width();
  const int height = pictured ? bm.bmHeight : area.Height();
  gsensorBar_.SetLayout(area.left, area.top, area.left + width, area.top + height, 0, 0, -1, 0);
}

// The window takes its background's size, at the top-left of the screen, then centred on it.
void CMainDlg::SizeToBackground() {
  const CSize size = GetSkinSize();
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow();
}
