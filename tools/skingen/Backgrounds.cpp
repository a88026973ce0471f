// The main window's backgrounds.
#include "tools/skingen/Backgrounds.h"

#include <algorithm>

#include "layout/PanelLayout.h"
#include "layout/SkinIds.h"
#include "tools/skingen/Pictures.h"

namespace skingen {
namespace {

struct ModeMetrics {
  int mode;
  double scale;  // against the 1920-pixel layout
  int margin;    // of a well beyond its control
  int bezel;     // of the video frame
};

ModeMetrics MetricsOf(const Design& d, int mode) {
  const double scale = ui::kWindowSize[static_cast<size_t>(mode)].width / 1920.0;
  return {mode, scale, mode == 0 ? d.Geometry("well-margin") : d.Geometry("well-margin") - 1, std::max(3, qRound(6 * scale))};
}

QRect Area(ui::Area area, int mode) { return ToQRect(ui::AreaRect(area, mode)); }

void DrawScreen(QPainter& p, const Design& d, const QRect& r, int bezel) {
  DrawWell(p, d, r, bezel, d.Colour("screen"));
}

// The top and bottom bars, and the card that holds the right-hand column.
void DrawFrame(QPainter& p, const Design& d, const ModeMetrics& m, QSize size) {
  FillVertical(p, RoundedBox(QRectF(0, 0, size.width(), size.height()), 0), d.Colour("body-top"), d.Colour("body-bottom"));
  const QRect video = Area(ui::Area::kVideo, m.mode);
  const QRect graph = Area(ui::Area::kGsensorGraph, m.mode);
  const int topBar = video.top() - m.bezel - 2;
  const int bottomBar = std::max(video.bottom(), graph.bottom()) + m.bezel + 3;
  p.fillRect(QRect(0, 0, size.width(), topBar), d.Colour("bar"));
  p.fillRect(QRect(0, bottomBar, size.width(), size.height() - bottomBar), d.Colour("bar"));
  p.setPen(QPen(d.Colour("bar-line"), 1));
  p.drawLine(QPointF(0, topBar - 0.5), QPointF(size.width(), topBar - 0.5));
  p.drawLine(QPointF(0, bottomBar + 0.5), QPointF(size.width(), bottomBar + 0.5));
  const double left = video.right() + 1 + m.bezel + 3 * m.scale;
  const double top = video.top() - m.bezel;
  const QRectF column(left, top, size.width() - 4 * m.scale - left, bottomBar - 3 * m.scale - top);
  const QPainterPath path = RoundedBox(column.adjusted(0.5, 0.5, -0.5, -0.5), d.Geometry("corner-radius"));
  p.fillPath(path, d.Colour("panel"));
  p.setPen(QPen(d.Colour("bar-line"), 1));
  p.drawPath(path);
}

void DrawChannelArea(QPainter& p, const Design& d, const ModeMetrics& m, bool second) {
  if (!second) {
    DrawScreen(p, d, Area(ui::Area::kVideo, m.mode), m.bezel);
    return;
  }
  const ui::ChannelGrid& grid = ui::kLayout4Grid[static_cast<size_t>(m.mode)];
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) DrawScreen(p, d, ToQRect(grid.CellRect(column, row)), m.bezel);
  }
}

void DrawAreas(Context& c, QPainter& p, const ModeMetrics& m) {
  const Design& d = c.design;
  const QRect snapshot = Area(ui::Area::kSnapshot, m.mode);
  DrawScreen(p, d, snapshot, m.margin);
  const int g = qRound(std::min(snapshot.width(), snapshot.height()) * 0.32);
  StateLook faint;
  faint.ink = faint.accent = d.Colour("well-light");
  c.sources.Draw(p, "snapshot", d.ClassesFor(faint),
                 QRectF(snapshot.center().x() - g / 2.0, snapshot.center().y() - g / 2.0, g, g));
  DrawWell(p, d, Area(ui::Area::kGsensorGraph, m.mode), m.margin, d.Colour("well"));
  DrawWell(p, d, Area(ui::Area::kBitmapVolume, m.mode), m.margin, d.Colour("well"));
}

// A place whose controls are all hidden at start (the area tabs, shown only with the record list)
// gets no well: an empty well reads as a broken button, and their own art carries a frame.
bool ShownAtStartAt(const ui::LayoutRect& place, int mode) {
  for (const ui::MainControl& ctl : ui::kMainControls) {
    const ui::LayoutRect& r = ctl.rect[static_cast<size_t>(mode)];
    if (!ctl.hiddenAtStart && r.left == place.left && r.top == place.top) return true;
  }
  return false;
}

void DrawControlWells(QPainter& p, const Design& d, const ModeMetrics& m) {
  for (const ui::MainControl& ctl : ui::kMainControls) {
    const ui::LayoutRect& r = ctl.rect[static_cast<size_t>(m.mode)];
    if (r.IsEmpty() || !ShownAtStartAt(r, m.mode)) continue;
    // The vertical volume slider is never shown; the bitmap volume slider stands at its place.
    if (ctl.kind == ui::ControlKind::kVerticalSlider) continue;
    DrawWell(p, d, ToQRect(r), m.margin, d.Colour("well"));
  }
}

// The speed levels under the speed slider, each under the thumb's centre at that level.
void DrawSpeedScale(QPainter& p, const Design& d, const ModeMetrics& m) {
  const QRect slider = ToQRect(ui::FindMainControl(1047)->rect[static_cast<size_t>(m.mode)]);
  const ui::SkinImage* thumb = ui::FindSkinImage(ui::kModeSkins[static_cast<size_t>(m.mode)].speedThumb);
  const QFont font = d.Font(std::max(8.0, 10 * m.scale + 1.5), "label-weight");
  const int top = slider.bottom() + 1 + m.margin;
  const int height = qRound(12 * std::max(m.scale, 0.75));
  DrawSpeedLevels(p, d, slider, thumb->width, QRectF(slider.left(), top, slider.width(), height), font);
}

}  // namespace

QImage MainBackground(Context& c, int mode, bool second, bool marked) {
  const ui::WindowSize& ws = ui::kWindowSize[static_cast<size_t>(mode)];
  const QSize size(ws.width, ws.height);
  const ModeMetrics m = MetricsOf(c.design, mode);
  QImage image = NewImage(size);
  QPainter p(&image);
  Smooth(p);
  DrawFrame(p, c.design, m, size);
  DrawChannelArea(p, c.design, m, second);
  DrawAreas(c, p, m);
  DrawControlWells(p, c.design, m);
  DrawSpeedScale(p, c.design, m);
  if (marked) DrawProductMark(c, p, Area(ui::Area::kProductMark, mode), c.design.Colour("label"));
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace skingen
