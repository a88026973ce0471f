// The card source at the limits: entries that claim more than their data, a store that shrinks
// while it is read, and markers that would outrun the ring of sensor blocks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/store/CardStoreTestSupport.h"
#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;
using storetest::Plain;

namespace {

// A backup job that keeps the sequences it is handed and can cut the store short once it is
// handed a given chunk, as a card pulled out or a failing file would.
class WatchingJob : public ISourceJob {
 public:
  explicit WatchingJob(std::string path = {}, std::uint32_t cutAt = 0) : path_(std::move(path)), cutAt_(cutAt) {}
  bool Begin() override { return true; }
  bool TakeChunk(const JobChunk& c) override {
    sequences.push_back(c.trailer->Sequence());
    if (!path_.empty() && c.chunkNumber == cutAt_) std::filesystem::resize_file(path_, c.dataOffset + kChunkSize);
    return true;
  }
  void Finish(const BackupEntries&, SourceEnd) override { finished = true; }

  std::vector<std::uint32_t> sequences;  // read once the job has finished
  std::atomic<bool> finished{false};

 private:
  std::string path_;
  std::uint32_t cutAt_;
};

bool StartBackup(SourceRig& rig, WatchingJob& job, int entries) {
  std::vector<IndexEntry*> list;
  for (int r = 0; r < entries; ++r) list.push_back(rig.EntryOf(r));
  if (!rig.source.AddBackupEntries(list.data(), entries)) return false;
  rig.source.SetJob(&job);
  rig.state.open = true;
  return rig.source.Start();
}

}  // namespace

TEST(SourceLimits, AnEntryIsReadWithinItsBoundsHoweverFarItClaimsToReach) {
  // The first entry claims 100,000 chunks; the recording after it continues its sequence, so its
  // chunks pass for the first entry's own until the 2048-chunk bound. The last entry also claims
  // 100,000 chunks but its file ends with its tenth.
  fixtures::StoreDescription desc = storetest::PlainStore(fixtures::StoreKind::kSd, {1024, 1025, 10});
  desc.recordings[0].claimedChunks = 100000;
  desc.recordings[2].claimedChunks = 100000;
  Fixture far(desc, "far");
  ASSERT_TRUE(far.ok());
  const fixtures::Layout& layout = far.layout();
  ASSERT_EQ(std::filesystem::file_size(layout.path), layout.recordings[2].chunks.back().fileOffset + kChunkSize);
  SourceRig rig(layout);
  WatchingJob job;
  ASSERT_TRUE(StartBackup(rig, job, 3));
  ASSERT_TRUE(Eventually([&] { return job.finished.load(); }));
  EXPECT_EQ(rig.source.LastEnd(), SourceEnd::kData);
  EXPECT_EQ(rig.source.InvalidChunks(), 0u);
  ASSERT_EQ(job.sequences.size(), 2048u + 1025u + 10u);
  EXPECT_EQ(job.sequences[2047], layout.recordings[1].chunks[1023].sequence);
  EXPECT_EQ(job.sequences[2048], layout.recordings[1].chunks[0].sequence);
  EXPECT_EQ(job.sequences.back(), layout.recordings[2].chunks.back().sequence);
}

TEST(SourceLimits, AStoreThatShrinksWhileReadEndsTheDataAfterBoundedRetries) {
  const fixtures::StoreDescription desc = storetest::PlainStore(fixtures::StoreKind::kSd, {40});
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  {
    SourceRig rig(fixture.layout());
    WatchingJob job(fixture.layout().path, 11);
    ASSERT_TRUE(StartBackup(rig, job, 1));
    ASSERT_TRUE(Eventually([&] { return job.finished.load(); }));
    EXPECT_EQ(rig.source.LastEnd(), SourceEnd::kReadError);
    EXPECT_EQ(rig.source.InvalidChunks(), static_cast<std::uint32_t>(CSourceBoxCtx::kMaxFailedChunks));
    EXPECT_EQ(rig.source.ValidChunks(), 12u);
  }

  // A stop while the reads are retried ends the thread at once.
  Fixture again(desc, "again");
  ASSERT_TRUE(again.ok());
  SourceRig rig(again.layout());
  WatchingJob job(again.layout().path, 2);
  ASSERT_TRUE(StartBackup(rig, job, 1));
  ASSERT_TRUE(Eventually([&] { return rig.source.InvalidChunks() >= 1; }));
  EXPECT_TRUE(rig.source.Stop(1000));
  EXPECT_LT(rig.source.InvalidChunks(), static_cast<std::uint32_t>(CSourceBoxCtx::kMaxFailedChunks));
}

TEST(SourceLimits, ReadingWaitsBeforeAMarkerCouldLoseItsSensorBlock) {
  // Two recordings of empty chunks: a marker each and no frames, so that only markers fill the
  // video queue.
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 0.5);
  for (fixtures::RecordingDescription& r : desc.recordings) {
    r.hasVideo = false;
    r.hasSound = false;
    r.hasCarData = false;
    r.chunkCount = 2048;
  }
  desc.recordings[1].slot = 2;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  SourceRig rig(fixture.layout());
  rig.consumer.SetPaused(true);
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(Eventually([&] { return rig.video.MarkerCount() >= kSensorRingSlots - 1; }));
  Sleep(50);
  EXPECT_EQ(rig.video.MarkerCount(), kSensorRingSlots - 1);
  EXPECT_NE(rig.source.LastEnd(), SourceEnd::kData);
  rig.consumer.SetPaused(false);
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  const std::vector<TakenItem> markers = rig.consumer.Markers();
  ASSERT_EQ(markers.size(), 2 * 2048u);
  for (std::size_t i = 0; i < markers.size(); ++i) {
    ASSERT_TRUE(markers[i].blockTaken) << i;
    IndexBlockA5 block;
    std::copy(markers[i].bytes.begin(), markers[i].bytes.end(), block.bytes.begin());
    ASSERT_EQ(block.Sequence(), markers[i].item.seq) << i;
  }
}
