#include <algorithm>

#include "testdata/FileBytes.h"
#include "tests/testdata/TestSupport.h"

namespace fixtures::testing {
namespace {

using StoreBuilderTest = BuilderTest;

TEST_F(StoreBuilderTest, RawCardBlocksLieWhereTheRecorderPutsThem) {
  const auto layout = Build(Recordings(StoreKind::kCard, 3, 2.0), "card.img");
  ASSERT_TRUE(layout);
  const std::string& img = layout->path;
  EXPECT_EQ(FileSize(img), 0x18000000u + 8u * 0x1000000u);
  for (std::uint64_t at : {0x6000000ull, 0x7000000ull}) {
    const auto header = ReadBytes(img, at, 512);
    ASSERT_EQ(header.size(), 512u);
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.begin() + 4),
              (std::vector<std::uint8_t>{0x78, 0x56, 0x89, 0x67}));
    EXPECT_EQ(header[12], 0);
    EXPECT_EQ(header[13], 8);
    EXPECT_EQ(Be32At(header, 504), 0x00012345u);
  }
  for (std::uint64_t copy : {0x8000000ull, 0xA000000ull}) {
    const auto index = ReadBytes(img, copy, 8 * 512);
    for (int slot = 0; slot < 8; ++slot) {
      EXPECT_EQ(Be32At(index, slot * 512), 0xFEFEFEFEu) << slot;
      EXPECT_EQ(Be32At(index, slot * 512 + 4), slot < 3 ? static_cast<std::uint32_t>(slot + 1) : 0u) << slot;
    }
    EXPECT_EQ(Be32At(index, 512 + 200), layout->recordings[1].entry.first);
  }
  for (int r = 0; r < 3; ++r) {
    const auto trailer = ReadBytes(img, 0x18000000ull + r * 0x1000000ull + 0x3E00, 512);
    EXPECT_EQ(Be32At(trailer, 0), 0x000001A5u);
    EXPECT_EQ(Be32At(trailer, 4), layout->recordings[r].entry.first);
  }
  EXPECT_EQ(layout->recordings[0].entry.first, kDefaultFirstChunk);
  EXPECT_EQ(layout->recordings[1].entry.first, layout->recordings[0].entry.last + 1);
  const auto report = CheckStore(*layout);
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

TEST_F(StoreBuilderTest, BackupAndIndexFilesFollowTheirLayouts) {
  StoreDescription backup = Recordings(StoreKind::kSd, 2, 1.0);
  backup.sdHeaderCopy = true;  // as in a backup of a raw card
  const auto sd = Build(backup, "backup.sd");
  ASSERT_TRUE(sd);
  EXPECT_EQ(Be32At(ReadBytes(sd->path, 0x1FFFC00, 512), 0), 0x78568967u);
  const auto& last = sd->recordings[1].chunks.back();
  EXPECT_EQ(last.fileOffset, 0x2000000ull + 0x1000000ull + (sd->recordings[1].chunks.size() - 1) * 16384);
  EXPECT_EQ(FileSize(sd->path), last.fileOffset + 16384);
  EXPECT_EQ(Be32At(ReadBytes(sd->path, 512, 8), 4), 2u);
  EXPECT_TRUE(CheckStore(*sd).Clean());

  StoreDescription desc = Recordings(StoreKind::kIdx, 2, 1.0);
  desc.recordings[1].slot = 64;  // the first block of the second 1 GiB data file
  const auto idx = Build(desc, "X.idx");
  ASSERT_TRUE(idx);
  EXPECT_EQ(FileSize(idx->path), 0xA400000u);
  EXPECT_EQ(ReadBytes(idx->path, 0x2000000, 1024), ReadBytes(idx->path, 0xA000000, 1024));
  EXPECT_EQ(idx->recordings[0].chunks[0].file, dir_.File("dcim/00000001.raw"));
  EXPECT_EQ(idx->recordings[1].chunks[0].file, dir_.File("dcim/00000002.raw"));
  EXPECT_EQ(idx->recordings[1].chunks[0].fileOffset, 0u);
  EXPECT_EQ(Be32At(ReadBytes(dir_.File("dcim/00000002.raw"), 0x3E04, 4), 0), idx->recordings[1].entry.first);
  const auto report = CheckStore(*idx);
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

TEST_F(StoreBuilderTest, TheSameDescriptionGivesTheSameBytes) {
  StoreDescription desc = Recordings(StoreKind::kSd, 1, 1.5);
  desc.recordings[0].events = {{2, 1}};
  const auto a = Build(desc, "a.sd");
  const auto b = Build(desc, "b.sd");
  ASSERT_TRUE(a && b);
  const auto bytesA = fixtures::ReadFileBytes(a->path);
  EXPECT_GT(bytesA.size(), 0x2000000u);
  EXPECT_TRUE(bytesA == fixtures::ReadFileBytes(b->path));
}

TEST_F(StoreBuilderTest, ACapacityEightCardWithThreeRecordingsIsSparse) {
  const auto layout = Build(Recordings(StoreKind::kCard, 3, 5.0), "card.img");
  ASSERT_TRUE(layout);
  struct stat st{};
  ASSERT_EQ(stat(layout->path.c_str(), &st), 0);
  EXPECT_EQ(static_cast<std::uint64_t>(st.st_size), 512ull << 20);
  EXPECT_LT(static_cast<std::uint64_t>(st.st_blocks) * 512, 10ull << 20);
}

TEST_F(StoreBuilderTest, EntriesCarryEventsMarksAndDates) {
  StoreDescription desc = Recordings(StoreKind::kSd, 2, 2.0);
  desc.recordings[0].events = {{5, 1}, {9, 7}};
  desc.recordings[0].markedChunks = {3};
  desc.recordings[0].entryFlag = 0x42;
  desc.recordings[1].events = {{2, 7}};
  const auto layout = Build(desc, "events.sd");
  ASSERT_TRUE(layout);
  const RecordingInfo& r0 = layout->recordings[0];
  const auto entry = ReadBytes(layout->path, 0, 512);
  const std::uint32_t first = Be32At(entry, 200);
  EXPECT_EQ(Be32At(entry, 8), first + 5);
  EXPECT_EQ(entry[18] << 8 | entry[19], 1);
  EXPECT_EQ(Be32At(entry, 20), first + 9);
  EXPECT_EQ(entry[30] << 8 | entry[31], 7);
  EXPECT_EQ(entry[210], 1);  // a marked chunk
  EXPECT_EQ(entry[212], 1);  // the first event has code 1
  EXPECT_EQ(entry[213], 2);
  EXPECT_EQ(entry[227], 0x42);
  EXPECT_EQ(Be32At(entry, 216), first + r0.chunks.size() - 1);
  EXPECT_EQ(layout->recordings[1].entry.type, 2);  // another code
  // 2024-03-01 08:12:30 as {year - 1800, month, day, hour, minute, second}.
  EXPECT_EQ(std::vector<std::uint8_t>(entry.begin() + 204, entry.begin() + 210),
            (std::vector<std::uint8_t>{224, 3, 1, 8, 12, 30}));
  const auto trailer = ReadBytes(layout->path, r0.chunks[5].fileOffset + 15872, 512);
  EXPECT_EQ(trailer[16], 1);
  EXPECT_EQ(trailer[22] << 8 | trailer[23], 1);
  EXPECT_EQ(trailer[20], 30);
  EXPECT_EQ(trailer[21], 0);
  EXPECT_GE(trailer[44] << 8 | trailer[45], 300);  // the jolt of an event chunk
  EXPECT_EQ(r0.entry.events[1].time, r0.chunks[9].time);
  EXPECT_TRUE(CheckStore(*layout).Clean()) << CheckStore(*layout).Describe();
}

TEST_F(StoreBuilderTest, DenseRecordingsShareTheChunkAtTheirBoundary) {
  StoreDescription desc = Recordings(StoreKind::kSd, 2, 1.5);
  desc.recordings[1].continuesPrevious = true;
  const auto layout = Build(desc, "dense.sd");
  ASSERT_TRUE(layout);
  const RecordingInfo& a = layout->recordings[0];
  const RecordingInfo& b = layout->recordings[1];
  EXPECT_EQ(a.stream, b.stream);
  EXPECT_EQ(b.streamBegin, a.streamEnd);
  EXPECT_EQ(b.chunks.front().sequence, a.chunks.back().sequence + 1);
  EXPECT_EQ(b.start, a.start + 2);  // content goes on without a gap
  // The next recording's first key group starts inside the previous one's last chunk, and
  // some frame runs from one recording's chunks into the other's.
  const auto bFrames = layout->FramesOf(1);
  EXPECT_LT(bFrames.front().offset, b.streamBegin);
  const auto aFrames = layout->FramesOf(0);
  const FrameInfo& tail = aFrames.back();
  EXPECT_LT(tail.offset + tail.length, b.streamBegin);
  const bool spans = std::any_of(bFrames.begin(), bFrames.end(), [&](const FrameInfo& f) {
    return f.offset < b.streamBegin && f.offset + f.length > b.streamBegin;
  });
  const bool aSpans = std::any_of(aFrames.begin(), aFrames.end(), [&](const FrameInfo& f) {
    return f.offset + f.length > a.streamEnd;
  });
  EXPECT_TRUE(spans || aSpans);
  const auto report = CheckStore(*layout);
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

TEST_F(StoreBuilderTest, ChunksOfAnotherStreamInterleaveWithoutBreakingTheStream) {
  StoreDescription plain = Recordings(StoreKind::kCard, 1, 2.0);
  StoreDescription desc = plain;
  desc.recordings[0].otherStreamChunks = {2, 5};
  const auto base = Build(plain, "plain.img");
  const auto layout = Build(desc, "other.img");
  ASSERT_TRUE(base && layout);
  const auto& chunks = layout->recordings[0].chunks;
  ASSERT_EQ(chunks.size(), base->recordings[0].chunks.size() + 2);
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    const bool other = k == 2 || k == 5;
    EXPECT_EQ(chunks[k].stream, other ? 1 : 0) << k;
    EXPECT_EQ(chunks[k].streamOffset < 0, other) << k;
    EXPECT_EQ(chunks[k].sequence, chunks[0].sequence + k);
    EXPECT_EQ(ReadBytes(layout->path, chunks[k].fileOffset + 15872 + 14, 1).at(0), other ? 1 : 0);
  }
  EXPECT_EQ(chunks[3].streamOffset, 2 * 15872);
  // The stream-0 payloads are those of the plain recording.
  EXPECT_EQ(ReadBytes(layout->path, chunks[3].fileOffset, 15872),
            ReadBytes(base->path, base->recordings[0].chunks[2].fileOffset, 15872));
  const auto report = CheckStore(*layout);
  EXPECT_TRUE(report.Clean()) << report.Describe();
}

TEST_F(StoreBuilderTest, DescriptionsThatCannotBeBuiltAreRefused) {
  auto refused = [this](const StoreDescription& desc, const char* name) {
    std::string error;
    EXPECT_FALSE(BuildStore(desc, dir_.File("refused.img"), &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  };
  StoreDescription desc = Recordings(StoreKind::kCard, 1, 1.0);
  desc.recordings[0].slot = 8;
  refused(desc, "slot beyond the capacity");
  desc = Recordings(StoreKind::kCard, 1, 1.0);
  desc.recordings[0].faults.rawTimeDigitsAtPicture = 3;  // stamps of 2024 form no false header
  refused(desc, "raw digits without a false header");
  desc = Recordings(StoreKind::kSd, 1, 1.0);
  desc.recordings[0].faults.silentSoundFrame = 25;
  refused(desc, "a fault beyond the content");
  desc = Recordings(StoreKind::kSd, 2, 1.0);
  desc.recordings[0].faults.headerInLast8 = true;
  desc.recordings[1].continuesPrevious = true;
  refused(desc, "an end fault before a continuing recording");
  desc = Recordings(StoreKind::kSd, 1, 1.0);
  desc.recordings[0].chunkCount = 2;
  refused(desc, "fewer chunks than the content needs");
  desc = Recordings(StoreKind::kSd, 1, 1.0);
  desc.damage = {Damage::ZeroChunk(0, 500)};
  refused(desc, "damage beyond the recording");
  desc = Recordings(StoreKind::kSd, 1, 1.0);
  desc.recordings[0].video.width = 15;
  refused(desc, "an odd picture width");
}

}  // namespace
}  // namespace fixtures::testing
