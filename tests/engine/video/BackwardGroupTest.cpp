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
  // pictures due meanwhile.
  std::vector<int> Feed(int first, int last) {
    std::vector<int> shown;
    for (int i = first; i <= last; ++i) {
      const AccessUnit& u = units_[static_cast<std::size_t>(i)];
      EXPECT_TRUE(decoder_.Decode(u.bytes.data(), u.bytes.size(), i));
      QueueItem item;
      item.type = u.key ? kItemKeyFrame : kItemInterFrame;
      item.seq = static_cast<std::uint32_t>(i);
      item.chunkTime = SecondOf(i);
      group_.Take(*decoder_.Picture(), item, TimeOf(i));
      const std::vector<int> due = Due();
      shown.insert(shown.end(), due.begin(), due.end());
    }
    return shown;
  }

  std::vector<int> FeedGroups(std::initializer_list<int> groups) {
    std::vector<int> shown;
    for (int g : groups) {
      const std::vector<int> s = Feed(g * kGop, g * kGop + kGop - 1);
      shown.insert(shown.end(), s.begin(), s.end());
    }
    return shown;
  }

  std::vector<int> Finish() {
    group_.Finish();
    return Due();
  }

  CBackwardGroup& Group() { return group_; }

 private:
  // The pictures due now, each checked against ffmpeg's decoding and against the item and stamp
  // it was decoded with.
  std::vector<int> Due() {
    std::vector<int> shown;
    while (const CBackwardGroup::Picture* p = group_.Next()) {
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
  CBackwardGroup group_;
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

TEST(BackwardGroupTest, EveryPictureIsShownOnceLatestFirstWhateverTheGroupLengths) {
  BackwardPlay play({320, 240, 30, kGop, 26, StreamLayout::Yuv420});
  // Nothing is due while the latest group decodes; then one picture for each decoded.
  EXPECT_TRUE(play.Feed(15, 19).empty());
  // Only three pictures of the group before arrive (a cut in the recording).
  EXPECT_EQ(play.Feed(10, 12), Descending(19, 17));
  EXPECT_EQ(play.Group().Collecting(), 3u);
  // At the next key picture the two left of the later group are due at once, then one a picture.
  EXPECT_EQ(play.FeedGroups({1}), Joined({Descending(16, 15), Descending(12, 10)}));
  // The earliest group is due at the end of the data, after the rest of the one before.
  EXPECT_EQ(play.Feed(0, 1), Descending(9, 8));
  EXPECT_EQ(play.Finish(), Joined({Descending(7, 5), Descending(1, 0)}));
  EXPECT_EQ(play.Group().Showing(), 0u);

  // A reset (a seek) drops both groups.
  EXPECT_EQ(play.FeedGroups({3, 2}), Descending(19, 15));
  play.Group().Reset();
  EXPECT_EQ(play.Group().Collecting(), 0u);
  EXPECT_EQ(play.Finish(), std::vector<int>{});
  EXPECT_EQ(play.FeedGroups({1, 0}), Descending(9, 5));
  EXPECT_EQ(play.Finish(), Descending(4, 0));
}
