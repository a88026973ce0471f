// A picture in planar 4:2:0 with 8 bits a sample, already at the size it is shown: what a present
// hands to a window, which turns into 32-bit pixels only the part it paints, straight where it
// paints it. Scaling the decoder's picture to this and converting it as it is painted costs less
// than converting it at once into 32-bit pixels that are then copied into the window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Geometry.h"

namespace plat {

class PlanarPicture {
 public:
  // Makes it a picture of that size (empty for a size of 0 or less) whose samples, in the full
  // range (0-255) or the limited one (16-235 and 16-240), are still to be written, and whose
  // colours follow the matrix (an AVColorSpace value). The memory it had is used again.
  void Reset(int width, int height, bool fullRange, int matrix);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool FullRange() const { return fullRange_; }
  int Matrix() const { return matrix_; }
  // The luma (0) and the two colour planes (1: U, 2: V, each half the size, rounded up) with the
  // bytes from one row to the next. Each row has room past its last sample for writers that
  // write whole groups of samples.
  std::uint8_t* Plane(int p) { return bytes_.data() + offsets_[p]; }
  const std::uint8_t* Plane(int p) const { return bytes_.data() + offsets_[p]; }
  int Stride(int p) const { return strides_[p]; }

  // Writes the pixels of `area` (kept inside the picture) as 32-bit B, G, R, 0xFF pixels: `out` is
  // where the area's top left pixel goes, `outStride` the bytes from one row to the next. Nothing
  // outside the area is written.
  void ConvertTo(const CRect& area, std::uint8_t* out, int outStride) const;

 private:
  int width_ = 0;
  int height_ = 0;
  bool fullRange_ = false;
  int matrix_ = 0;
  int offsets_[3] = {};
  int strides_[3] = {};
  std::vector<std::uint8_t> bytes_;
};

}  // namespace plat
