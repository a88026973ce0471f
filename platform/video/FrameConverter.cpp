#include "platform/video/FrameConverter.h"

#include <cstring>
#include <string_view>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/macros.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace plat {

namespace {

constexpr int kPixelGroup = 16;

// The colour matrix the stream signals; the standard-definition one when it signals none.
int MatrixOf(const AVFrame& picture) {
  const int cs = picture.colorspace;
  const bool known = cs >= AVCOL_SPC_BT709 && cs <= AVCOL_SPC_BT2020_CL && cs != AVCOL_SPC_YCGCO;
  return known ? cs : AVCOL_SPC_BT470BG;
}

bool IsFullRange(const AVFrame& picture, const AVPixFmtDescriptor& desc) {
  // The J formats are full range whatever the frame says.
  const std::string_view name = desc.name;
  return picture.color_range == AVCOL_RANGE_JPEG || name.starts_with("yuvj");
}

}  // namespace

FrameConverter::~FrameConverter() { Reset(); }

void FrameConverter::Reset() {
  sws_freeContext(context_);
  context_ = nullptr;
  key_ = Key{};
}

bool FrameConverter::Prepare(const Key& key) {
  if (context_ && key == key_) return true;
  Reset();
  const auto target = static_cast<AVPixelFormat>(key.targetFormat);
  context_ = sws_getContext(key.width, key.height, static_cast<AVPixelFormat>(key.format), key.targetWidth,
                            key.targetHeight, target, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
  if (!context_) return false;
  int* inverse = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  sws_getColorspaceDetails(context_, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation);
  // Samples scaled into samples keep their range: the window converts them with it.
  if (target == AV_PIX_FMT_YUV420P) dstRange = key.fullRange;
  sws_setColorspaceDetails(context_, sws_getCoefficients(key.matrix), key.fullRange, table, dstRange, brightness,
                           contrast, saturation);
  key_ = key;
  return true;
}

bool FrameConverter::KeyFor(const AVFrame& picture, const CRect& wanted, CRect& source, Key& key) const {
  if (!picture.data[0] || picture.width <= 0 || picture.height <= 0) return false;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL)) return false;
  if (!source.IntersectRect(wanted, CRect(0, 0, picture.width, picture.height))) return false;
  key = Key{source.Width(), source.Height(), picture.format, IsFullRange(picture, *desc) ? 1 : 0, MatrixOf(picture)};
  return true;
}

bool FrameConverter::Convert(const AVFrame& picture, const BackBuffer& target) {
  return Convert(picture, CRect(0, 0, picture.width, picture.height), target);
}

bool FrameConverter::Convert(const AVFrame& picture, const CRect& wanted, const BackBuffer& target) {
  if (!target.data || target.width <= 0 || target.height <= 0) return false;
  CRect source;
  Key key;
  if (!KeyFor(picture, wanted, source, key)) return false;
  key.targetWidth = target.width;
  key.targetHeight = target.height;
  key.targetFormat = AV_PIX_FMT_BGRA;
  if (!Prepare(key)) return false;
  // The fast conversions write whole groups of pixels and so may run past the last pixel of a
  // row into the row's padding; a target without that padding gets the picture through a
  // padded buffer, else its last columns would be left unwritten.
  const int paddedStride = FFALIGN(target.width, kPixelGroup) * 4;
  if (target.stride >= paddedStride) {
    std::uint8_t* const planes[4] = {target.data, nullptr, nullptr, nullptr};
    const int strides[4] = {target.stride, 0, 0, 0};
    return Run(picture, source, planes, strides);
  }
  const auto bytes = static_cast<std::size_t>(paddedStride) * target.height;
  if (bytes > padded_.size()) padded_.assign(bytes, 0);
  std::uint8_t* const planes[4] = {padded_.data(), nullptr, nullptr, nullptr};
  const int strides[4] = {paddedStride, 0, 0, 0};
  if (!Run(picture, source, planes, strides)) return false;
  for (int y = 0; y < target.height; ++y) {
    std::memcpy(target.data + static_cast<std::ptrdiff_t>(y) * target.stride,
                padded_.data() + static_cast<std::ptrdiff_t>(y) * paddedStride, static_cast<std::size_t>(target.width) * 4);
  }
  return true;
}

bool FrameConverter::Scale(const AVFrame& picture, const CRect& wanted, int width, int height, PlanarPicture& target) {
  if (width <= 0 || height <= 0) return false;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_RGB)) return false;
  CRect source;
  Key key;
  if (!KeyFor(picture, wanted, source, key)) return false;
  target.Reset(width, height, key.fullRange != 0, key.matrix);
  key.targetWidth = width;
  key.targetHeight = height;
  key.targetFormat = AV_PIX_FMT_YUV420P;
  if (!Prepare(key)) return false;
  std::uint8_t* const planes[4] = {target.Plane(0), target.Plane(1), target.Plane(2), nullptr};
  const int strides[4] = {target.Stride(0), target.Stride(1), target.Stride(2), 0};
  return Run(picture, source, planes, strides);
}

// The planes start at the source's top left corner: each plane moves by its own subsampling and
// bytes per pixel.
bool FrameConverter::Run(const AVFrame& picture, const CRect& source, std::uint8_t* const planes[4],
                         const int strides[4]) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  const std::uint8_t* from[4] = {};
  for (int p = 0; p < 4 && picture.data[p]; ++p) {
    int step = 0;
    for (int c = 0; c < desc->nb_components; ++c) {
      if (desc->comp[c].plane == p) step = desc->comp[c].step;
    }
    const bool colour = (p == 1 || p == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    const int x = colour ? source.left >> desc->log2_chroma_w : source.left;
    const int y = colour ? source.top >> desc->log2_chroma_h : source.top;
    from[p] = picture.data[p] + static_cast<std::ptrdiff_t>(y) * picture.linesize[p] + static_cast<std::ptrdiff_t>(x) * step;
  }
  return sws_scale(context_, from, picture.linesize, 0, source.Height(), planes, strides) > 0;
}

}  // namespace plat
