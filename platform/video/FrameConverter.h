// Converts decoded pictures, or a rectangle of them, into 32-bit pictures of any size in one pass,
// or scales pictures of luma and colour samples into planar 4:2:0 pictures of any size that keep
// their range and colour matrix. Each picture is converted from its own pixel format, range and
// colour matrix (planar 4:2:0 limited or full range, 4:4:4, the two-plane layout that graphics
// cards hand out...), and the conversion is rebuilt whenever any of them or a size changes. One
// thread: measured against the scaler's slice threads, they spent as much CPU time or more for no
// shorter conversion.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/video/VideoPresenter.h"
#include "platform/video/PlanarPicture.h"

struct AVFrame;
struct SwsContext;

namespace plat {

class FrameConverter {
 public:
  FrameConverter() = default;
  ~FrameConverter();
  FrameConverter(const FrameConverter&) = delete;
  FrameConverter& operator=(const FrameConverter&) = delete;

  // Converts the picture (in system memory) into the target, scaled to the target's size when
  // the sizes differ. False when the picture or the target is empty or the format is unknown.
  bool Convert(const AVFrame& picture, const BackBuffer& target);
  // The same for the part of the picture in `source` (kept inside the picture; with subsampled
  // colour, an odd left or top edge takes the colour of the sample it lies in).
  bool Convert(const AVFrame& picture, const CRect& source, const BackBuffer& target);
  // Scales the part of the picture in `source` to a picture of that size made in `target`, samples
  // kept in the picture's range and matrix; false for a picture of red, green and blue samples, an
  // empty one or an empty size.
  bool Scale(const AVFrame& picture, const CRect& source, int width, int height, PlanarPicture& target);
  void Reset();

 private:
  struct Key {
    int width = 0, height = 0, format = -1, fullRange = 0, matrix = 0, targetWidth = 0, targetHeight = 0;
    int targetFormat = -1;
    bool operator==(const Key&) const = default;
  };
  bool Prepare(const Key& key);
  // The key for the part of the picture in `source` (made inside the picture); false when there
  // is none to be had.
  bool KeyFor(const AVFrame& picture, const CRect& wanted, CRect& source, Key& key) const;
  bool Run(const AVFrame& picture, const CRect& source, std::uint8_t* const planes[4], const int strides[4]);

  SwsContext* context_ = nullptr;
  Key key_;
  std::vector<std::uint8_t> padded_;
};

}  // namespace plat
