#include "engine/video/BackwardGroup.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/video/FfmpegVideoDecoder.h"
#include "testdata/TestStream.h"

namespace {

using fixtures::AccessUnit;
using fixtures::StreamFormat;
using fixtures::StreamLayout;

constexpr int kGop = 10;
constexpr int kPictures = 30;
// Time stamps in microseconds with a high word, as the recorder's time frames give them.
constexpr std::uint64_t kFirstTime = 0x0000'0001'0000'0000ull + 1'000'000;
constexpr std::uint64_t kInterval = 33'333;

std::uint64_t TimeOf(int picture) { return kFirstTime + kInterval * static_cast<std::uint64_t>(picture); }
// The recording second of a picture's chunk, one picture a second so that each has its own.
std::int32_t SecondOf(int picture) { return 1709280750 + picture; }

// Plays a stream backward as the source hands it over (each group forward, the groups from the
// latest to the earliest) and as the video thread takes it: each unit added, then every picture
// the cache has ready shown.
class BackwardPlay {
 public:
  explicit BackwardPlay(const StreamFormat& format) {
    fixtures::ReferenceStream stream = fixtures::EncodeWithReference(format, kPictures, "backward.h264");
    units_ = std::move(stream.units);
    reference_ = std::move(stream.hashes);
    EXPECT_EQ(reference_.size(), static_cast<std::size_t>(kPictures));
    EXPECT_TRUE(decoder_.Setup(false));
  }

  // Adds pictures first..last of the stream; returns the numbers of the pictures shown meanwhile.
  std::vector<int> Feed(int first, int last) {
    std::vector<int> shown;
    for (int i = first; i <= last; ++i) {
      AccessUnit& u = units_[static_cast<std::size_t>(i)];
      QueueItem item;
      item.data = u.bytes.data();
      item.length = static_cast<std::uint32_t>(u.bytes.size());
      item.type = u.key ? kItemKeyFrame : kItemInterFrame;
      item.seq = static_cast<std::uint32_t>(i);
      item.chunkTime = SecondOf(i);
      group_.Add(item, TimeOf(i));
      const std::vector<int> due = Due();
      shown.insert(shown.end(), due.begin(), due.end());
    }
    return shown;
  }

  std::vector<int> Finish() {
    group_.Finish();
    return Due();
  }

  CBackwardGroup& Group() { return group_; }
  std::size_t MostHeld() const { return mostHeld_; }

 private:
  // The pictures ready now, each checked against ffmpeg's decoding and against the item and stamp
  // it was decoded with.
  std::vector<int> Due() {
    std::vector<int> shown;
    while (group_.Work(decoder_)) {
      mostHeld_ = std::max(mostHeld_, group_.HeldPictures());
      const CBackwardGroup::Picture* p = group_.Next();
      if (!p) break;
      const std::string hash = fixtures::PictureHash(*p->frame);
      const auto found = std::find(reference_.begin(), reference_.end(), hash);
      EXPECT_NE(found, reference_.end());
      const int number = static_cast<int>(found - reference_.begin());
      EXPECT_EQ(p->item.seq, static_cast<std::uint32_t>(number));
      EXPECT_EQ(p->item.chunkTime, SecondOf(number));
      EXPECT_EQ(p->stamp, TimeOf(number));
      shown.push_back(number);
    }
    return shown;
  }

  std::vector<AccessUnit> units_;
  std::vector<std::string> reference_;
  FfmpegVideoDecoder decoder_;
  // Sets of the fewest pictures, whatever their size.
  CBackwardGroup group_{1};
  std::size_t mostHeld_ = 0;
};

std::vector<int> Descending(int from, int to) {
  std::vector<int> out;
  for (int i = from; i >= to; --i) out.push_back(i);
  return out;
}

std::vector<int> Joined(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> out;
  for (const std::vector<int>& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

// Groups of ten pictures, and one cut to three: every picture is shown once, latest first, while
// the groups before arrive; no more than two sets of pictures are held decoded at once, however
// long the groups.
TEST(BackwardGroupTest, EveryPictureIsShownOnceLatestFirstWithTwoSetsHeldWhateverTheGroupLengths) {
  BackwardPlay play({320, 240, 30, kGop, 26, StreamLayout::Yuv420});
  // Nothing is ready while the latest group arrives.
  EXPECT_TRUE(play.Feed(20, 29).empty());
  // Its pictures are shown while the group before arrives, of which only three come (a cut).
  const std::vector<int> during = play.Feed(10, 12);
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during, Descending(29, 30 - static_cast<int>(during.size())));
  std::vector<int> shown = during;
  for (const std::vector<int>& more : {play.Feed(0, 9), play.Finish()}) shown.insert(shown.end(), more.begin(), more.end());
  EXPECT_EQ(shown, Joined({Descending(29, 20), Descending(12, 10), Descending(9, 0)}));
  EXPECT_LE(play.MostHeld(), static_cast<std::size_t>(2 * CBackwardGroup::kMinKeep + 1));

  // A reset (a seek) drops what is held and what was taken; a new play starts afresh.
  play.Feed(20, 29);
  EXPECT_FALSE(play.Feed(10, 19).empty());
  play.Group().Reset();
  EXPECT_EQ(play.Group().HeldPictures(), 0u);
  EXPECT_EQ(play.Finish(), std::vector<int>{});
  play.Feed(0, 9);
  EXPECT_EQ(play.Finish(), Descending(9, 0));
}
