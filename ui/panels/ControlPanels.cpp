#include "ui/panels/ControlPanels.h"

#include "platform/gdi/Dc.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr int kMaxButton = 1776;
constexpr int kMenuButton = 1744;
constexpr COLORREF kSeeThrough = RGB(0, 0, 0);
// The layered window's alpha, which the colour key alone leaves unused.
constexpr BYTE kUnusedAlpha = 100;
// How far the band behind the buttons reaches above and below them.
constexpr int kBandPad = 12;

}  // namespace

CCtrlPanel::CCtrlPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

int CCtrlPanel::ButtonGap(int width) {
  return static_cast<int>(static_cast<double>(width - kBaseWidth) / (1453 - kBaseWidth) * 100);
}

BOOL CCtrlPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  face_ = PlainPanelColour();
  edge_ = PanelSkinColour(0, kPlainSpotY);
  PlaceButtons(ui::kControlBarControls);
  auto [playback, made] = buttons_.try_emplace(mainid::kPlayback);
  if (playback->second.SubclassDlgItem(mainid::kPlayback, this)) {
    playback->second.ShowWindow(SW_HIDE);
  } else {
    buttons_.erase(playback);
  }
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width());
  SetLayeredLook(kSeeThrough, kUnusedAlpha, LWA_COLORKEY);
  return TRUE;
}

LRESULT CCtrlPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) {
        PaintGround(*dc);
        return TRUE;
      }
      break;
    case WM_SIZE: {
      const LRESULT sized = CSidePanel::WindowProc(msg, wParam, lParam);
      LayOut(LOWORD(lParam));
      return sized;
    }
    case WM_LBUTTONDOWN:
      NoteActivity();
      break;
    default:
      break;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

// The buttons stand in table order at one height, spaced by the bar's width.
void CCtrlPanel::LayOut(int width) {
  const int step = ButtonGap(width) + kButtonWidth;
  int x = kFirstButtonX;
  for (const ui::PanelControl& c : ui::kControlBarControls) {
    if (CVxSkinButton* button = Button(c.id)) button->MoveWindow(x, kButtonTop, kButtonWidth, kButtonHeight, FALSE);
    x += step;
  }
  Invalidate();
}

// The bar's black is see-through: only the band behind the buttons, edged above and below, is
// seen over the video. (The design stretched a whole window background over the bar.)
void CCtrlPanel::PaintGround(CDC& dc) {
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, kSeeThrough);
  const CRect band(0, kButtonTop - kBandPad, client.Width(), kButtonTop + kButtonHeight + kBandPad);
  dc.FillSolidRect(&band, edge_);
  dc.FillSolidRect(band.left, band.top + 1, band.Width(), band.Height() - 2, face_);
}

bool CCtrlPanel::OnButton(int id) {
  switch (id) {
    case mainid::kBackup:
    case mainid::kPlayback:
      ClickMainButton(id);
      NoteActivity();
      return true;
    case mainid::kSnapShot:
    case mainid::kConfiguration:
    case mainid::kFormat:
      ClickMainButton(id);
      return true;
    case mainid::kCalendarPanel:
      if (main_ != nullptr) main_->GetCalendarPanel().Toggle(-1);
      NoteActivity();
      return true;
    case mainid::kNoEffect:  // the bar's "Gsensor Button"
      if (main_ != nullptr) main_->GetGsensorPanel().Toggle(-1);
      NoteActivity();
      return true;
    case mainid::kMapPage:
      ToggleMapPage();
      return true;
    case mainid::kCompassPanel:
      if (main_ != nullptr && main_->GetCompassPanel().GetSafeHwnd()) main_->GetCompassPanel().Toggle(-1);
      NoteActivity();
      return true;
    default:
      return false;
  }
}

// The map page leaves its place in the main window for a window of its own, which the button then
// shows or hides.
void CCtrlPanel::ToggleMapPage() {
  if (main_ == nullptr) return;
  CMapDlg& map = main_->GetMapDlg();
  if (!map.GetSafeHwnd()) return;
  map.Float();
  map.ShowWindow(map.IsWindowVisible() ? SW_HIDE : SW_SHOW);
}

CClosePanel::CClosePanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

// "Max" does nothing: it shows no tip, whose text would speak of the volume. Around the buttons
// the strip shows the panels' own colour.
BOOL CClosePanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  face_ = PlainPanelColour();
  PlaceButtons(ui::kCaptionPanelControls);
  if (CVxSkinButton* max = Button(kMaxButton)) tooltip_.DelTool(max);
  SetRegionShape({ui::kCaptionRegionInset, ui::kCaptionRegionInset, 0});
  return TRUE;
}

LRESULT CClosePanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) {
      CRect client;
      GetClientRect(&client);
      dc->FillSolidRect(&client, face_);
      return TRUE;
    }
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

bool CClosePanel::OnButton(int id) {
  switch (id) {
    case mainid::kClose:
      ClickMainButton(id);
      return true;
    case kMaxButton:
      return true;
    case kMenuButton:
      if (main_ != nullptr && main_->GetSafeHwnd()) main_->ShowWindow(SW_MINIMIZE);
      return true;
    default:
      return false;
  }
}
