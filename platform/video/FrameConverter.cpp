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
  context_ = sws_getContext(key.width, key.height, static_cast<AVPixelFormat>(key.format), key.targetWidth,
                            key.targetHeight, AV_PIX_FMT_BGRA, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
  if (!context_) return false;
  int* inverse = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  sws_getColorspaceDetails(context_, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation);
  sws_setColorspaceDetails(context_, sws_getCoefficients(key.matrix), key.fullRange, table, dstRange, brightness,
                           contrast, saturation);
  key_ = key;
  return true;
}

bool FrameConverter::Convert(const AVFrame& picture, const BackBuffer& target) {
  return Convert(picture, CRect(0, 0, picture.width, picture.height), target);
}

bool FrameConverter::Convert(const AVFrame& picture, const CRect& wanted, const BackBuffer& target) {
  if (!target.data || target.width <= 0 || target.height <= 0) return false;
  if (!picture.data[0] || picture.width <= 0 || picture.height <= 0) return false;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL)) return false;
  CRect source;
  if (!source.IntersectRect(wanted, CRect(0, 0, picture.width, picture.height))) return false;
  const Key key{source.Width(), source.Height(), picture.format, IsFullRange(picture, *desc) ? 1 : 0,
                MatrixOf(picture), target.width, target.height};
  if (!Prepare(key)) return false;
  // The fast conversions write whole groups of pixels and so may run past the last pixel of a
  // row into the row's padding; a target without that padding gets the picture through a
  // padded buffer, else its last columns would be left unwritten.
  const int paddedStride = FFALIGN(target.width, kPixelGroup) * 4;
  if (target.stride >= paddedStride) return Scale(picture, source, target.data, target.stride);
  const auto bytes = static_cast<std::size_t>(paddedStride) * target.height;
  if (bytes > padded_.size()) padded_.assign(bytes, 0);
  if (!Scale(picture, source, padded_.data(), paddedStride)) return false;
  for (int y = 0; y < target.height; ++y) {
    std::memcpy(target.data + static_cast<std::ptrdiff_t>(y) * target.stride,
                padded_.data() + static_cast<std::ptrdiff_t>(y) * paddedStride, static_cast<std::size_t>(target.width) * 4);
  }
  return true;
}

// The planes start at the source's top left corner: each plane moves by its own subsampling and
// bytes per pixel.
bool FrameConverter::Scale(const AVFrame& picture, const CRect& source, std::uint8_t* data, int stride) {
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
  std::uint8_t* const planes[4] = {data, nullptr, nullptr, nullptr};
  const int strides[4] = {stride, 0, 0, 0};
  return sws_scale(context_, from, picture.linesize, 0, source.Height(), planes, strides) > 0;
}

}  // namespace plat
