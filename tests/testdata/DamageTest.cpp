#include <algorithm>

#include "platform/File.h"
#include "tests/testdata/TestSupport.h"

namespace fixtures::testing {
namespace {

using K = Finding::Kind;
using DamageTest = BuilderTest;

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

std::vector<std::string> Chunks(K kind, int recording, int from, int to) {
  std::vector<std::string> out;
  for (int k = from; k < to; ++k) out.push_back(BriefOf(kind, recording, k));
  return out;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return Sorted(std::move(a));
}

TEST_F(DamageTest, ChunkDamageIsFoundExactlyWhereItWasAsked) {
  for (StoreKind kind : {StoreKind::kCard, StoreKind::kSd, StoreKind::kIdx}) {
    StoreDescription desc = Recordings(kind, 2, 2.0);
    desc.damage = {Damage::ZeroChunk(0, 3), Damage::ForeignGenerationChunk(0, 6), Damage::BadChunkChecksum(1, 2),
                   Damage::SkipSequence(1, 5)};
    const auto layout = Build(desc, kind == StoreKind::kIdx ? "chunks.idx" : "chunks.img");
    ASSERT_TRUE(layout);
    EXPECT_EQ(Briefs(CheckStore(*layout)),
              Sorted({BriefOf(K::kZeroChunk, 0, 3), BriefOf(K::kWrongGeneration, 0, 6),
                      BriefOf(K::kChunkInvalid, 1, 2), BriefOf(K::kSequenceGap, 1, 5)}));
    const auto& r0 = layout->recordings[0].chunks;
    const auto& r1 = layout->recordings[1].chunks;
    EXPECT_EQ(r0[3].fate, ChunkFate::kZeroed);
    EXPECT_EQ(r0[6].fate, ChunkFate::kForeignGeneration);
    EXPECT_EQ(r1[2].fate, ChunkFate::kBadChecksum);
    EXPECT_EQ(r1[5].sequence, r1[4].sequence + 2);
    EXPECT_EQ(layout->recordings[1].entry.last, r1[0].sequence + r1.size());
    EXPECT_TRUE(ReadBytes(r0[3].file, r0[3].fileOffset, 16384) == std::vector<std::uint8_t>(16384, 0));
  }
}

TEST_F(DamageTest, TruncatedFilesCutOffTheirChunksOrTheIndex) {
  StoreDescription desc = Recordings(StoreKind::kSd, 2, 1.0);
  desc.damage = {Damage::TruncateChunk(1, 4, 100)};
  auto layout = Build(desc, "cut.sd");
  ASSERT_TRUE(layout);
  const int n = static_cast<int>(layout->recordings[1].chunks.size());
  EXPECT_EQ(Briefs(CheckStore(*layout)), Sorted(Chunks(K::kTruncated, 1, 4, n)));
  EXPECT_EQ(layout->recordings[1].chunks[3].fate, ChunkFate::kIntact);
  EXPECT_EQ(layout->recordings[1].chunks[4].fate, ChunkFate::kTruncated);

  desc = Recordings(StoreKind::kIdx, 1, 1.0);
  desc.damage = {Damage::TruncateIndexFile(0x5000000)};  // copy 1 whole, copy 2 missing
  layout = Build(desc, "short.idx");
  ASSERT_TRUE(layout);
  EXPECT_EQ(Briefs(CheckStore(*layout)), (std::vector<std::string>{BriefOf(K::kIndexFileShort, -1, -1, 2)}));

  desc = Recordings(StoreKind::kSd, 1, 1.0);
  desc.damage = {Damage::TruncateIndexFile(1 << 20)};
  layout = Build(desc, "short.sd");
  ASSERT_TRUE(layout);
  const int chunks = static_cast<int>(layout->recordings[0].chunks.size());
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Joined({BriefOf(K::kIndexFileShort, -1, -1, 1)}, Chunks(K::kTruncated, 0, 0, chunks)));
}

TEST_F(DamageTest, IndexAndHeaderDamageIsFoundPerCopy) {
  StoreDescription desc = Recordings(StoreKind::kCard, 3, 1.0);
  desc.damage = {Damage::BadEntryChecksum(1, 2), Damage::SlotWithoutMagic(5, 1), Damage::BadHeaderChecksum(2)};
  const auto layout = Build(desc, "index.img");
  ASSERT_TRUE(layout);
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Sorted({BriefOf(K::kEntryInvalid, 1, -1, 2, 1), BriefOf(K::kCopiesDiffer, -1, -1, 0, 1),
                    BriefOf(K::kSlotWithoutMagic, -1, -1, 1, 5), BriefOf(K::kCopiesDiffer, -1, -1, 0, 5),
                    BriefOf(K::kHeaderInvalid, -1, -1, 2)}));

  desc = Recordings(StoreKind::kCard, 1, 1.0);
  desc.headerCapacity = 0;
  const auto zero = Build(desc, "zero.img");
  ASSERT_TRUE(zero);
  EXPECT_EQ(Briefs(CheckStore(*zero)),
            Sorted({BriefOf(K::kHeaderInvalid, -1, -1, 1), BriefOf(K::kHeaderInvalid, -1, -1, 2)}));
  EXPECT_EQ(ReadBytes(zero->path, 0x600000C, 2), (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(DamageTest, IndexCopiesDifferAsDescribed) {
  StoreDescription desc = Recordings(StoreKind::kCard, 4, 1.0);
  desc.recordings[0].entryFlagInCopy2 = 7;
  desc.recordings[2].index = IndexCopies::kFirstOnly;
  desc.recordings[3].index = IndexCopies::kSecondOnly;  // copy 2 knows one entry more
  const auto layout = Build(desc, "copies.img");
  ASSERT_TRUE(layout);
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Sorted({BriefOf(K::kCopiesDiffer, -1, -1, 0, 0), BriefOf(K::kCopiesDiffer, -1, -1, 0, 2),
                    BriefOf(K::kCopiesDiffer, -1, -1, 0, 3)}));
  EXPECT_EQ(ReadBytes(layout->path, 0x8000000 + 227, 1).at(0), 0);
  EXPECT_EQ(ReadBytes(layout->path, 0xA000000 + 227, 1).at(0), 7);
  EXPECT_EQ(Be32At(ReadBytes(layout->path, 0xA000000 + 3 * 512, 8), 4), 4u);
  EXPECT_EQ(Be32At(ReadBytes(layout->path, 0x8000000 + 3 * 512, 8), 4), 0u);
}

TEST_F(DamageTest, EntryFaultsAreFoundAsWritten) {
  StoreDescription desc = Recordings(StoreKind::kCard, 4, 1.0);
  desc.recordings[1].lastChunkUnknown = true;
  desc.recordings[2].entrySequence = 1;  // a new run of entries, which ends forward play
  desc.recordings[3].entrySequence = 2;
  const auto layout = Build(desc, "entries.img");
  ASSERT_TRUE(layout);
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Sorted({BriefOf(K::kEntryEndUnknown, 1, -1, 1), BriefOf(K::kEntryEndUnknown, 1, -1, 2),
                    BriefOf(K::kEntryOrder, 2)}));
  const auto entry = ReadBytes(layout->path, 0x8000000 + 512, 512);
  EXPECT_EQ(Be32At(entry, 216), 0u);
  EXPECT_TRUE(std::all_of(entry.begin() + 220, entry.begin() + 226, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(DamageTest, UnindexedAndStaleRecordingsAfterTheNewestEntry) {
  StoreDescription desc = Recordings(StoreKind::kCard, 4, 1.0);
  desc.recordings[3].index = IndexCopies::kNone;  // the recorder's newest, not yet in the index
  auto layout = Build(desc, "merge.img");
  ASSERT_TRUE(layout);
  EXPECT_EQ(Briefs(CheckStore(*layout)), (std::vector<std::string>{BriefOf(K::kUnindexed, 3)}));
  EXPECT_EQ(Be32At(ReadBytes(layout->path, 0x8000000 + 3 * 512, 8), 4), 0u);
  EXPECT_EQ(layout->recordings[3].chunks[0].sequence, layout->recordings[2].entry.last + 1);

  desc.recordings[3].generation = 0x00054321;  // a stale block of an older card generation
  layout = Build(desc, "stale.img");
  ASSERT_TRUE(layout);
  const int n = static_cast<int>(layout->recordings[3].chunks.size());
  EXPECT_EQ(Briefs(CheckStore(*layout)), Joined({BriefOf(K::kUnindexed, 3)}, Chunks(K::kWrongGeneration, 3, 0, n)));
}

TEST_F(DamageTest, ARingWrapOverwritesTheOldestRecordingFromItsStart) {
  StoreDescription desc = Recordings(StoreKind::kCard, 4, 2.0);
  desc.capacity = 4;
  RecordingDescription& wrap = desc.recordings.emplace_back();
  wrap.seconds = 0.5;
  wrap.slot = 0;
  wrap.index = IndexCopies::kNone;
  const auto layout = Build(desc, "ring.img");
  ASSERT_TRUE(layout);
  const int over = static_cast<int>(layout->recordings[4].chunks.size());
  ASSERT_LT(over, static_cast<int>(layout->recordings[0].chunks.size()));
  EXPECT_EQ(Briefs(CheckStore(*layout)), Joined({BriefOf(K::kUnindexed, 4)}, Chunks(K::kOverwritten, 0, 0, over)));
  EXPECT_EQ(layout->recordings[0].chunks[static_cast<std::size_t>(over) - 1].fate, ChunkFate::kOverwritten);
  EXPECT_EQ(layout->recordings[0].chunks[static_cast<std::size_t>(over)].fate, ChunkFate::kIntact);

  // 2048 chunks from the oldest recording's slot overwrite it and the next one whole.
  desc = Recordings(StoreKind::kCard, 4, 1.0);
  desc.capacity = 4;
  RecordingDescription& whole = desc.recordings.emplace_back();
  whole.hasVideo = whole.hasSound = whole.hasCarData = false;
  whole.chunkCount = 2048;
  whole.slot = 0;
  whole.index = IndexCopies::kNone;
  const auto big = Build(desc, "whole.img");
  ASSERT_TRUE(big);
  const int n0 = static_cast<int>(big->recordings[0].chunks.size());
  const int n1 = static_cast<int>(big->recordings[1].chunks.size());
  EXPECT_EQ(Briefs(CheckStore(*big)),
            Joined(Joined({BriefOf(K::kUnindexed, 4)}, Chunks(K::kOverwritten, 0, 0, n0)), Chunks(K::kOverwritten, 1, 0, n1)));
}

TEST_F(DamageTest, StreamFaultsShowAtTheirFrames) {
  StoreDescription desc = Recordings(StoreKind::kSd, 6, 1.0);
  desc.recordings[0].faults.seiFirst = true;
  desc.recordings[1].faults.rawTimeDigitsAtPicture = 3;
  desc.recordings[1].stampBaseUs = 1ull << 32;  // high digits 0000 0001: raw nibbles form headers
  desc.recordings[2].faults.silentSoundFrame = 4;
  desc.recordings[3].faults.shortCarDataSecond = 0;
  desc.recordings[4].faults.oversizeFrameAfterPicture = 2;
  desc.recordings[5].faults.headerInLast8 = true;
  const auto layout = Build(desc, "stream.sd");
  ASSERT_TRUE(layout);
  auto frame = [&](int r, FrameRole role, auto pick) {
    const auto frames = layout->FramesOf(r, role);
    const auto it = std::find_if(frames.begin(), frames.end(), pick);
    return it == frames.end() ? FrameInfo{} : *it;
  };
  const FrameInfo rawTime = frame(1, FrameRole::kTime, [](const FrameInfo& f) { return f.picture == 3; });
  const FrameInfo silent = frame(2, FrameRole::kSound, [](const FrameInfo& f) { return f.sound == 4; });
  const FrameInfo car = frame(3, FrameRole::kCarData, [](const FrameInfo& f) { return f.second == 0; });
  const FrameInfo big = frame(4, FrameRole::kOversize, [](const FrameInfo&) { return true; });
  const FrameInfo last = layout->FramesOf(5).back();
  const auto at = [](const FrameInfo& f, std::uint64_t delta = 0) { return static_cast<std::int64_t>(f.offset + delta); };
  EXPECT_TRUE(rawTime.rawDigits);
  EXPECT_EQ(car.length, 24u);
  EXPECT_EQ(big.length, 1048576u);
  EXPECT_EQ((last.offset + last.length) % 15872, 15868u);
  EXPECT_EQ(layout->FramesOf(0).front().role, FrameRole::kSei);
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Sorted({BriefOf(K::kSeiFirst, 0, -1, 0, -1, 0), BriefOf(K::kUnintendedHeader, 1, -1, 0, -1, at(rawTime, 4)),
                    BriefOf(K::kTimeFrame, 1, -1, 0, -1, at(rawTime)),
                    BriefOf(K::kUnintendedHeader, 2, -1, 0, -1, at(silent, 4)),
                    BriefOf(K::kCarDataFrame, 3, -1, 0, -1, at(car)), BriefOf(K::kOversizeFrame, 4, -1, 0, -1, at(big)),
                    BriefOf(K::kUnterminatedEnd, 5, -1, 0, -1, at(last))}));
}

TEST_F(DamageTest, BytesChangedAfterWritingAreFound) {
  const auto layout = Build(Recordings(StoreKind::kSd, 1, 1.0), "changed.sd");
  ASSERT_TRUE(layout);
  const FrameInfo idr = layout->FramesOf(0, FrameRole::kIdr).front();
  const std::uint64_t inside = (idr.offset + idr.length / 2) / 4 * 4;
  const ChunkInfo& c = layout->recordings[0].chunks[inside / 15872];
  plat::File f;
  ASSERT_TRUE(f.Open(layout->path, plat::kRead | plat::kWrite));
  const std::uint8_t header[4] = {0, 0, 0, 1};
  ASSERT_TRUE(f.WriteAt(c.fileOffset + inside % 15872, header, 4));
  const std::uint8_t flipped = 0x55;
  ASSERT_TRUE(f.WriteAt(0 + 300, &flipped, 1));  // a byte of the entry
  f.Close();
  EXPECT_EQ(Briefs(CheckStore(*layout)),
            Sorted({BriefOf(K::kUnintendedHeader, 0, -1, 0, -1, static_cast<std::int64_t>(inside)),
                    BriefOf(K::kEntryInvalid, 0, -1, 1, 0)}));
}

}  // namespace
}  // namespace fixtures::testing
