// The side panels' backgrounds.
#include <algorithm>

#include "layout/PanelLayout.h"
#include "layout/SkinIds.h"
#include "tools/skingen/Backgrounds.h"

namespace skingen {
namespace {

constexpr int kMargin = 3;

void DrawEdge(QPainter& p, const Design& d, QSize size) {
  p.setPen(QPen(d.Colour("bar-line"), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
}

bool IsCaption(int skin) { return skin == 1797 || skin == 1798 || skin == 1799; }

// Wells under the panel's visible controls; controls at the same place share one.
void DrawWells(QPainter& p, const Design& d, std::span<const ui::PanelControl> controls) {
  for (const ui::PanelControl& ctl : controls) {
    if (!ctl.hidden) DrawWell(p, d, ToQRect(ctl.rect), kMargin, d.Colour("well"));
  }
}

// A grid of `columns` equal cells, as the grids divide their width: the hours centred over every
// other cell, the minutes at the start of every fifth.
void DrawCellLabels(QPainter& p, const Design& d, const QRect& grid, int columns, int first) {
  const bool hours = columns == 12;
  const QFont font = d.Font(10, "label-weight");
  for (int col = 0; col < columns; col += hours ? 2 : 5) {
    const int x = grid.left() + col * grid.width() / columns;
    const int w = (col + 1) * grid.width() / columns - col * grid.width() / columns;
    const QRectF box = hours ? QRectF(x - 8, grid.top() - 16, w + 16, 14) : QRectF(x, grid.top() - 16, 30, 14);
    DrawText(p, box, QString::number(first + col), font, d.Colour("label"),
             (hours ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignBottom);
  }
}

void DrawBarGraph(QPainter& p, const Design& d, QSize size) {
  const int left = ui::kGsensorBarLeftMargin;
  const int right = size.width() - ui::kGsensorBarRightMargin;
  const int mid = size.height() / 2;
  const int full = size.height() / 10 * 2;  // a value of 1024
  const QRect area(left - 4, 62, right - left + 8, 2 * (mid - 62));
  p.fillRect(area, d.Colour("graph"));
  p.setPen(QPen(d.Colour("graph-grid"), 1));
  for (int x = left; x < right; x += 40) p.drawLine(QPointF(x + 0.5, area.top()), QPointF(x + 0.5, area.bottom()));
  for (int y : {mid - full, mid - full / 2, mid + full / 2, mid + full}) {
    p.drawLine(QPointF(area.left(), y + 0.5), QPointF(area.right(), y + 0.5));
  }
  p.setPen(QPen(d.Colour("graph-axis"), 1));
  p.drawLine(QPointF(area.left(), mid + 0.5), QPointF(area.right(), mid + 0.5));
  p.setPen(QPen(d.Colour("bar-line"), 1));
  p.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));
  const QFont font = d.Font(12, "caption-weight");
  const char* const axes[] = {"X", "Y", "Z"};
  for (int axis = 0; axis < 3; ++axis) {
    DrawText(p, QRectF(left + axis * 28, area.bottom() + 8, 24, 18), axes[axis], font, d.GraphPen(axis, true));
  }
}

// A panel's background: the panel colour within its edge, then what `draw` adds.
template <typename Draw>
QImage PaintPanel(const Design& d, QSize size, Draw draw) {
  QImage image = NewImage(size, d.Colour("panel"));
  QPainter p(&image);
  Smooth(p);
  DrawEdge(p, d, size);
  draw(p);
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QImage VideoPanelBackground(Context& c) {
  const Design& d = c.design;
  return PaintPanel(d, QSize(ui::kVideoPanelWidth, ui::kVideoPanelDesignHeight), [&](QPainter& p) {
    QRect sliders;  // the range slider and the position slider share one well
    for (const ui::RowControl& ctl : ui::kVideoPanelControls) {
      if (ctl.hidden || ctl.row < 0 || IsCaption(ctl.skin)) continue;
      const QRect r = ToQRect(ui::VideoPanelRect(ctl, ui::kVideoPanelDrawnHeight));
      if (ctl.id == 1575 || ctl.id == 1045) {
        sliders |= r;
        continue;
      }
      DrawWell(p, d, r, kMargin + 1, d.Colour(ctl.id == 1703 ? "screen" : "well"));
    }
    DrawWell(p, d, sliders, kMargin + 1, d.Colour("well"));
  });
}

QImage GsensorPanelBackground(Context& c) {
  const Design& d = c.design;
  const ui::PanelLayout& panel = ui::kGsensorPanel;
  const QSize size(panel.width, panel.height);
  return PaintPanel(d, size, [&](QPainter& p) {
    DrawBarGraph(p, d, size);
    DrawWells(p, d, panel.controls);
  });
}

QImage CalendarPanelBackground(Context& c) {
  const Design& d = c.design;
  const ui::PanelLayout& panel = ui::kCalendarPanel;
  const auto rect = [&](int id) {
    for (const ui::PanelControl& ctl : panel.controls) {
      if (ctl.id == id) return ToQRect(ctl.rect);
    }
    return QRect();
  };
  return PaintPanel(d, QSize(panel.width, panel.height), [&](QPainter& p) {
    DrawWell(p, d, rect(1000), 0, d.Colour("well"));
    DrawWell(p, d, rect(1501) | rect(1502), 2, d.Colour("well"));
    DrawWell(p, d, rect(1503), 2, d.Colour("well"));
    DrawWell(p, d, rect(1504), 2, d.Colour("well"));
    DrawCellLabels(p, d, rect(1501), 12, 0);
    DrawCellLabels(p, d, rect(1502), 12, 12);
    DrawCellLabels(p, d, rect(1503), 30, 0);
    DrawCellLabels(p, d, rect(1504), 30, 30);
    DrawWell(p, d, rect(1029), kMargin, d.Colour("well"));
  });
}

QImage SpeedPanelBackground(Context& c, int mode) {
  const Design& d = c.design;
  const ui::PanelLayout& panel = ui::kSpeedPanel[static_cast<size_t>(mode)];
  const ui::SpeedPanelSkins& skins = ui::kSpeedPanelSkins[static_cast<size_t>(mode)];
  return PaintPanel(d, QSize(panel.width, panel.height), [&](QPainter& p) {
    const QRect slider(ui::kSpeedPanelSliderX, ui::kSpeedPanelSliderY, skins.trackWidth, skins.trackHeight);
    DrawWell(p, d, slider, kMargin, d.Colour("well"));
    const int thumb = ui::FindSkinImage(skins.thumb)->width;
    const QFont font = d.Font(11, "label-weight");
    DrawSpeedLevels(p, d, slider, thumb, QRectF(slider.left(), slider.bottom() + 6, slider.width(), 14), font);
    DrawWells(p, d, panel.controls);
  });
}

QImage VolumePanelBackground(Context& c) {
  const Design& d = c.design;
  const ui::PanelLayout& panel = ui::kVolumePanel;
  const QSize size(panel.width, panel.height);
  return PaintPanel(d, size, [&](QPainter& p) {
    const QRect slider = ToQRect(panel.controls.front().rect);
    const int g = slider.top() - 16;
    StateLook s;
    s.ink = d.Colour("label");
    s.accent = d.Colour("accent");
    c.sources.Draw(p, "sound-on", d.ClassesFor(s), QRectF((size.width() - g) / 2.0, 6, g, g));
    DrawWells(p, d, panel.controls);
  });
}

QImage CarDataPanelBackground(Context& c) {
  const Design& d = c.design;
  const ui::PanelLayout& panel = ui::kCarDataPanel;
  return PaintPanel(d, QSize(panel.width, panel.height), [&](QPainter& p) {
    QRect card = ToQRect(ui::kCarDataTextLines);
    for (int input = 0; input < ui::kCarDataInputs; ++input) card |= ToQRect(ui::CarDataPictureRect(input));
    DrawWell(p, d, card, 6, d.Colour("well"));
    DrawWells(p, d, panel.controls);
  });
}

}  // namespace skingen
