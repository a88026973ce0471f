#include "platform/media/XvidEncoder.h"

#include <xvid.h>

#include <mutex>

namespace plat {

namespace {

constexpr int kDefaultFps = 25;
constexpr int kMaxSide = 4096;
constexpr int kKeySeconds = 5;  // longest run between intra pictures
// Target bits per pixel and picture of the rate control: about the quality of the recorder's
// own stream at its resolutions.
constexpr int kBitsPerPixelDivisor = 5;

// The settings of the encoder's high-quality motion preset.
constexpr int kVopFlags = XVID_VOP_HALFPEL | XVID_VOP_INTER4V | XVID_VOP_TRELLISQUANT | XVID_VOP_HQACPRED;
constexpr int kMotionFlags = XVID_ME_ADVANCEDDIAMOND16 | XVID_ME_HALFPELREFINE16 | XVID_ME_EXTSEARCH16 |
                             XVID_ME_ADVANCEDDIAMOND8 | XVID_ME_HALFPELREFINE8 | XVID_ME_EXTSEARCH8 |
                             XVID_ME_CHROMA_PVOP | XVID_ME_CHROMA_BVOP;

bool InitLibrary() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    xvid_gbl_init_t init{};
    init.version = XVID_VERSION;
    ok = xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr) >= 0;
  });
  return ok;
}

}  // namespace

XvidEncoder::~XvidEncoder() { Close(); }

bool XvidEncoder::Open(int width, int height, int fps) {
  Close();
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || (width | height) & 1 || !InitLibrary()) {
    return false;
  }
  if (fps <= 0) fps = kDefaultFps;

  xvid_plugin_single_t single{};
  single.version = XVID_VERSION;
  single.bitrate = width * height / kBitsPerPixelDivisor * fps;
  xvid_plugin_lumimasking_t masking{};
  masking.version = XVID_VERSION;
  xvid_enc_plugin_t plugins[2] = {{xvid_plugin_single, &single}, {xvid_plugin_lumimasking, &masking}};

  xvid_enc_create_t create{};
  create.version = XVID_VERSION;
  create.width = width;
  create.height = height;
  create.plugins = plugins;
  create.num_plugins = 2;
  create.max_bframes = 0;
  create.fincr = 1;
  create.fbase = fps;
  create.max_key_interval = fps * kKeySeconds;
  if (xvid_encore(nullptr, XVID_ENC_CREATE, &create, nullptr) < 0 || create.handle == nullptr) return false;
  handle_ = create.handle;
  width_ = width;
  height_ = height;
  // Room for an intra picture at any quantiser: well above the raw 4:2:0 size.
  out_.resize(static_cast<std::size_t>(width) * height * 3 + (1 << 16));
  return true;
}

bool XvidEncoder::Encode(const YuvPicture& picture, const std::uint8_t*& data, std::size_t& bytes, bool& key) {
  if (handle_ == nullptr || picture.width != width_ || picture.height != height_) return false;
  xvid_enc_frame_t frame{};
  frame.version = XVID_VERSION;
  frame.input.csp = XVID_CSP_PLANAR;
  for (int i = 0; i < 3; ++i) {
    if (picture.plane[i] == nullptr || picture.stride[i] < (i == 0 ? width_ : width_ / 2)) return false;
    frame.input.plane[i] = const_cast<std::uint8_t*>(picture.plane[i]);
    frame.input.stride[i] = picture.stride[i];
  }
  frame.vop_flags = kVopFlags;
  frame.motion = kMotionFlags;
  frame.type = XVID_TYPE_AUTO;
  frame.quant = 0;
  frame.bitstream = out_.data();
  frame.length = static_cast<int>(out_.size());
  const int produced = xvid_encore(handle_, XVID_ENC_ENCODE, &frame, nullptr);
  if (produced <= 0) return false;
  data = out_.data();
  bytes = static_cast<std::size_t>(produced);
  key = (frame.out_flags & XVID_KEYFRAME) != 0;
  return true;
}

void XvidEncoder::Close() {
  if (handle_ != nullptr) xvid_encore(handle_, XVID_ENC_DESTROY, nullptr, nullptr);
  handle_ = nullptr;
  width_ = 0;
  height_ = 0;
  out_.clear();
  out_.shrink_to_fit();
}

}  // namespace plat
