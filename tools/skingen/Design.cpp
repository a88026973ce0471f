#include "tools/skingen/Design.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace skingen {
namespace {

QString Hex(const QColor& c) { return c.name(QColor::HexRgb); }

QString Line(const QColor& c) {
  return QStringLiteral("fill=\"none\" stroke=\"%1\" stroke-linecap=\"round\" stroke-linejoin=\"round\"").arg(Hex(c));
}

QString Fill(const QColor& c) { return QStringLiteral("fill=\"%1\"").arg(Hex(c)); }

}  // namespace

bool Design::Load(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read %1").arg(path);
    return false;
  }
  QJsonParseError parse;
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
  if (!doc.isObject()) {
    *error = QStringLiteral("%1: %2").arg(path, parse.errorString());
    return false;
  }
  root_ = doc.object();
  const QJsonObject palette = root_.value("palette").toObject();
  for (auto it = palette.begin(); it != palette.end(); ++it) {
    const QColor c(it.value().toString());
    if (!c.isValid()) {
      *error = QStringLiteral("%1: colour %2 is not #rrggbb").arg(path, it.key());
      return false;
    }
    palette_.insert(it.key(), c);
    paletteClasses_.insert("p-" + it.key(), Fill(c));
    paletteClasses_.insert("s-" + it.key(), Line(c));
  }
  // Resolve every look once, so that a misspelt colour fails the build here.
  for (const QString& name : root_.value("looks").toObject().keys()) LookNamed(name);
  if (!unknown_.isEmpty()) {
    *error = QStringLiteral("%1: unknown colours %2").arg(path, unknown_.join(", "));
    return false;
  }
  return true;
}

QColor Design::Colour(const QString& nameOrHex) const {
  if (nameOrHex.startsWith('#')) return QColor(nameOrHex);
  const auto it = palette_.find(nameOrHex);
  if (it != palette_.end()) return *it;
  unknown_ << nameOrHex;
  return QColor(Qt::magenta);
}

StateLook Design::ReadState(const QJsonObject& o, const StateLook& base) const {
  StateLook s = base;
  const QJsonArray body = o.value("body").toArray();
  if (body.size() == 2) {
    s.bodyTop = Colour(body[0].toString());
    s.bodyBottom = Colour(body[1].toString());
  }
  if (o.contains("border")) s.border = Colour(o.value("border").toString());
  if (o.contains("shine")) s.shine = Colour(o.value("shine").toString());
  if (o.contains("ink")) s.ink = Colour(o.value("ink").toString());
  if (o.contains("accent")) s.accent = Colour(o.value("accent").toString());
  if (o.contains("offset")) s.offset = o.value("offset").toInt();
  return s;
}

void Design::ApplyLook(const QJsonObject& o, Look& look) const {
  static const char* const kNames[kStateCount] = {"normal", "hover", "pressed", "disabled"};
  for (int i = 0; i < kStateCount; ++i) {
    look.states[static_cast<size_t>(i)] = ReadState(o.value(kNames[i]).toObject(), look.states[static_cast<size_t>(i)]);
  }
  if (o.contains("glyph-scale")) look.glyphScale = o.value("glyph-scale").toDouble();
  if (o.contains("ground")) look.ground = Colour(o.value("ground").toString());
  if (o.contains("plain")) look.plain = o.value("plain").toBool();
}

Look Design::LookNamed(const QString& name) const {
  Look look;
  look.glyphScale = GlyphScale();
  look.ground = Colour("well");
  ApplyLook(root_.value("states").toObject(), look);
  const QJsonObject looks = root_.value("looks").toObject();
  if (!looks.contains(name)) unknown_ << ("look " + name);
  const QJsonObject own = looks.value(name).toObject();
  if (own.contains("base")) ApplyLook(looks.value(own.value("base").toString()).toObject(), look);
  ApplyLook(own, look);
  return look;
}

int Design::Geometry(const char* key) const { return root_.value("geometry").toObject().value(key).toInt(); }

double Design::GlyphScale() const { return root_.value("geometry").toObject().value("glyph-scale").toDouble(0.62); }

QFont Design::Font(double pixels, const char* weightKey) const {
  const QJsonObject fonts = root_.value("fonts").toObject();
  QFont font(fonts.value("family").toString());
  font.setPixelSize(qMax(1, qRound(pixels)));
  font.setBold(fonts.value(weightKey).toString() == "bold");
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QColor Design::IndicatorOff() const { return Colour(root_.value("indicators").toObject().value("off").toString()); }

QColor Design::IndicatorOn(int input) const {
  return Colour(root_.value("indicators").toObject().value("on").toArray().at(input).toString());
}

QColor Design::GraphPen(int axis, bool bar) const {
  const QJsonArray pens = root_.value("graph").toObject().value(bar ? "bar-pens" : "pens").toArray();
  return Colour(pens.at(axis).toString());
}

Classes Design::ClassesFor(const StateLook& state) const {
  Classes classes = paletteClasses_;
  classes.insert("ink", Fill(state.ink));
  classes.insert("ink-line", Line(state.ink));
  classes.insert("accent", Fill(state.accent));
  classes.insert("accent-line", Line(state.accent));
  return classes;
}

}  // namespace skingen
