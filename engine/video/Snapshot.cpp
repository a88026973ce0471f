#include "engine/video/Snapshot.h"

#include "platform/File.h"
#include "platform/gdi/Dc.h"
#include "platform/media/ImageFile.h"

namespace {

constexpr int kPlaceholderLength = 3;

bool PictureIsWhole(const SnapshotPicture& picture) {
  return picture.width > 0 && picture.height > 0 &&
         picture.pixels.size() >=
             static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
}

// The texts go at the picture's own coordinates, not the enlarged ones.
void DrawTexts(CDC& dc, int width, int height, const SnapshotTexts& texts) {
  dc.SetTextColor(texts.color);
  const int y = height - height / 24;
  const int column = width / 6;
  for (int i = 0; i < 3; ++i) {
    dc.TextOut(width - column * (3 - i), y, texts.lines[static_cast<std::size_t>(i)]);
  }
}

}  // namespace

CString SnapshotFileName(const CString& path, bool jpeg) {
  if (path.GetLength() < kPlaceholderLength) return CString();
  return path.Left(path.GetLength() - kPlaceholderLength) + (jpeg ? L".jpg" : L"_Ch1.bmp");
}

bool MakeSnapshotFolders(const CString& path, int* error) {
  const int slash = path.ReverseFind(L'/');
  if (slash < 0) return true;
  return plat::MakeDirs(slash == 0 ? std::string("/") : path.Left(slash).ToUtf8(), error);
}

bool WriteSnapshot(const SnapshotPicture& picture, const SnapshotTexts& texts, const CString& fileName,
                   const std::vector<std::string>& inputs, int* error) {
  if (fileName.IsEmpty() || !PictureIsWhole(picture)) return false;
  const int width = picture.width * 3 / 2;
  const int height = picture.height * 3 / 2;
  // The bitmaps outlive the contexts that hold them.
  CBitmap source;
  CBitmap enlarged;
  if (!source.CreateBitmap(picture.width, picture.height, 1, 32, picture.pixels.data())) {
    return false;
  }
  CDC sourceDc;
  CDC dc;
  if (!sourceDc.CreateCompatibleDC(nullptr) || sourceDc.SelectObject(&source) == nullptr ||
      !enlarged.CreateCompatibleBitmap(&sourceDc, width, height) ||
      !dc.CreateCompatibleDC(&sourceDc) || dc.SelectObject(&enlarged) == nullptr ||
      !dc.StretchBlt(0, 0, width, height, &sourceDc, 0, 0, picture.width, picture.height,
                     SRCCOPY)) {
    return false;
  }
  if (texts.draw) DrawTexts(dc, picture.width, picture.height, texts);
  return plat::SaveBitmapFile(enlarged, fileName, inputs, error);
}
