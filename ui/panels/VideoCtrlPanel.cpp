// The video control panel's controls, layout and background. Its sound, speed and range handling
// is in VideoCtrlPanelSound.cpp.
#include "ui/panels/VideoCtrlPanel.h"

#include "controls/MemDC.h"
#include "controls/Messages.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// The panel is seen through a little.
constexpr BYTE kPanelAlpha = 230;
// Read-out colours: unlit and lit segments.
constexpr COLORREF kUnlitSegment = 0x101018;
constexpr COLORREF kLitSegment = 0xFF00;
// How far a row's band of the background reaches around its controls (their wells).
constexpr int kBandMargin = 4;
// The speed-unit buttons of the design, which the panel keeps hidden and disabled.
constexpr int kUnitButtons[] = {1741, 1742, 1743};

// Where the background shows a row: the full width, around the row's visible controls.
CRect BandOfRow(int row, int width) {
  CRect band;
  for (const ui::RowControl& c : ui::kVideoPanelControls) {
    if (c.row != row || c.hidden) continue;
    const ui::LayoutRect r = ui::VideoPanelRect(c, ui::kVideoPanelDrawnHeight);
    band.UnionRect(band, CRect(0, r.top - kBandMargin, width, r.bottom + kBandMargin));
  }
  return band;
}

}  // namespace

VideoCtrlPanel::VideoCtrlPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

ui::PanelControl VideoCtrlPanel::DesignOf(const ui::RowControl& row, int height) {
  return {row.id, row.tooltip, row.skin, row.hidden, ui::VideoPanelRect(row, height)};
}

BOOL VideoCtrlPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  EnableDragByClientArea(false);
  TakeSkin(ui::kVideoPanelBackground);
  background_.LoadBitmap(ui::kVideoPanelBackground);
  CRect client;
  GetClientRect(&client);
  for (const ui::RowControl& row : ui::kVideoPanelControls) {
    const ui::PanelControl design = DesignOf(row, client.Height());
    if (!AttachSpecialControl(design)) AddButton(design);
  }
  SetSound(1);
  InitVolume();
  for (int id : kUnitButtons) {
    ShowButton(id, false);
    if (CVxSkinButton* unit = Button(id)) unit->EnableWindow(FALSE);
  }
  InitReadOuts();
  SetLayeredLook(0, kPanelAlpha, LWA_ALPHA);
  ObserveTransport(this);
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
      if (volumeSlider_.SubclassDlgItem(mainid::kBitmapVolume, this)) Place(volumeSlider_, design.rect);
      return true;
    case kCarSpeedDigits:
    case kVideoSpeedDigits: {
      CDigiStatic& digits = design.id == kCarSpeedDigits ? carSpeedDigits_ : videoSpeedDigits_;
      if (digits.SubclassDlgItem(static_cast<UINT>(design.id), this)) Place(digits, design.rect);
      return true;
    }
    default:
      return false;
  }
}

// The main window and the engine start at full sound, the slider at its loudest.
void VideoCtrlPanel::InitVolume() {
  TellMainVolumeLevel(CMainDlg::kLoudestVolume);
  SetAttenuation(CMainDlg::kLoudestVolume);
  if (!volumeSlider_.GetSafeHwnd()) return;
  volumeSlider_.SetBitmapChannel(static_cast<UINT>(ui::kModeSkins[0].volumeChannel),
                                 static_cast<UINT>(ui::kModeSkins[0].volumeActive));
  volumeSlider_.SetRange(0, CMainDlg::kLoudestVolume);
  volumeSlider_.SetPos(CMainDlg::kLoudestVolume);
  volumeSlider_.SetDrawFocusRect(FALSE);
  volumeSlider_.SetPageSize(10);
  volumeSlider_.SetMarginLeft(0);
  volumeSlider_.SetMarginRight(0);
}

// The car speed read-out stays hidden: the main window shows the car's speed.
void VideoCtrlPanel::InitReadOuts() {
  for (CDigiStatic* digits : {&carSpeedDigits_, &videoSpeedDigits_}) {
    if (!digits->GetSafeHwnd()) continue;
    digits->SetColor(kUnlitSegment, kLitSegment);
    digits->ModifyDigiStyle(0, kDigiSmooth);
    digits->ModifyDigiStyle(0, kDigi14Segment | kDigiKeepRatio);
  }
  if (carSpeedDigits_.GetSafeHwnd()) {
    carSpeedDigits_.SetText(L"  0");
    carSpeedDigits_.ShowWindow(SW_HIDE);
  }
  if (videoSpeedDigits_.GetSafeHwnd()) {
    videoSpeedDigits_.SetText(L"X  1 ");
    videoSpeedDigits_.ShowWindow(SW_SHOW);
  }
}

// F6 toggles the version dialog once a press: the key's repeats (previous state down, bit 30) are
// consumed without toggling.
BOOL VideoCtrlPanel::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_F6) {
    const bool repeat = (msg->lParam & (LPARAM{1} << 30)) != 0;
    if (main_ != nullptr && !repeat) main_->ToggleVersionInfo();
    return TRUE;
  }
  return CSidePanel::PreTranslateMessage(msg);
}

LRESULT VideoCtrlPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam)); dc && background_.GetSafeHandle()) {
        PaintBackground(*dc);
        return TRUE;
      }
      break;
    case WM_PAINT: {
      const LRESULT painted = CSidePanel::WindowProc(msg, wParam, lParam);
      for (int id : kUnitButtons) ShowButton(id, false);
      return painted;
    }
    case WM_SIZE: {
      const LRESULT sized = CSidePanel::WindowProc(msg, wParam, lParam);
      LayOut(HIWORD(lParam));
      return sized;
    }
    case WM_LBUTTONDOWN:
      NoteActivity();
      return 0;
    case WM_LBUTTONDBLCLK:
      NoteActivity();
      break;
    case WM_SLIDER_PRESSED:
    case WM_PANEL_COMMAND:
    case WM_SLIDER_DRAGGED:
      return OnSliderMessage(msg, wParam, lParam);
    case WM_BITMAPSLIDER_MOVED:
      OnVolumeSliderMoved(static_cast<int>(lParam));
      return 0;
    default:
      break;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

// Rows keep their heights; the gaps between them follow the height. Nothing moves before the
// controls exist.
void VideoCtrlPanel::LayOut(int height) {
  if (!volumeSlider_.GetSafeHwnd()) return;
  for (const ui::RowControl& row : ui::kVideoPanelControls) PlaceRowControl(row, height);
  Invalidate();
}

// A caption row that a short panel drops hides its controls; the rows it keeps show their own
// visibility, which the sound buttons manage.
void VideoCtrlPanel::PlaceRowControl(const ui::RowControl& row, int height) {
  const ui::LayoutRect r = ui::VideoPanelRect(row, height);
  if (row.id == mainid::kTimeRangeSlider) {
    markBar_.SetWindowRect(r.left, r.top, r.Width(), r.Height());
  } else if (row.id == mainid::kPositionSlider) {
    positionSlider_.SetWindowRect(r.left, r.top, r.Width(), r.Height());
  } else if (CWnd* control = GetDlgItem(row.id)) {
    control->MoveWindow(r.left, r.top, r.Width(), r.Height(), FALSE);
    if (row.row >= 0 && row.row < static_cast<int>(ui::kVideoPanelFirstCompactRow) && !row.hidden) {
      control->ShowWindow(ui::VideoPanelRowShown(row.row, height) ? SW_SHOW : SW_HIDE);
    }
  }
}

// The background is drawn for the panel at its full height. At any height each row's band of it,
// the wells under the row's controls, moves with its row over the panel's plain colour, and the
// edge is drawn around the whole panel.
void VideoCtrlPanel::PaintBackground(CDC& dc) {
  CRect client;
  GetClientRect(&client);
  BITMAP bm{};
  background_.GetBitmap(&bm);
  CMemDC composed(&dc, &client);
  CDC skin;
  skin.CreateCompatibleDC(&dc);
  CBitmap* old = skin.SelectObject(&background_);
  composed.StretchBlt(0, 0, client.Width(), client.Height(), &skin, kPlainSpotX, kPlainSpotY, 1, 1, SRCCOPY);
  for (int row = 0; row < static_cast<int>(ui::kVideoPanelRows.size()); ++row) {
    const CRect band = BandOfRow(row, bm.bmWidth);
    if (band.IsRectEmpty() || !ui::VideoPanelRowShown(row, client.Height())) continue;
    const int shift =
        ui::VideoPanelRowTop(row, client.Height()) - ui::VideoPanelRowTop(row, ui::kVideoPanelDrawnHeight);
    composed.BitBlt(0, band.top + shift, band.Width(), band.Height(), &skin, 0, band.top, SRCCOPY);
  }
  composed.StretchBlt(0, 0, bm.bmWidth, 1, &skin, 0, 0, bm.bmWidth, 1, SRCCOPY);
  composed.StretchBlt(0, client.Height() - 1, bm.bmWidth, 1, &skin, 0, bm.bmHeight - 1, bm.bmWidth, 1, SRCCOPY);
  composed.StretchBlt(0, 0, 1, client.Height(), &skin, 0, kPlainSpotY, 1, 1, SRCCOPY);
  composed.StretchBlt(bm.bmWidth - 1, 0, 1, client.Height(), &skin, bm.bmWidth - 1, kPlainSpotY, 1, 1, SRCCOPY);
  skin.SelectObject(old);
}
