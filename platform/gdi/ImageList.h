// Image lists: equal-sized images side by side in one bitmap, with a monochrome mask when the
// list is masked (white = transparent).
#pragma once

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiObjects.h"

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // The initial and growth counts are capacity hints only.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  BOOL DeleteImageList();
  int GetImageCount() const { return count_; }
  // Adds the images of the bitmap, side by side, each cx wide. In a masked list, pixels of the
  // mask colour become transparent (and black in the image). Returns the first new index or -1.
  int Add(CBitmap* bitmap, COLORREF maskColor);
  // The mask is monochrome, white where transparent; null keeps every pixel.
  int Add(CBitmap* bitmap, CBitmap* mask);
  // Draws an image at the point; a masked image leaves its transparent pixels alone.
  BOOL Draw(CDC* dc, int image, POINT pt, UINT style);
  BOOL GetImageInfo(int image, IMAGEINFO* info) const;

 private:
  int AddImages(const CBitmap* bitmap, const CBitmap* mask, const COLORREF* maskColor);

  int cx_ = 0;
  int cy_ = 0;
  bool masked_ = false;
  int count_ = 0;
  CBitmap images_;
  CBitmap masks_;
};
