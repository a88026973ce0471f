#include "platform/media/ImageFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

#include "platform/File.h"
#include "platform/OutputFile.h"
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

bool SaveBitmapFile(HBITMAP bitmap, const CString& path, const std::vector<std::string>& inputs) {
  const QImage image = ImageOf(bitmap);
  const QByteArray format = FormatFor(QString::fromStdWString(path.str()));
  if (image.isNull() || format.isEmpty()) return false;
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (format == "jpeg") writer.setQuality(kJpegQuality);
  if (!writer.write(image)) return false;
  // Written beside the target and renamed over it only once complete.
  OutputFile output;
  File file;
  return output.Create(path.ToUtf8(), inputs) && file.Create(output.TempPath()) &&
         file.WriteAll(encoded.constData(), static_cast<std::size_t>(encoded.size())) && output.Commit();
}

}  // namespace plat
