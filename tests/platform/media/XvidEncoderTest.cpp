#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/media/XvidEncoder.h"
#include "testdata/TestVideo.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A test picture copied into planes whose rows are longer than the picture is wide, as a
// decoder's planes often are.
struct PaddedPicture {
  static constexpr int kPad = 48;
  Bytes planes[3];
  plat::YuvPicture view;

  explicit PaddedPicture(const fixtures::TestPicture& p) {
    const Bytes* src[3] = {&p.y, &p.u, &p.v};
    for (int i = 0; i < 3; ++i) {
      const int w = i == 0 ? p.width : p.width / 2;
      const int h = i == 0 ? p.height : p.height / 2;
      const int stride = w + kPad;
      planes[i].assign(static_cast<std::size_t>(stride) * h, 0x80);
      for (int row = 0; row < h; ++row) {
        std::memcpy(planes[i].data() + static_cast<std::size_t>(row) * stride, src[i]->data() + static_cast<std::size_t>(row) * w, w);
      }
      view.plane[i] = planes[i].data();
      view.stride[i] = stride;
    }
    view.width = p.width;
    view.height = p.height;
  }
};

// Decodes MPEG-4 pictures one by one and gives the mean absolute luma difference to a reference.
class Mpeg4Decoder {
 public:
  Mpeg4Decoder() {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
    ctx_ = avcodec_alloc_context3(codec);
    ctx_->thread_count = 1;
    ok_ = avcodec_open2(ctx_, codec, nullptr) == 0;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
  }
  ~Mpeg4Decoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&ctx_);
  }
  bool ok() const { return ok_; }
  // -1 when the packet gave no picture.
  double LumaError(const Bytes& packet, const fixtures::TestPicture& ref) {
    av_new_packet(packet_, static_cast<int>(packet.size()));
    std::memcpy(packet_->data, packet.data(), packet.size());
    avcodec_send_packet(ctx_, packet_);
    av_packet_unref(packet_);
    if (avcodec_receive_frame(ctx_, frame_) != 0 || frame_->width != ref.width || frame_->height != ref.height) return -1;
    double sum = 0;
    for (int y = 0; y < ref.height; ++y) {
      for (int x = 0; x < ref.width; ++x) {
        sum += std::abs(frame_->data[0][y * frame_->linesize[0] + x] - ref.y[static_cast<std::size_t>(y) * ref.width + x]);
      }
    }
    return sum / (ref.width * ref.height);
  }

 private:
  AVCodecContext* ctx_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  bool ok_ = false;
};

}  // namespace

TEST(XvidEncoder, EncodesEveryPictureAtOnceIntoPicturesCloseToTheSource) {
  const fixtures::VideoFormat format{320, 240, 10, 0, 24};
  plat::XvidEncoder encoder;
  ASSERT_TRUE(encoder.Open(format.width, format.height, format.fps));
  Mpeg4Decoder decoder;
  ASSERT_TRUE(decoder.ok());
  int lastKey = -1;
  int longestRun = 0;
  int keys = 0;
  for (int i = 0; i < 70; ++i) {
    const fixtures::TestPicture source = fixtures::RenderTestPicture(format, i);
    PaddedPicture picture(source);
    const std::uint8_t* data = nullptr;
    std::size_t bytes = 0;
    bool key = false;
    ASSERT_TRUE(encoder.Encode(picture.view, data, bytes, key)) << i;
    ASSERT_GT(bytes, 0u);
    if (i == 0) {
      EXPECT_TRUE(key);
    }
    if (key) {
      ++keys;
      longestRun = std::max(longestRun, i - lastKey);
      lastKey = i;
    }
    const double error = decoder.LumaError(Bytes(data, data + bytes), source);
    EXPECT_GE(error, 0) << "picture " << i << " did not decode at once";
    EXPECT_LT(error, 6.0) << "picture " << i;
  }
  EXPECT_LT(keys, 70);               // predicted pictures between the key pictures
  EXPECT_LE(longestRun, 5 * 10);     // a key picture at least every five seconds
  EXPECT_GE(keys, 2);
}

TEST(XvidEncoder, RefusesWhatItCannotEncode) {
  plat::XvidEncoder encoder;
  EXPECT_FALSE(encoder.Open(321, 240, 30));
  EXPECT_FALSE(encoder.Open(0, 240, 30));
  EXPECT_FALSE(encoder.Open(8192, 240, 30));

  const fixtures::VideoFormat format{320, 240, 30, 0, 24};
  PaddedPicture picture(fixtures::RenderTestPicture(format, 0));
  const std::uint8_t* data = nullptr;
  std::size_t bytes = 0;
  bool key = false;
  EXPECT_FALSE(encoder.Encode(picture.view, data, bytes, key));  // not opened

  ASSERT_TRUE(encoder.Open(160, 120, 0));  // rate 0: the default
  EXPECT_FALSE(encoder.Encode(picture.view, data, bytes, key));  // another size
  ASSERT_TRUE(encoder.Open(320, 240, 30));
  plat::YuvPicture broken = picture.view;
  broken.plane[2] = nullptr;
  EXPECT_FALSE(encoder.Encode(broken, data, bytes, key));
  broken = picture.view;
  broken.stride[0] = 100;  // shorter than a row
  EXPECT_FALSE(encoder.Encode(broken, data, bytes, key));
  EXPECT_TRUE(encoder.Encode(picture.view, data, bytes, key));
  EXPECT_TRUE(key);
}
