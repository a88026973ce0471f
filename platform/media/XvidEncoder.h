// The MPEG-4 (part 2) encoder of re-encoded exports: xvidcore in a single pass with luminance
// masking, no B-frames, so that every picture given yields one encoded picture at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// A picture in planar 4:2:0, as a decoder gives it: the chroma planes are half as wide and half
// as high as the luma plane.
struct YuvPicture {
  const std::uint8_t* plane[3] = {nullptr, nullptr, nullptr};  // Y, U, V
  int stride[3] = {0, 0, 0};
  int width = 0;
  int height = 0;
};

class XvidEncoder {
 public:
  XvidEncoder() = default;
  XvidEncoder(const XvidEncoder&) = delete;
  XvidEncoder& operator=(const XvidEncoder&) = delete;
  ~XvidEncoder();

  // Starts an encoder for pictures of this size at a whole frame rate (0 or less: 25). False when
  // the size is odd, empty or too large, or the library refuses.
  bool Open(int width, int height, int fps);
  bool IsOpen() const { return handle_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Encodes one picture of the opened size. The encoded bytes stay valid until the next call;
  // `key` tells whether it is an intra picture.
  bool Encode(const YuvPicture& picture, const std::uint8_t*& data, std::size_t& bytes, bool& key);
  void Close();

 private:
  void* handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> out_;
};

}  // namespace plat
