// The picture that an export with decoding hands to the recorder: planar 4:2:0 with tightly packed
// rows. Per channel it is the channel's picture alone (Y, then U, then V). Joined it is a mosaic of
// twice the picture's width and height with the channel in its quarter (channel 0 top left, 1 top
// right, 2 bottom left, 3 bottom right) and the other quarters black: Y rows of twice the width,
// then U at 4 x w x h and V at 5 x w x h, each with rows of the picture's width.
//
// The buffer is sized from the picture and made again when the size or the layout changes, so no
// picture size can overflow it. A picture in another layout than planar 4:2:0 (4:4:4, two-plane,
// luma only) is converted first.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/video/FfmpegVideoDecoder.h"
#include "platform/media/XvidEncoder.h"

struct SwsContext;

class CExportPicture {
 public:
  CExportPicture() = default;
  ~CExportPicture();
  CExportPicture(const CExportPicture&) = delete;
  CExportPicture& operator=(const CExportPicture&) = delete;

  // Copies the picture into the layout; false when the picture is empty or cannot be converted.
  bool Take(const AVFrame& picture, int channel, bool perChannel);
  // The planes of the layout, valid until the next Take.
  const plat::YuvPicture& View() const { return view_; }

 private:
  bool Fit(int width, int height, bool perChannel);
  const AVFrame* Planar(const AVFrame& picture);

  std::unique_ptr<std::uint8_t[]> buffer_;
  std::array<std::uint8_t*, 3> planes_{};
  int width_ = 0;  // of the picture the layout is made for
  int height_ = 0;
  bool perChannel_ = true;
  plat::YuvPicture view_;
  FramePtr converted_;
  SwsContext* scaler_ = nullptr;
};
