// The graph area of the main window: the G-sensor curve over the mode's graph picture, the
// position text and the speed read-out with its unit.
#include <array>
#include <cmath>

#include "platform/gdi/GdiQt.h"
#include "platform/wnd/PaintDC.h"
#include "ui/MainDlg.h"

namespace {

// The curve's pens: x red, y green, z blue (0x00BBGGRR).
constexpr std::array<COLORREF, 3> kAxisColours{0x0000FF, 0x00FF00, 0xFF0000};
// A value of this size reaches the gain's height above or below the middle line.
constexpr int kFullScale = 512;
constexpr double kGainDivisor = 3.5;

constexpr std::array<double, 3> kPositionTextScale{1.0, 0.9, 0.8};
constexpr COLORREF kPositionTextColour = 0x0000FF;
const CPoint kLatitudeAt(35, 197);
const CPoint kLongitudeAt(35, 182);

// The speed in the chosen unit and that unit's picture (none is shipped).
constexpr double kKmPerMile = 1.609;
constexpr double kKmPerNauticalMile = 1.852;
constexpr UINT kMphPicture = 1711;
constexpr UINT kKnotsPicture = 1710;
constexpr UINT kKmhPicture = 1712;
constexpr UINT kUnitPictureModeStep = 10;

CString PositionText(double value, wchar_t positive, wchar_t negative) {
  CString text;
  text.Format(L"%9.6f  %c", std::fabs(value), value < 0.0 ? negative : positive);
  return text;
}

CPoint Scaled(CPoint p, double scale) {
  return CPoint(static_cast<int>(p.x * scale), static_cast<int>(p.y * scale));
}

// A copy of the bitmap in a bitmap of its own, which the caller may draw on.
bool CopyBitmap(CDC& reference, CBitmap& source, CBitmap& copy, CSize size) {
  if (size.cx <= 0 || size.cy <= 0 || !copy.CreateCompatibleBitmap(&reference, size.cx, size.cy)) return false;
  CDC from;
  CDC to;
  from.CreateCompatibleDC(&reference);
  to.CreateCompatibleDC(&reference);
  CBitmap* oldFrom = from.SelectObject(&source);
  CBitmap* oldTo = to.SelectObject(&copy);
  to.BitBlt(0, 0, size.cx, size.cy, &from, 0, 0, SRCCOPY);
  from.SelectObject(oldFrom);
  to.SelectObject(oldTo);
  return true;
}

CSize BitmapSize(const CBitmap& bitmap) {
  BITMAP bm{};
  if (bitmap.GetSafeHandle() == nullptr || bitmap.GetBitmap(&bm) == 0) return CSize(0, 0);
  return CSize(bm.bmWidth, bm.bmHeight);
}

}  // namespace

// The graph area is as large as the mode's graph picture; 0 x 0 without it.
CSize CMainDlg::GraphSize() const { return BitmapSize(graphBitmap_); }

void CMainDlg::DrawGsensorGraph(CDC& dc) {
  const CSize size = GraphSize();
  CBitmap graph;
  if (GsensorPointCap() > 0 && CopyBitmap(dc, graphBitmap_, graph, size)) {
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    CBitmap* old = memory.SelectObject(&graph);
    if (!gsensorPoints_.empty()) {
      for (int axis = 0; axis < 3; ++axis) DrawGsensorCurve(memory, axis, kAxisColours[static_cast<size_t>(axis)]);
    }
    const ui::LayoutRect& area = ui::AreaRect(ui::Area::kGsensorGraph, uiMode_);
    if (!mapView_) dc.BitBlt(area.left, area.top, size.cx, size.cy, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
  }
  CBitmap text;
  const CSize textSize = BitmapSize(positionTextBitmap_);
  if (CopyBitmap(dc, positionTextBitmap_, text, textSize)) {
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    CBitmap* old = memory.SelectObject(&text);
    DrawPositionText(memory);
    const ui::LayoutRect& area = ui::AreaRect(ui::Area::kPositionText, uiMode_);
    dc.BitBlt(area.left, area.top, textSize.cx, textSize.cy, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
  }
  RefreshGpsPanels();
}

// From the left margin on, one pixel per point, around the middle line of the graph.
void CMainDlg::DrawGsensorCurve(CDC& dc, int axis, COLORREF colour) {
  const CSize size = GraphSize();
  const int points = std::min(static_cast<int>(gsensorPoints_.size()), size.cx - graphLimit_ + 1);
  if (points <= 0 || axis < 0 || axis > 2) return;
  const int middle = size.cy / 2;
  const int gain = static_cast<int>(size.cy / kGainDivisor);
  auto yOf = [&](const GsensorPoint& p) {
    const int v = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
    return middle - v * gain / kFullScale;
  };
  CPen pen(PS_SOLID, 1, colour);
  CPen* old = dc.SelectObject(&pen);
  int x = graphLimit_;
  dc.MoveTo(x, yOf(gsensorPoints_.front()));
  for (int i = 1; i < points; ++i) dc.LineTo(++x, yOf(gsensorPoints_[static_cast<size_t>(i)]));
  dc.SelectObject(old);
}

// Latitude and longitude of the fix, nothing while there is none.
void CMainDlg::DrawPositionText(CDC& dc) {
  if (!hasFix_) return;
  const double scale = kPositionTextScale[static_cast<size_t>(std::clamp(uiMode_, 0, 2))];
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kPositionTextColour);
  const CPoint latitudeAt = Scaled(kLatitudeAt, scale);
  const CPoint longitudeAt = Scaled(kLongitudeAt, scale);
  dc.TextOut(latitudeAt.x, latitudeAt.y, PositionText(latitude_, L'N', L'S'));
  dc.TextOut(longitudeAt.x, longitudeAt.y, PositionText(longitude_, L'E', L'W'));
}

// The speed in the unit of the on-screen text: 1 miles, 2 knots, else km/h. The car's own speed,
// which the on-screen text shows, when the recording carries it; else the GPS speed.
void CMainDlg::DrawSpeed(CDC& dc) {
  if (recordView_) return;
  double speed = hasCarData_ ? carData_.speed : speedKmh_;
  UINT unit = kKmhPicture;
  if (edrSpeedUnit_ == 1) {
    speed /= kKmPerMile;
    unit = kMphPicture;
  } else if (edrSpeedUnit_ == 2) {
    speed /= kKmPerNauticalMile;
    unit = kKnotsPicture;
  }
  speedText_.Format(L"%3.0f", speed);
  if (speedDigits_.GetSafeHwnd()) speedDigits_.SetText(speedText_);
  unit += kUnitPictureModeStep * static_cast<UINT>(uiMode_);
  CBitmap picture;
  if (!plat::HasBitmapResource(unit) || !picture.LoadBitmap(unit)) return;
  const CSize size = BitmapSize(picture);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap* old = memory.SelectObject(&picture);
  const ui::LayoutRect& at = ui::AreaRect(ui::Area::kSpeedUnit, uiMode_);
  dc.BitBlt(at.left, at.top, size.cx, size.cy, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}
