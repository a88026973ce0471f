// A re-encoded export through the engine: the channel's threads decode the recording and the
// recorder encodes every picture to MPEG-4, which another decoder reads back close to the source.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/stream/SourceTestSupport.h"
#include "tests/fixtures/FileBytes.h"
#include "tests/fixtures/MediaProbe.h"
#include "tests/fixtures/ShellCommand.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/fixtures/TestStream.h"

using jobtest::JobRig;
using sourcetest::Fixture;

namespace {

// The pictures of a video file as ffmpeg decodes them, planar 4:2:0, one after another.
std::vector<std::uint8_t> DecodedPictures(const std::string& path, const std::string& raw) {
  int status = -1;
  fixtures::RunCommand("ffmpeg -nostdin -v error -y -i " + fixtures::Quoted(path) +
                           " -map 0:v -f rawvideo -pix_fmt yuv420p " + fixtures::Quoted(raw),
                       &status);
  EXPECT_EQ(status, 0) << path;
  return fixtures::ReadFileBytes(raw);
}

double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes) {
  double sum = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    const double d = static_cast<double>(a[i]) - static_cast<double>(b[i]);
    sum += d * d;
  }
  return sum == 0 ? INFINITY : 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(bytes) / sum);
}

}  // namespace

TEST(RecordReencode, AOneChannelExportIsThePictureAtItsOwnSizeEveryPictureWithinTheEncodersLoss) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
  desc.recordings[0].video = {352, 288, 25, 0, 24};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& rec = fixture.layout().recordings[0];
  fixtures::ScratchDir dir("reencode");
  const std::string avi = dir.File("trip.avi");
  JobRig rig(fixture.layout());
  rig.engine->SetExportDecode(true);
  ASSERT_EQ(rig.engine->OpenExport(CString(avi), rig.Entry(0), 0, rec.entry.start, rec.entry.end),
            EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);

  const fixtures::ProbedMedia media = fixtures::ProbeMedia(avi);
  ASSERT_FALSE(media.streams.empty());
  EXPECT_EQ(media.streams[0].Get("codec_name"), "mpeg4");
  EXPECT_EQ(media.streams[0].Get("width") + "x" + media.streams[0].Get("height"), "352x288");

  const std::string source = dir.File("source.h264");
  ASSERT_TRUE(fixtures::WriteStreamFile(source, fixtures::RecordingUnits(fixture.layout(), 0)));
  const std::vector<std::uint8_t> want = DecodedPictures(source, dir.File("source.yuv"));
  const std::vector<std::uint8_t> got = DecodedPictures(avi, dir.File("trip.yuv"));
  const std::size_t pictureBytes = 352 * 288 * 3 / 2;
  ASSERT_EQ(want.size(), static_cast<std::size_t>(rec.pictures) * pictureBytes);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size() / pictureBytes; ++i) {
    EXPECT_GT(Psnr(got.data() + i * pictureBytes, want.data() + i * pictureBytes, pictureBytes), 30.0) << "picture " << i;
  }
}
