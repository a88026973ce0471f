#include "tools/skingen/Sources.h"

#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>

namespace skingen {

const QByteArray& Sources::Text(const QString& name) {
  auto it = texts_.find(name);
  if (it != texts_.end()) return *it;
  QFile file(folder_ + "/" + name + ".svg");
  QByteArray text;
  if (file.open(QIODevice::ReadOnly)) {
    text = file.readAll();
    static const QRegularExpression style(QStringLiteral("<style>.*</style>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    text = QString::fromUtf8(text).remove(style).toUtf8();
  } else {
    missing_ << name;
  }
  return *texts_.insert(name, text);
}

void Sources::Draw(QPainter& p, const QString& name, const Classes& classes, const QRectF& target) {
  static const QRegularExpression classAttribute(QStringLiteral("class=\"([^\"]*)\""));
  const QString text = QString::fromUtf8(Text(name));
  QString drawn;
  qsizetype from = 0;
  for (auto it = classAttribute.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const auto found = classes.find(m.captured(1));
    if (found == classes.end()) {
      const QString unknown = QStringLiteral("%1 (class %2)").arg(name, m.captured(1));
      if (!missing_.contains(unknown)) missing_ << unknown;
      continue;
    }
    drawn += text.mid(from, m.capturedStart() - from) + *found;
    from = m.capturedEnd();
  }
  drawn += text.mid(from);
  QSvgRenderer renderer(drawn.toUtf8());
  if (!renderer.isValid()) {
    if (!missing_.contains(name)) missing_ << name;
    return;
  }
  renderer.render(&p, target);
}

QImage Sources::Render(const QString& name, const Classes& classes, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Draw(p, name, classes, QRectF(QPointF(0, 0), size));
  return image;
}

}  // namespace skingen
