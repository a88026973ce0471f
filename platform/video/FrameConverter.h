// Converts decoded pictures into a presenter's 32-bit back buffer. Each picture is converted from
// its own pixel format, range and colour matrix (planar 4:2:0 limited or full range, 4:4:4, the
// two-plane layout that graphics cards hand out...), and the conversion is rebuilt whenever any
// of them or a size changes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/video/VideoPresenter.h"

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
  void Reset();

 private:
  struct Key {
    int width = 0, height = 0, format = -1, fullRange = 0, matrix = 0, targetWidth = 0, targetHeight = 0;
    bool operator==(const Key&) const = default;
  };
  bool Prepare(const Key& key);
  bool Scale(const AVFrame& picture, std::uint8_t* data, int stride);

  SwsContext* context_ = nullptr;
  Key key_;
  std::vector<std::uint8_t> padded_;
};

}  // namespace plat
