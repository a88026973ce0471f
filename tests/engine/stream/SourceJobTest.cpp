// The card source running a backup job: what the job is handed, the progress it posts, and the
// entries it is told were copied when it ends or is stopped.
#include <gtest/gtest.h>

#include <mutex>

#include "tests/engine/stream/SourceTestSupport.h"

using namespace sourcetest;

namespace {

// A job that keeps what it is handed; it can hold the source thread at a given chunk until the
// thread is told to stop.
class RecordingJob : public ISourceJob {
 public:
  struct Chunk {
    std::uint32_t backupPosition;
    std::uint32_t chunkNumber;
    std::uint32_t sequence;
    int progress;
  };

  RecordingJob(CSourceBoxCtx& source, std::size_t holdAt) : source_(source), holdAt_(holdAt) {}

  bool Begin() override { return true; }
  bool TakeChunk(const JobChunk& c) override {
    {
      std::lock_guard lock(mutex_);
      chunks_.push_back({c.backupPosition, c.chunkNumber, c.trailer->Sequence(), source_.JobProgress()});
    }
    if (++count_ == holdAt_) {
      while (source_.IsRunning()) Sleep(1);
    }
    return true;
  }
  void Finish(const BackupEntries& entries, SourceEnd end) override {
    std::lock_guard lock(mutex_);
    ++finished_;
    taken_ = entries.taken;
    end_ = end;
  }

  std::size_t Count() const { return count_.load(); }
  std::vector<Chunk> Chunks() const {
    std::lock_guard lock(mutex_);
    return chunks_;
  }
  int Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
  }
  std::vector<IndexEntry> Taken() const {
    std::lock_guard lock(mutex_);
    return taken_;
  }
  SourceEnd End() const {
    std::lock_guard lock(mutex_);
    return end_;
  }

 private:
  CSourceBoxCtx& source_;
  const std::size_t holdAt_;
  std::atomic<std::size_t> count_{0};
  mutable std::mutex mutex_;
  std::vector<Chunk> chunks_;
  int finished_ = 0;
  std::vector<IndexEntry> taken_;
  SourceEnd end_ = SourceEnd::kNone;
};

bool StartBackup(SourceRig& rig, RecordingJob& job, const std::vector<int>& recordings) {
  std::vector<IndexEntry*> entries;
  for (int r : recordings) entries.push_back(rig.EntryOf(r));
  if (!rig.source.AddBackupEntries(entries.data(), static_cast<int>(entries.size()))) return false;
  rig.source.SetJob(&job);
  rig.state.open = true;
  return rig.source.Start();
}

}  // namespace

TEST(SourceJob, ABackupIsHandedEveryChunkAndPostsEachNewFifthOfItsProgressOnce) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 3.0);
  // A recording of one chunk: its first and last chunk are the same.
  desc.recordings[0].seconds = 0.1;
  desc.recordings[0].hasVideo = false;
  desc.recordings[0].hasCarData = false;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  ASSERT_EQ(layout.recordings[0].chunks.size(), 1u);
  RecordingRouter router;
  SourceRig rig(layout);
  rig.state.notifyWnd = reinterpret_cast<HWND>(0x55);
  RecordingJob job(rig.source, 0);
  ASSERT_TRUE(StartBackup(rig, job, {0, 1}));
  ASSERT_TRUE(Eventually([&] { return router.Posted(WM_PLAYER_END).size() == 1; }));
  EXPECT_EQ(router.Posted(WM_PLAYER_END).front().lParam, -1);
  EXPECT_EQ(rig.source.JobProgress(), -1);

  const std::vector<RecordingJob::Chunk> chunks = job.Chunks();
  ASSERT_EQ(chunks.size(), layout.recordings[0].chunks.size() + layout.recordings[1].chunks.size());
  EXPECT_EQ(chunks.front().progress, 90);
  int posts = 0;
  int previous = -1;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const RecordingJob::Chunk& c = chunks[i];
    const std::size_t r = i == 0 ? 0 : 1;
    EXPECT_EQ(c.backupPosition, r);
    EXPECT_EQ(c.sequence, layout.recordings[r].chunks[c.chunkNumber].sequence);
    EXPECT_EQ(c.progress % 5, 0);
    EXPECT_GE(c.progress, 0);
    EXPECT_LE(c.progress, 90);
    if (i > 1) {
      EXPECT_GE(c.progress, previous);
    }
    posts += c.progress != previous;
    previous = c.progress;
  }
  EXPECT_EQ(chunks[1].progress, 0);
  EXPECT_EQ(chunks.back().progress, 90);
  EXPECT_EQ(static_cast<int>(router.Posted(WM_PLAYER_SENSORDATA).size()), posts);

  EXPECT_TRUE(rig.source.Stop(10000));
  EXPECT_EQ(job.Finished(), 1);
  EXPECT_EQ(job.End(), SourceEnd::kData);
  const std::vector<IndexEntry> taken = job.Taken();
  ASSERT_EQ(taken.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(taken[i].bytes, rig.EntryOf(static_cast<int>(i))->bytes);
}

TEST(SourceJob, AStoppedBackupKeepsOnlyTheChunksHandedOver) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  SourceRig rig(layout);
  const std::size_t held = layout.recordings[0].chunks.size() + 5;  // the fifth chunk of the second
  RecordingJob job(rig.source, held);
  ASSERT_TRUE(StartBackup(rig, job, {0, 1, 2}));
  ASSERT_TRUE(Eventually([&] { return job.Count() == held; }));
  EXPECT_TRUE(rig.source.Stop(10000));
  EXPECT_EQ(job.Finished(), 1);
  EXPECT_EQ(job.End(), SourceEnd::kStopped);
  const std::vector<IndexEntry> taken = job.Taken();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].bytes, rig.EntryOf(0)->bytes);
  const fixtures::ChunkInfo& last = layout.recordings[1].chunks[4];
  EXPECT_EQ(taken[1].FirstChunk(), layout.recordings[1].entry.first);
  EXPECT_EQ(taken[1].LastChunk(), last.sequence);
  EXPECT_EQ(taken[1].EndTime(), last.time);
  EXPECT_EQ(taken[1].Sequence(), rig.EntryOf(1)->Sequence());
}
