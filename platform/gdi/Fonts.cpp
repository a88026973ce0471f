// Logical fonts as Qt fonts: the face when fontconfig has it, DejaVu Sans otherwise; sizes in
// device pixels; no antialiasing, hinting or kerning choices left to the desktop, so that
// extents and pixels come out the same on every machine with the same fonts.
#include "platform/gdi/Fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/gdi/GdiQt.h"

namespace plat {
namespace {

const QString kFallbackFamily = QStringLiteral("DejaVu Sans");
constexpr int kDefaultCellHeight = 16;
// Heights come from settings files too; beyond this the font engine would only waste memory.
constexpr int kMaxPixelSize = 2000;

std::mutex cacheLock;

QString FamilyFor(const CString& face) {
  static std::map<std::wstring, QString> families;
  std::lock_guard<std::mutex> guard(cacheLock);
  const auto it = families.find(face.str());
  if (it != families.end()) return it->second;
  const QString name = ToQString(face);
  const QString family = !name.isEmpty() && QFontDatabase::hasFamily(name) ? name : kFallbackFamily;
  families.emplace(face.str(), family);
  return family;
}

QFont BaseFont(const QString& family, const LOGFONTW& logical) {
  QFont font(family);
  const int weight = logical.lfWeight <= 0 ? FW_NORMAL : std::min<int>(logical.lfWeight, 1000);
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setItalic(logical.lfItalic != 0);
  font.setUnderline(logical.lfUnderline != 0);
  font.setStrikeOut(logical.lfStrikeOut != 0);
  font.setKerning(false);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// Character height per cell height of a family in a weight and slant.
double EmPerCell(const QString& family, const LOGFONTW& logical) {
  static std::map<std::tuple<QString, LONG, BYTE>, double> ratios;
  const auto key = std::make_tuple(family, logical.lfWeight, logical.lfItalic);
  {
    std::lock_guard<std::mutex> guard(cacheLock);
    const auto it = ratios.find(key);
    if (it != ratios.end()) return it->second;
  }
  QFont font = BaseFont(family, logical);
  font.setPixelSize(1000);
  const QFontMetricsF metrics(font);
  const double cell = metrics.ascent() + metrics.descent();
  const double ratio = cell > 0 ? 1000.0 / cell : 1.0;
  std::lock_guard<std::mutex> guard(cacheLock);
  ratios.emplace(key, ratio);
  return ratio;
}

}  // namespace

bool TextAvailable() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

QFont RealizeFont(const LOGFONTW& logical, double scaleY) {
  const QString family = FamilyFor(FaceNameOf(logical));
  QFont font = BaseFont(family, logical);
  const double height = logical.lfHeight != 0 ? logical.lfHeight : kDefaultCellHeight;
  const double em = height < 0 ? -height * scaleY : height * scaleY * EmPerCell(family, logical);
  font.setPixelSize(static_cast<int>(std::clamp(std::lround(em), 1L, long{kMaxPixelSize})));
  return font;
}

}  // namespace plat
