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

// The bitmap encoded in the format of the path's extension; empty when it cannot be.
QByteArray Encoded(HBITMAP bitmap, const CString& path) {
  const QImage image = ImageOf(bitmap);
  const QByteArray format = FormatFor(QString::fromStdWString(path.str()));
  if (image.isNull() || format.isEmpty()) return {};
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (format == "jpeg") writer.setQuality(kJpegQuality);
  return writer.write(image) ? encoded : QByteArray();
}

}  // namespace

bool SaveBitmapFile(HBITMAP bitmap, const CString& path, const std::vector<std::string>& inputs, int* error) {
  int ignored = 0;
  int& why = error != nullptr ? *error : ignored;
  why = 0;
  const QByteArray encoded = Encoded(bitmap, path);
  if (encoded.isEmpty()) return false;
  // Written beside the target and renamed over it only once complete.
  OutputFile output;
  File file;
  if (!output.Create(path.ToUtf8(), inputs)) {
    why = output.LastError();
    return false;
  }
  if (!file.Create(output.TempPath()) || !file.WriteAll(encoded.constData(), static_cast<std::size_t>(encoded.size()))) {
    why = file.LastError();
    return false;
  }
  if (output.Commit()) return true;
  why = output.LastError();
  return false;
}

}  // namespace plat
