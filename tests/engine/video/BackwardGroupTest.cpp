#include "engine/video/BackwardGroup.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/video/FfmpegVideoDecoder.h"
#include "tests/fixtures/TestStream.h"

namespace {

using fixtures::AccessUnit;
using fixtures::StreamFormat;
using fixtures::StreamLayout;

constexpr int kGop = 5;
constexpr int kPictures = 20;
// Time stamps in microseconds with a high word, as the recorder's time frames give them.
constexpr std::uint64_t kFirstTime = 0x0000'0001'0000'0000ull + 1'000'000;
constexpr std::uint64_t kInterval = 33'333;

std::uint64_t TimeOf(int picture) { return kFirstTime + kInterval * static_cast<std::uint64_t>(picture); }
// The recording second of a picture's chunk, one picture a second so that each has its own.
std::int32_t SecondOf(int picture) { return 1709280750 + picture; }

// Plays a stream backward as the source hands it over: each group forward, the groups from the
// latest to the earliest.
class BackwardPlay {
 public:
  explicit BackwardPlay(const StreamFormat& format) {
    fixtures::ReferenceStream stream = fixtures::EncodeWithReference(format, kPictures, "backward.h264");
    units_ = std::move(stream.units);
    reference_ = std::move(stream.hashes);
    EXPECT_EQ(reference_.size(), static_cast<std::size_t>(kPictures));
    EXPECT_TRUE(decoder_.Setup(false));
  }

  // Decodes pictures first..last of the stream into the cache; returns the numbers of the
  // pictures shown, checking each against ffmpeg's decoding and the time it carries.
  std::vector<int> Feed(int first, int last, bool withTime = true) {
    std::vector<int> shown;
    for (int i = first; i <= last; ++i) {
      const AccessUnit& u = units_[i];
      EXPECT_TRUE(decoder_.Decode(u.bytes.data(), u.bytes.size(), i));
      std::uint64_t frameTime = withTime ? TimeOf(i) : 0;
      std::int32_t second = SecondOf(i);
      const AVFrame* picture = group_.Take(*decoder_.Picture(), u.key, frameTime, second);
      if (!picture) continue;
      const std::string hash = fixtures::PictureHash(*picture);
      const auto found = std::find(reference_.begin(), reference_.end(), hash);
      EXPECT_NE(found, reference_.end());
      const int number = static_cast<int>(found - reference_.begin());
      EXPECT_EQ(second, SecondOf(number));
      if (withTime) {
        EXPECT_EQ(frameTime, TimeOf(number));
        EXPECT_EQ(group_.LastShownTime(), TimeOf(number));
      }
      shown.push_back(number);
    }
    return shown;
  }

  std::vector<int> FeedGroups(std::initializer_list<int> groups, bool withTime = true) {
    std::vector<int> shown;
    for (int g : groups) {
      const std::vector<int> s = Feed(g * kGop, g * kGop + kGop - 1, withTime);
      shown.insert(shown.end(), s.begin(), s.end());
    }
    return shown;
  }

  CBackwardGroup& Group() { return group_; }

 private:
  std::vector<AccessUnit> units_;
  std::vector<std::string> reference_;
  FfmpegVideoDecoder decoder_;
  CBackwardGroup group_;
};

}  // namespace

TEST(BackwardGroupTest, EachGroupIsShownLastPictureFirstWhileTheGroupBeforeItDecodes) {
  // A picture size with odd chroma sizes as well as an ordinary one.
  const StreamFormat formats[] = {{320, 240, 30, kGop, 26, StreamLayout::Yuv420},
                                  {335, 255, 30, kGop, 26, StreamLayout::Gray}};
  for (const StreamFormat& f : formats) {
    SCOPED_TRACE(testing::Message() << f.width << "x" << f.height);
    BackwardPlay play(f);
    // The latest picture is not shown: it is later than the last one shown before (none). The
    // earliest group is never shown: no key frame follows it.
    EXPECT_EQ(play.FeedGroups({3, 2, 1, 0}), (std::vector<int>{18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5}));
    EXPECT_EQ(play.Group().Collecting(), static_cast<std::size_t>(kGop));
    EXPECT_EQ(play.Group().Showing(), 0u);

    // A seek: both groups go, and the first picture after it is later than the last one shown.
    play.Group().Reset();
    EXPECT_EQ(play.Group().Collecting(), 0u);
    EXPECT_EQ(play.FeedGroups({2, 1}), (std::vector<int>{13, 12, 11, 10}));
  }
}

TEST(BackwardGroupTest, PicturesLeftOfALongerGroupAreNotShown) {
  BackwardPlay play({320, 240, 30, kGop, 26, StreamLayout::Yuv420});
  std::vector<int> shown = play.Feed(15, 19);
  // Only three pictures of the group before arrive (a cut in the recording).
  const std::vector<int> partial = play.Feed(10, 12);
  shown.insert(shown.end(), partial.begin(), partial.end());
  const std::vector<int> rest = play.FeedGroups({1});
  shown.insert(shown.end(), rest.begin(), rest.end());
  EXPECT_EQ(shown, (std::vector<int>{18, 17, 12, 11, 10}));
}

TEST(BackwardGroupTest, PicturesWithoutATimeAreAlwaysShown) {
  BackwardPlay play({320, 240, 30, kGop, 26, StreamLayout::Yuv420});
  EXPECT_EQ(play.FeedGroups({3, 2}, false), (std::vector<int>{19, 18, 17, 16, 15}));
  EXPECT_EQ(play.Group().LastShownTime(), 0u);
}
