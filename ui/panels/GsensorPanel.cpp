#include "ui/panels/GsensorPanel.h"

#include "controls/Messages.h"
#include "engine/IIbpCtrl.h"
#include "platform/wnd/PaintDC.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr COLORREF kCursorColour = RGB(200, 200, 200);

}  // namespace

GsensorPanel::GsensorPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

BOOL GsensorPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kGsensorPanel.background);
  InitSliders();
  PlaceButtons(ui::kGsensorPanelControls, {mainid::kTimeRangeSlider, mainid::kPositionSlider});
  SetRegionShape({4, 4, 0});
  CRect client;
  GetClientRect(&client);
  bar_.SetLayout(client.left, client.top, client.right, client.bottom, 0, 0, -1, 0);
  FollowVideoPanelSliders();
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

// The main window's sliders reach the video control panel's twins; this panel's twins follow
// those, so that every setter of the main window's sliders reaches them too.
void GsensorPanel::FollowVideoPanelSliders() {
  if (main_ == nullptr) return;
  VideoCtrlPanel& video = main_->GetVideoCtrlPanel();
  if (!video.GetSafeHwnd()) return;
  video.PositionSlider().SetLinkedButton(&positionSlider_);
  video.MarkBar().SetLinkedButton(&markBar_);
}

void GsensorPanel::Refresh() {
  if (!m_hWnd) return;
  InvalidateRect(GraphRect(), TRUE);
  markBar_.Invalidate();
}

void GsensorPanel::Redraw() {
  if (m_hWnd) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

int GsensorPanel::XToTime(int x) const {
  if (main_ == nullptr || !m_hWnd) return 0;
  CRect client;
  GetClientRect(&client);
  const CVxSkinSldButton& position = main_->GetPositionSlider();
  return GsensorBar::XToTime(x, client, kLeftMargin, kRightMargin, position.GetRangeMin(), position.GetRangeMax());
}

CRect GsensorPanel::GraphRect() const {
  CRect client;
  GetClientRect(&client);
  return {kLeftMargin - 4, kGraphTop, client.right - kRightMargin + 4, 2 * bar_.Middle() - kGraphTop};
}

LRESULT GsensorPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      CPaintDC dc(this);
      PaintGraph(dc);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const LRESULT result = CSidePanel::WindowProc(msg, wParam, lParam);
      SetFocus();
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = CSidePanel::WindowProc(msg, wParam, lParam);
      OnGraphClick(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return result;
    }
    case WM_MOUSELEAVE:
      bar_.SetTracking(false);
      break;
    case WM_SLIDER_PRESSED:
    case WM_PANEL_COMMAND:
    case WM_SLIDER_DRAGGED:
      return OnSliderMessage(msg, wParam, lParam);
    default:
      break;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

// Over the panel's background, drawn afresh so that no earlier curve or cursor stays: the curves
// of the columns reached so far, and the cursor where the graph was last clicked.
void GsensorPanel::PaintGraph(CDC& dc) {
  OnEraseBkgnd(dc);
  bar_.Draw(&dc);
  const CRect graph = GraphRect();
  const int x = bar_.CursorX();
  if (x <= graph.left || x >= graph.right) return;
  CPen pen(PS_SOLID, 1, kCursorColour);
  CPen* old = dc.SelectObject(&pen);
  dc.MoveTo(x, graph.top);
  dc.LineTo(x, graph.bottom);
  dc.SelectObject(old);
}

// The cursor goes to the click; a recording that the engine holds is sought to the time there.
void GsensorPanel::OnGraphClick(CPoint point) {
  bar_.SetTracking(false);
  const int time = XToTime(point.x);
  bar_.SetCursorX(point.x);
  const IIbpCtrl* engine = Engine();
  if (engine != nullptr && engine->GetCurrentEntry() != nullptr) SendToMain(WM_PANEL_COMMAND, kSliderSeek, time);
  Invalidate();
}

LRESULT GsensorPanel::OnSliderMessage(UINT msg, WPARAM kind, LPARAM value) {
  HandRangeToMain(markBar_);
  SendToMain(msg, kind, value);
  if (msg == WM_SLIDER_DRAGGED) {
    positionSlider_.Invalidate();
  } else {
    Invalidate();
  }
  return 0;
}

bool GsensorPanel::OnButton(int id) {
  switch (id) {
    case mainid::kClose:
      HidePanel();
      return true;
    case mainid::kBackupSelected:
      ClickMainButton(id);
      return true;
    default:
      return false;
  }
}
