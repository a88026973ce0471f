#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QRegion>
#include <fstream>

#include "OsdTestSupport.h"
#include "engine/video/OsdLayout.h"
#include "engine/video/Snapshot.h"
#include "platform/UserFolders.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Surface.h"
#include "platform/video/Overlay.h"
#include "tests/engine/video/OsdSamples.h"
#include "tests/support/ScopedEnvironment.h"

using namespace osdtest;

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

// A picture whose every pixel tells where it came from.
QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      row[x] = qRgb(x & 0xFF, y & 0xFF, (x >> 8) * 16 + (y >> 8) * 64);
    }
  }
  return image;
}

QImage Black(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kBlack);
  return image;
}

QImage Load(const CString& file) {
  return QImage(QString::fromStdWString(file.str())).convertToFormat(QImage::Format_RGB32);
}

// The picture enlarged by half, every pixel repeated: pixel (x, y) is the picture's pixel
// (x * w / W, y * h / H), which for even sizes is (2x/3, 2y/3).
QImage Enlarged(const QImage& picture) {
  const int width = picture.width() * 3 / 2;
  const int height = picture.height() * 3 / 2;
  QImage out(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const auto* in =
        reinterpret_cast<const QRgb*>(picture.constScanLine(y * picture.height() / height));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width; ++x) row[x] = in[x * picture.width() / width];
  }
  return out;
}

QByteArray FileBytes(const CString& file) {
  std::ifstream in(file.ToUtf8(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray Jpeg75(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(75);
  EXPECT_TRUE(writer.write(image));
  return buffer.data();
}

bool Exists(const CString& file) { return std::filesystem::exists(file.ToUtf8()); }

}  // namespace

TEST(SnapshotTest, FileNamesReplaceTheLastThreeCharacters) {
  EXPECT_EQ(SnapshotFileName(CString(L"/pics/img-2024-01-02_03-04-05_123_Ch"), false),
            L"/pics/img-2024-01-02_03-04-05_123_Ch1.bmp");
  EXPECT_EQ(SnapshotFileName(CString(L"/pics/snapabc"), true), L"/pics/snap.jpg");
  EXPECT_EQ(SnapshotFileName(CString(L"/pics/snapabc"), false), L"/pics/snap_Ch1.bmp");
  EXPECT_EQ(SnapshotFileName(CString(L"abc"), true), L".jpg");
  // Too short to hold the placeholder: no name rather than a negative length.
  EXPECT_EQ(SnapshotFileName(CString(L"ab"), true), L"");
  EXPECT_EQ(SnapshotFileName(CString(), false), L"");
}

TEST(SnapshotTest, EnlargedByHalfWithEveryPixelRepeated) {
  const ScratchFolder folder;
  const QImage picture = Pattern(1280, 720);
  const QImage expected = Enlarged(picture);
  ASSERT_EQ(expected.size(), QSize(1920, 1080));
  EXPECT_EQ(expected.pixel(1919, 1079), picture.pixel(1279, 719));
  EXPECT_EQ(expected.pixel(2, 4), picture.pixel(1, 2));

  const CString bmp = folder.File("shot_Ch1.bmp");
  SnapshotTexts texts;
  texts.lines = {CString(L"not"), CString(L"drawn"), CString(L"here")};
  ASSERT_TRUE(WriteSnapshot(PictureOf(picture), texts, bmp));
  EXPECT_EQ(QImageReader(QString::fromStdWString(bmp.str())).format(), "bmp");
  EXPECT_EQ(Load(bmp), expected);

  // The JPEG file is the enlarged picture at quality 75.
  const CString jpg = folder.File("shot.jpg");
  ASSERT_TRUE(WriteSnapshot(PictureOf(picture), texts, jpg));
  EXPECT_EQ(QImageReader(QString::fromStdWString(jpg.str())).format(), "jpeg");
  EXPECT_EQ(QImageReader(QString::fromStdWString(jpg.str())).size(), QSize(1920, 1080));
  EXPECT_EQ(FileBytes(jpg), Jpeg75(expected));

  // Odd sizes round down.
  const QImage odd = Pattern(5, 3);
  const CString small = folder.File("odd.bmp");
  ASSERT_TRUE(WriteSnapshot(PictureOf(odd), SnapshotTexts(), small));
  EXPECT_EQ(Load(small), Enlarged(odd));
  EXPECT_EQ(Load(small).size(), QSize(7, 4));
}

TEST(SnapshotTest, TextsGoAtThePicturesOwnCoordinates) {
  const ScratchFolder folder;
  const QImage picture = Black(1280, 720);
  SnapshotTexts texts;
  texts.draw = true;
  texts.color = 255;
  texts.lines = {CString(L"Left"), CString(L"Middle"), CString(L"Right")};
  const CString file = folder.File("texts.bmp");
  ASSERT_TRUE(WriteSnapshot(PictureOf(picture), texts, file));
  const QImage shot = Load(file);
  SaveForReview(shot, "snapshot_texts");
  ASSERT_EQ(shot.size(), QSize(1920, 1080));

  // y = 720 - 720 / 24 = 690; x = 1280 - 213 * 3, 1280 - 213 * 2, 1280 - 213; unscaled.
  const QRect marked = BoundsOfNot(shot, shot.rect(), kBlack);
  EXPECT_EQ(marked.left(), 641);
  EXPECT_EQ(marked.top(), 690);
  EXPECT_LT(marked.bottom(), 690 + 30);
  for (const int x : {641, 854, 1067}) {
    SCOPED_TRACE(x);
    const QRect cell(x, 690, 150, 30);
    // Red text on the context's opaque white background.
    EXPECT_EQ(shot.pixel(x, 690), kWhite);
    EXPECT_TRUE(Contains(shot, cell, qRgb(255, 0, 0)));
  }
  EXPECT_TRUE(Contains(shot, QRect(1067, 690, 150, 30), kWhite));
  EXPECT_FALSE(Contains(shot, QRect(1300, 690, 600, 30), kWhite));

  // With the flag clear the texts are not drawn.
  texts.draw = false;
  ASSERT_TRUE(WriteSnapshot(PictureOf(picture), texts, file));
  EXPECT_EQ(BoundsOfNot(Load(file), QRect(0, 0, 1920, 1080), kBlack), QRect());
}

TEST(SnapshotTest, TheSnapshotCarriesTheOnScreenText) {
  const ScratchFolder folder;
  QImage picture = Black(352, 288);
  OsdFrame frame = osdsamples::FrameWithCarData(352, 288);
  frame.speed = 2.0;
  {
    CDC dc(plat::DcSurface{&picture, QPoint(), QRegion()});
    plat::DrawOverlayTexts(dc, OsdLayout(osdsamples::CarDataSettings(), frame));
  }
  ASSERT_TRUE(Contains(picture, QRect(0, 240, 100, 48), qRgb(255, 0, 0)));
  const CString file = folder.File("osd_Ch1.bmp");
  ASSERT_TRUE(WriteSnapshot(PictureOf(picture), SnapshotTexts(), file));
  const QImage shot = Load(file);
  SaveForReview(shot, "snapshot_with_osd");
  EXPECT_EQ(shot, Enlarged(picture));
  // The speed label drawn at (30, 250) is at one and a half times that in the file.
  EXPECT_TRUE(Contains(shot, QRect(45, 375, 150, 60), qRgb(255, 0, 0)));
  EXPECT_TRUE(Contains(shot, QRect(243, 15, 285, 200), qRgb(0, 255, 0)));
}

TEST(SnapshotTest, FailuresWriteNothingAndSaySo) {
  const ScratchFolder folder;
  const QImage picture = Pattern(16, 8);
  // No picture, a picture whose pixels fall short of its size, no name.
  EXPECT_FALSE(WriteSnapshot(SnapshotPicture(), SnapshotTexts(), folder.File("none.jpg")));
  SnapshotPicture truncated = PictureOf(picture);
  truncated.pixels = truncated.pixels.first(16 * 8 - 1);
  EXPECT_FALSE(WriteSnapshot(truncated, SnapshotTexts(), folder.File("short.jpg")));
  SnapshotPicture negative = PictureOf(picture);
  negative.width = -16;
  EXPECT_FALSE(WriteSnapshot(negative, SnapshotTexts(), folder.File("negative.bmp")));
  EXPECT_FALSE(WriteSnapshot(PictureOf(picture), SnapshotTexts(), CString()));
  // A folder that does not exist, and an extension no encoder takes.
  EXPECT_FALSE(WriteSnapshot(PictureOf(picture), SnapshotTexts(), folder.File("missing/x.jpg")));
  EXPECT_FALSE(WriteSnapshot(PictureOf(picture), SnapshotTexts(), folder.File("x.png")));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
  // Upper-case extensions are the same encoders.
  EXPECT_TRUE(WriteSnapshot(PictureOf(picture), SnapshotTexts(), folder.File("UPPER.JPG")));
  EXPECT_EQ(QImageReader(QString::fromStdWString(folder.File("UPPER.JPG").str())).format(), "jpeg");
}

TEST(SnapshotTest, FoldersAreMadeOrRefused) {
  const ScratchFolder folder;
  const CString nested = folder.File("a/b/c/img-1_Ch");
  EXPECT_TRUE(MakeSnapshotFolders(nested));
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "a/b/c"));
  EXPECT_TRUE(MakeSnapshotFolders(nested));  // already there
  EXPECT_TRUE(MakeSnapshotFolders(CString(L"img-1_Ch")));
  EXPECT_TRUE(MakeSnapshotFolders(CString(L"/img-1_Ch")));
  // A file where a folder should be.
  std::ofstream(folder.Path() / "plain") << "x";
  EXPECT_FALSE(MakeSnapshotFolders(folder.File("plain/img-1_Ch")));
  EXPECT_FALSE(MakeSnapshotFolders(folder.File("plain/deeper/img-1_Ch")));
  EXPECT_FALSE(Exists(folder.File("plain/deeper")));
}
