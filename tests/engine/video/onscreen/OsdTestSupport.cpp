#include "OsdTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>

#include "platform/gdi/GdiState.h"
#include "tests/support/TestEnvironment.h"

namespace osdtest {

QRgb Rgb(COLORREF color) { return plat::PixelOf(color, false); }

SnapshotPicture PictureOf(const QImage& image) {
  const auto* words = reinterpret_cast<const std::uint32_t*>(image.constBits());
  const std::size_t count = static_cast<std::size_t>(image.width()) * image.height();
  return SnapshotPicture{{words, count}, image.width(), image.height()};
}

QRect BoundsOfNot(const QImage& image, const QRect& area, QRgb color) {
  QRect bounds;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) != (color | 0xFF000000u)) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

bool Contains(const QImage& image, const QRect& area, QRgb color) {
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) == (color | 0xFF000000u)) return true;
    }
  }
  return false;
}

void SaveForReview(const QImage& image, const char* name) {
  const QString folder = QString::fromStdString(plat::test::TestOutputDir());
  QDir().mkpath(folder);
  image.save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

ScratchFolder::ScratchFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = std::filesystem::temp_directory_path() /
          ("osd-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CString ScratchFolder::File(const std::string& relative) const {
  return CString((path_ / relative).string());
}

}  // namespace osdtest
