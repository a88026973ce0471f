// Helpers of the on-screen text and snapshot tests: pictures, pixel reads, scratch folders and
// PNGs for people to look at.
#pragma once

#include <QImage>
#include <QRect>
#include <filesystem>
#include <string>

#include "engine/video/Snapshot.h"
#include "platform/Types.h"

namespace osdtest {

QRgb Rgb(COLORREF color);
// The picture's pixels as the snapshot writer takes them (the image must be RGB32).
SnapshotPicture PictureOf(const QImage& image);
// The bounding box of the pixels of the image inside the area that differ from the colour.
QRect BoundsOfNot(const QImage& image, const QRect& area, QRgb color);
bool Contains(const QImage& image, const QRect& area, QRgb color);
// Writes the image as <name>.png under $PLAYER_TEST_OUTPUT.
void SaveForReview(const QImage& image, const char* name);

// A folder of its own for the test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  CString File(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

}  // namespace osdtest
