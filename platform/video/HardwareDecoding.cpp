#include "platform/video/HardwareDecoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/hwcontext.h>
#include <libavutil/pixdesc.h>
}

namespace plat {

namespace {

bool OffersDeviceDecoding(const AVCodec& codec) {
  for (int i = 0;; ++i) {
    const AVCodecHWConfig* config = avcodec_get_hw_config(&codec, i);
    if (!config) return false;
    if (config->device_type == AV_HWDEVICE_TYPE_VAAPI && config->pix_fmt == AV_PIX_FMT_VAAPI &&
        (config->methods & AV_CODEC_HW_CONFIG_METHOD_HW_DEVICE_CTX)) {
      return true;
    }
  }
}

bool IsHardwareFormat(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  return desc && (desc->flags & AV_PIX_FMT_FLAG_HWACCEL);
}

// The card's surfaces when the decoder offers them for this stream, else the first format the
// software decoder offers.
AVPixelFormat ChooseFormat(AVCodecContext*, const AVPixelFormat* offered) {
  for (const AVPixelFormat* f = offered; *f != AV_PIX_FMT_NONE; ++f) {
    if (*f == AV_PIX_FMT_VAAPI) return *f;
  }
  for (const AVPixelFormat* f = offered; *f != AV_PIX_FMT_NONE; ++f) {
    if (!IsHardwareFormat(*f)) return *f;
  }
  return AV_PIX_FMT_NONE;
}

}  // namespace

bool EnableHardwareDecoding(AVCodecContext& context) {
  if (!context.codec || !OffersDeviceDecoding(*context.codec)) return false;
  AVBufferRef* device = nullptr;
  if (av_hwdevice_ctx_create(&device, AV_HWDEVICE_TYPE_VAAPI, nullptr, nullptr, 0) < 0) return false;
  context.hw_device_ctx = device;
  context.get_format = ChooseFormat;
  return true;
}

bool IsHardwarePicture(const AVFrame& picture) {
  return picture.hw_frames_ctx && IsHardwareFormat(static_cast<AVPixelFormat>(picture.format));
}

bool DownloadPicture(const AVFrame& picture, AVFrame& out) {
  av_frame_unref(&out);
  if (av_hwframe_transfer_data(&out, &picture, 0) < 0 || av_frame_copy_props(&out, &picture) < 0) {
    av_frame_unref(&out);
    return false;
  }
  return true;
}

}  // namespace plat
