// The SVG sources of rc/skin, drawn with the colours of the design values: each source's own
// <style> (kept for previewing it on its own) is dropped and every class="..." becomes the
// attributes that the design gives that class at the moment.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <utility>

#include "tools/skingen/Design.h"

namespace skingen {

class Sources {
 public:
  explicit Sources(QString folder) : folder_(std::move(folder)) {}

  // Draws the source into the rectangle (its view box scaled to fit).
  void Draw(QPainter& p, const QString& name, const Classes& classes, const QRectF& target);
  // The source alone on a transparent image of the given size.
  QImage Render(const QString& name, const Classes& classes, QSize size);
  // Sources that could not be read or drawn, and classes that the design does not know.
  const QStringList& Missing() const { return missing_; }

 private:
  const QByteArray& Text(const QString& name);

  QString folder_;
  QMap<QString, QByteArray> texts_;
  QStringList missing_;
};

}  // namespace skingen
