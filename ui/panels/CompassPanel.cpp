#include "ui/panels/CompassPanel.h"

#include <cmath>

#include "platform/gdi/RotatedBitmap.h"
#include "platform/wnd/PaintDC.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr COLORREF kTextColour = 0x0000FF;
constexpr COLORREF kNeedleKey = RGB(0, 0, 0);
constexpr int kLatitudeX = 13;
constexpr int kLongitudeX = 112;
// The position texts' font: 15 points of a narrow face, or less when the widest position would
// not fit its well beneath the face.
constexpr int kLargestPoints = 150;
constexpr int kSmallestPoints = 80;
constexpr wchar_t kTextFace[] = L"DejaVu Sans Condensed";
constexpr wchar_t kWidestText[] = L"180.000000 W";
constexpr int kTextWidth = 104;

}  // namespace

CompassPanel::CompassPanel(CWnd* parent) : CSidePanel(kTemplate, parent) {}

CString CompassPanel::PositionText(double value, wchar_t positive, wchar_t negative) {
  CString text;
  if (value == kNoPosition || !std::isfinite(value)) return text;
  text.Format(L"%9.6f %c", std::fabs(value), value < 0 ? negative : positive);
  return text;
}

BOOL CompassPanel::OnInitDialog() {
  CSidePanel::OnInitDialog();
  TakeSkin(ui::kCompassPanel.background);
  needle_.LoadBitmap(ui::kCompassNeedle);
  ChooseFont();
  PlaceButtons(ui::kCompassPanelControls);
  SetRegionShape({4, 4, 0});
  return TRUE;
}

void CompassPanel::ChooseFont() {
  CClientDC dc(this);
  for (int points = kLargestPoints; points >= kSmallestPoints; points -= 5) {
    font_.DeleteObject();
    if (!font_.CreatePointFont(points, kTextFace)) return;
    CFont* old = dc.SelectObject(&font_);
    const int width = dc.GetTextExtent(kWidestText).cx;
    dc.SelectObject(old);
    if (width <= kTextWidth) return;
  }
}

CompassPanel::Fix CompassPanel::CurrentFix() const {
  if (main_ == nullptr) return {};
  return {main_->GetLatitude(), main_->GetLongitude(), main_->GetCourse()};
}

LRESULT CompassPanel::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    CPaintDC dc(this);
    Paint(dc);
    return 0;
  }
  return CSidePanel::WindowProc(msg, wParam, lParam);
}

// Over the face (the panel's background, drawn afresh so that no earlier needle or position
// stays) the needle turns about its pivot by the course, its black parts left out; the position
// follows below.
void CompassPanel::Paint(CDC& dc) {
  OnEraseBkgnd(dc);
  const Fix fix = CurrentFix();
  BITMAP bm{};
  if (needle_.GetSafeHandle() && needle_.GetBitmap(&bm)) {
    plat::RotatedDraw how;
    how.pivot = {ui::kCompassPivotX, ui::kCompassPivotY};
    how.anchor = {bm.bmWidth / 2, bm.bmHeight - bm.bmWidth / 2};
    how.degrees = std::isfinite(fix.course) ? fix.course : 0.0;
    how.colorKey = kNeedleKey;
    plat::DrawRotatedBitmap(dc, needle_, how);
  }
  DrawPosition(dc, fix);
}

void CompassPanel::DrawPosition(CDC& dc, const Fix& fix) {
  const int saved = dc.SaveDC();
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kTextColour);
  if (font_.GetSafeHandle()) dc.SelectObject(&font_);
  const CString latitude = PositionText(fix.latitude, L'N', L'S');
  const CString longitude = PositionText(fix.longitude, L'E', L'W');
  dc.TextOut(kLatitudeX, ui::kCompassTextY, latitude);
  dc.TextOut(kLongitudeX, ui::kCompassTextY, longitude);
  dc.RestoreDC(saved);
}

bool CompassPanel::OnButton(int id) {
  if (id != mainid::kClose) return false;
  HidePanel();
  return true;
}
