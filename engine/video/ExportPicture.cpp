#include "engine/video/ExportPicture.h"

#include <algorithm>
#include <new>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr std::uint8_t kBlackLuma = 16;
constexpr std::uint8_t kNeutralChroma = 128;

// Chroma samples of a 4:2:0 plane for a luma extent.
int Half(int n) { return (n + 1) / 2; }

bool IsPlanar420(int format) { return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P; }

}  // namespace

CExportPicture::~CExportPicture() { sws_freeContext(scaler_); }

bool CExportPicture::Take(const AVFrame& picture, int channel, bool perChannel) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  const AVFrame* source = Planar(picture);
  if (!source || !Fit(picture.width, picture.height, perChannel)) return false;
  const bool right = !perChannel && (channel & 1) != 0;
  const bool lower = !perChannel && channel >= 2;
  for (int p = 0; p < 3; ++p) {
    const int columns = p == 0 ? width_ : Half(width_);
    const int rows = p == 0 ? height_ : Half(height_);
    // The right and lower quarters start half the mosaic's extent in; for an odd picture the
    // chroma of the left quarter shares its last column with the right one.
    const std::ptrdiff_t x = right ? (p == 0 ? width_ : width_ / 2) : 0;
    const std::ptrdiff_t y = lower ? (p == 0 ? height_ : height_ / 2) : 0;
    std::uint8_t* at = planes_[p] + y * view_.stride[p] + x;
    av_image_copy_plane(at, view_.stride[p], source->data[p], source->linesize[p], columns, rows);
  }
  return true;
}

bool CExportPicture::Fit(int width, int height, bool perChannel) {
  if (buffer_ && width == width_ && height == height_ && perChannel == perChannel_) return true;
  const int lumaWidth = perChannel ? width : 2 * width;
  const int lumaRows = perChannel ? height : 2 * height;
  const int chromaWidth = perChannel ? Half(width) : width;
  const int chromaRows = perChannel ? Half(height) : height;
  const std::size_t luma = static_cast<std::size_t>(lumaWidth) * static_cast<std::size_t>(lumaRows);
  const std::size_t chroma = static_cast<std::size_t>(chromaWidth) * static_cast<std::size_t>(chromaRows);
  buffer_.reset(new (std::nothrow) std::uint8_t[luma + 2 * chroma]);
  if (!buffer_) {
    width_ = 0;
    height_ = 0;
    view_ = {};
    return false;
  }
  std::fill_n(buffer_.get(), luma, kBlackLuma);
  std::fill_n(buffer_.get() + luma, 2 * chroma, kNeutralChroma);
  planes_ = {buffer_.get(), buffer_.get() + luma, buffer_.get() + luma + chroma};
  view_.plane[0] = planes_[0];
  view_.plane[1] = planes_[1];
  view_.plane[2] = planes_[2];
  view_.stride[0] = lumaWidth;
  view_.stride[1] = chromaWidth;
  view_.stride[2] = chromaWidth;
  view_.width = lumaWidth;
  view_.height = lumaRows;
  width_ = width;
  height_ = height;
  perChannel_ = perChannel;
  return true;
}

const AVFrame* CExportPicture::Planar(const AVFrame& picture) {
  if (IsPlanar420(picture.format)) return &picture;
  if (!converted_ || converted_->width != picture.width || converted_->height != picture.height) {
    converted_.reset(av_frame_alloc());
    if (!converted_) return nullptr;
    converted_->format = AV_PIX_FMT_YUV420P;
    converted_->width = picture.width;
    converted_->height = picture.height;
    if (av_frame_get_buffer(converted_.get(), 0) < 0) {
      converted_.reset();
      return nullptr;
    }
  }
  scaler_ = sws_getCachedContext(scaler_, picture.width, picture.height, static_cast<AVPixelFormat>(picture.format),
                                 picture.width, picture.height, AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr,
                                 nullptr, nullptr);
  if (!scaler_) return nullptr;
  const int rows = sws_scale(scaler_, picture.data, picture.linesize, 0, picture.height, converted_->data,
                             converted_->linesize);
  return rows == picture.height ? converted_.get() : nullptr;
}
