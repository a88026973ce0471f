#include "platform/media/ImageFile.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include "platform/gdi/GdiQt.h"

namespace plat {
namespace {

constexpr int kJpegQuality = 75;

// The writer's format for the file's extension; empty for one we do not write.
QByteArray FormatFor(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) return "jpeg";
  if (suffix == QLatin1String("bmp")) return "bmp";
  return {};
}

}  // namespace

bool SaveBitmapFile(HBITMAP bitmap, const CString& path) {
  const QImage image = ImageOf(bitmap);
  const QString name = QString::fromStdWString(path.str());
  const QByteArray format = FormatFor(name);
  if (image.isNull() || format.isEmpty()) return false;
  // Written beside the target and renamed over it only once complete; an uncommitted file is
  // removed when it goes.
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QImageWriter writer(&file, format);
  if (format == "jpeg") writer.setQuality(kJpegQuality);
  return writer.write(image) && file.commit();
}

}  // namespace plat
