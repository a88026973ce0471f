// Pictures handed to the recorder in an export with decoding: the two layouts at any size, and a
// re-encoded export fed by the video thread.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/export/RecordCtx.h"
#include "engine/video/ExportPicture.h"
#include "testdata/MediaProbe.h"
#include "testdata/ScratchDir.h"
#include "tests/engine/video/onscreen/PlaybackTestSupport.h"

using namespace playtest;

namespace {

// The first picture of a stream, decoded, with ffmpeg's hash of it as planar 4:2:0.
struct Decoded {
  FfmpegVideoDecoder decoder;
  std::string planarHash;
  const AVFrame& Picture() const { return *decoder.Picture(); }
};

void Decode(const fixtures::StreamFormat& format, Decoded& out) {
  const fixtures::ReferenceStream stream =
      fixtures::EncodeWithReference(format, 1, "export.h264", "-pix_fmt yuv420p -sws_flags fast_bilinear");
  ASSERT_EQ(stream.hashes.size(), 1u);
  out.planarHash = stream.hashes[0];
  ASSERT_TRUE(out.decoder.Setup(false));
  const std::vector<std::uint8_t>& unit = stream.units[0].bytes;
  ASSERT_TRUE(out.decoder.Decode(unit.data(), unit.size(), 0));
}

// The hash of a planar 4:2:0 view as ffmpeg takes frame hashes.
std::string HashOf(const plat::YuvPicture& view) {
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = view.width;
  frame->height = view.height;
  for (int p = 0; p < 3; ++p) {
    frame->data[p] = const_cast<std::uint8_t*>(view.plane[p]);
    frame->linesize[p] = view.stride[p];
  }
  return fixtures::PictureHash(*frame);
}

// Plane p of the picture, w x h of it, equals the view's plane from (x, y) on.
bool PlaneAt(const AVFrame& picture, int p, const plat::YuvPicture& view, int x, int y, int w, int h) {
  for (int row = 0; row < h; ++row) {
    const std::uint8_t* from = picture.data[p] + static_cast<std::ptrdiff_t>(row) * picture.linesize[p];
    const std::uint8_t* to = view.plane[p] + static_cast<std::ptrdiff_t>(y + row) * view.stride[p] + x;
    if (!std::equal(from, from + w, to)) return false;
  }
  return true;
}

}  // namespace

TEST(ExportPicture, PerChannelLayoutIsThePlainPictureAtEverySizeAndLayout) {
  const fixtures::StreamFormat formats[] = {
      {320, 240, 30, 1, 26, fixtures::StreamLayout::Yuv420},
      {2560, 1440, 30, 1, 40, fixtures::StreamLayout::Yuv420},
      {335, 255, 30, 1, 26, fixtures::StreamLayout::Yuv444},
  };
  for (const fixtures::StreamFormat& format : formats) {
    SCOPED_TRACE(testing::Message() << format.width << "x" << format.height);
    Decoded decoded;
    ASSERT_NO_FATAL_FAILURE(Decode(format, decoded));
    CExportPicture exported;
    ASSERT_TRUE(exported.Take(decoded.Picture(), 0, true));
    const plat::YuvPicture& view = exported.View();
    const int w = format.width;
    const int h = format.height;
    const int cw = (w + 1) / 2;
    EXPECT_EQ(view.width, w);
    EXPECT_EQ(view.height, h);
    EXPECT_EQ(view.stride[0], w);
    EXPECT_EQ(view.stride[1], cw);
    EXPECT_EQ(view.plane[1], view.plane[0] + static_cast<std::ptrdiff_t>(w) * h);
    EXPECT_EQ(view.plane[2], view.plane[1] + static_cast<std::ptrdiff_t>(cw) * ((h + 1) / 2));
    // The same pictures as ffmpeg's, converted the same way where they are not 4:2:0.
    EXPECT_EQ(HashOf(view), decoded.planarHash);
  }
}

TEST(ExportPicture, JoinedLayoutPutsTheChannelInItsQuarterOfABlackMosaic) {
  Decoded decoded;
  ASSERT_NO_FATAL_FAILURE(Decode({1280, 720, 30, 1, 40, fixtures::StreamLayout::Yuv420}, decoded));
  const AVFrame& picture = decoded.Picture();
  const int w = 1280;
  const int h = 720;
  CExportPicture exported;
  for (const int channel : {0, 3}) {
    SCOPED_TRACE(channel);
    ASSERT_TRUE(exported.Take(picture, channel, false));
    const plat::YuvPicture& view = exported.View();
    EXPECT_EQ(view.width, 2 * w);
    EXPECT_EQ(view.height, 2 * h);
    EXPECT_EQ(view.stride[0], 2 * w);
    EXPECT_EQ(view.stride[1], w);
    EXPECT_EQ(view.plane[1], view.plane[0] + 4 * w * h);
    EXPECT_EQ(view.plane[2], view.plane[0] + 5 * w * h);
    const int x = channel == 3 ? w : 0;
    const int y = channel == 3 ? h : 0;
    EXPECT_TRUE(PlaneAt(picture, 0, view, x, y, w, h));
    EXPECT_TRUE(PlaneAt(picture, 1, view, x / 2, y / 2, w / 2, h / 2));
    EXPECT_TRUE(PlaneAt(picture, 2, view, x / 2, y / 2, w / 2, h / 2));
    // The top-right quarter belongs to no channel here.
    EXPECT_EQ(view.plane[0][w + 10], 16);
    EXPECT_EQ(view.plane[1][w / 2 + 10], 128);
  }
  // Back to a plain picture of another size: the layout is made again.
  ASSERT_TRUE(exported.Take(picture, 0, true));
  EXPECT_EQ(exported.View().width, w);
  EXPECT_TRUE(PlaneAt(picture, 0, exported.View(), 0, 0, w, h));
}

TEST(ExportPicture, AnExportWithDecodingHandsEveryPictureToTheRecorderUnpaced) {
  const TestPlay play = MakePlay({320, 240, 30, 10, 26, fixtures::StreamLayout::Yuv420}, 30, "reencode.h264");
  fixtures::ScratchDir dir("export");
  CRecordCtx recorder;
  RecordSettings settings;
  settings.exportName = CString(dir.File("decoded"));
  settings.reencode = true;
  recorder.Begin(settings);

  VideoRig rig;
  rig.video->SetExport(&recorder, true);
  rig.state.exportDecode = true;
  rig.Put(play.units, 1.0, play);
  ASSERT_TRUE(rig.video->Start());
  ASSERT_TRUE(rig.WaitUntilDrained());
  EXPECT_TRUE(rig.video->Stop(10000));
  EXPECT_EQ(recorder.Stop().filesWritten, 1);

  const fixtures::ProbedMedia media = fixtures::ProbeMedia(dir.File("decoded.avi"));
  ASSERT_EQ(media.streams.size(), 1u);
  EXPECT_EQ(media.streams[0].Get("codec_name"), "mpeg4");
  EXPECT_EQ(media.streams[0].Get("width"), "320");
  EXPECT_EQ(media.PacketsOf(0).size(), 30u);
  // Written as fast as the recorder takes them: no picture waited for its time.
  const std::vector<std::uint64_t> times = rig.presenter->Times();
  ASSERT_EQ(times.size(), 30u);
  EXPECT_EQ(times.front(), times.back());
}
