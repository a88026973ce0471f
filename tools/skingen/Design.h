// The design values every skin picture takes its look from (rc/skin/design.json): the palette,
// the button states and looks, geometry and fonts.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <array>

namespace skingen {

// How the classes of the SVG sources are drawn: class name -> presentation attributes. (Given as
// attributes: the SVG renderer drops an element's stroke width when a stylesheet sets its stroke.)
using Classes = QHash<QString, QString>;

enum State { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
inline constexpr int kStateCount = 4;

struct StateLook {
  QColor bodyTop;
  QColor bodyBottom;
  QColor border;
  QColor shine;  // the highlight along the top edge
  QColor ink;
  QColor accent;
  int offset = 0;  // how far the glyph sinks
};

struct Look {
  std::array<StateLook, kStateCount> states;
  double glyphScale = 0.62;
  QColor ground;       // what lies behind the button
  bool plain = false;  // no body: the glyph alone
};

class Design {
 public:
  // False with `error` set for an unreadable file, a bad colour or an unknown colour name.
  bool Load(const QString& path, QString* error);

  // A palette name or #rrggbb.
  QColor Colour(const QString& nameOrHex) const;
  const QMap<QString, QColor>& Palette() const { return palette_; }
  Look LookNamed(const QString& name) const;
  int Geometry(const char* key) const;
  double GlyphScale() const;
  QFont Font(double pixels, const char* weightKey) const;
  // The indicator colours of the car-data inputs.
  QColor IndicatorOff() const;
  QColor IndicatorOn(int input) const;
  // The curve colours of the main window's graph, or of the G-sensor panel's bar.
  QColor GraphPen(int axis, bool bar = false) const;
  // The classes of an SVG source drawn in this state: the palette's and ink, ink-line, accent,
  // accent-line.
  Classes ClassesFor(const StateLook& state) const;
  // The classes of a picture: the palette's only.
  const Classes& PaletteClasses() const { return paletteClasses_; }

 private:
  StateLook ReadState(const QJsonObject& o, const StateLook& base) const;
  void ApplyLook(const QJsonObject& o, Look& look) const;

  QJsonObject root_;
  QMap<QString, QColor> palette_;
  Classes paletteClasses_;
  mutable QStringList unknown_;
};

}  // namespace skingen
