#include "tests/engine/store/CardStoreTestSupport.h"

namespace storetest {
namespace {

using fixtures::Damage;
using fixtures::IndexCopies;
using fixtures::StoreKind;

class CardStoreMergeTest : public StoreTest {
 protected:
  // Opens the store the layout describes; fails the test when it does not open.
  CCardStore& Open(const fixtures::Layout& layout) {
    store_ = std::make_unique<CCardStore>();
    Aim(*store_, layout);
    EXPECT_NE(store_->OpenStore(), nullptr);
    return *store_;
  }
  const IndexEntry& Last() { return *store_->EntryList().back(); }

  std::unique_ptr<CCardStore> store_;
};

TEST_F(CardStoreMergeTest, NothingAfterTheNewestEntryAddsNothing) {
  const auto layout = Build(PlainStore(StoreKind::kCard, {6, 6, 6}), "basic.img");
  ASSERT_TRUE(layout);
  CCardStore& store = Open(*layout);
  EXPECT_EQ(Sequences(store), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(Last().LastChunk(), layout->recordings[2].entry.last);
  EXPECT_EQ(Last().CompletedFlag(), 1);
}

TEST_F(CardStoreMergeTest, TheNewestEntryWithoutAnEndIsEndedFromItsOwnChunks) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {6, 6, 40});
  desc.recordings[2].lastChunkUnknown = true;
  auto layout = Build(desc, "open-end.img");
  ASSERT_TRUE(layout);
  CCardStore& store = Open(*layout);
  EXPECT_EQ(Sequences(store), (std::vector<std::uint32_t>{1, 2, 3}));  // still last, once
  const auto& r = layout->recordings[2];
  EXPECT_EQ(Last().FirstChunk(), r.entry.first);
  EXPECT_EQ(Last().LastChunk(), r.entry.first + 39);
  EXPECT_EQ(Last().EndTime(), r.chunks.back().time);
  EXPECT_EQ(Last().slot, 2u);

  // With no readable chunk of its own, it is closed at its first chunk.
  desc.damage = {Damage::ZeroChunk(2, 0), Damage::ZeroChunk(2, 1)};
  layout = Build(desc, "no-chunks.img");
  ASSERT_TRUE(layout);
  Open(*layout);
  EXPECT_EQ(Last().Sequence(), 3u);
  EXPECT_EQ(Last().LastChunk(), Last().FirstChunk());
  EXPECT_EQ(Last().EndTime(), Last().StartTime());
  EXPECT_EQ(Last().CompletedFlag(), 1);
}

TEST_F(CardStoreMergeTest, ARecordingTheIndexLacksIsFoundFromItsTrailers) {
  for (std::uint16_t code : {1, 7}) {
    for (StoreKind kind : {StoreKind::kCard, StoreKind::kIdx}) {
      fixtures::StoreDescription desc = PlainStore(kind, {6, 6, 6, 30});
      desc.recordings[3].index = IndexCopies::kNone;
      desc.recordings[3].events = {{5, code}, {12, 3}};
      desc.recordings[3].markedChunks = {20};
      const auto layout = Build(desc, kind == StoreKind::kIdx ? "found.idx" : "found.img");
      ASSERT_TRUE(layout);
      CCardStore& store = Open(*layout);
      ASSERT_EQ(Sequences(store), (std::vector<std::uint32_t>{1, 2, 3, 4}));
      const auto& r = layout->recordings[3];
      EXPECT_EQ(Last().slot, 3u);
      EXPECT_EQ(Last().FirstChunk(), layout->recordings[2].entry.last + 1);
      EXPECT_EQ(Last().LastChunk(), r.chunks.back().sequence);
      EXPECT_EQ(Last().StartTime(), r.chunks.front().time);
      EXPECT_EQ(Last().EndTime(), r.chunks.back().time);
      EXPECT_EQ(Last().EventType(), code == 1 ? kEventCodeOne : kEventOtherCode);
      ASSERT_EQ(Last().EventCount(), 2);
      EXPECT_EQ(Last().Event(0).chunk, r.chunks[5].sequence);
      EXPECT_EQ(Last().Event(0).code, code);
      EXPECT_EQ(Last().Event(1).code, 3);
      EXPECT_EQ(Last().ChunkFlag(), 1);
      EXPECT_EQ(Last().dataOffset, r.entry.dataOffset);
      EXPECT_EQ(Last().Generation(), layout->generation);
    }
  }

  // With no valid entry at all, the recording in slot 0 becomes the only entry.
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {12});
  desc.recordings[0].index = IndexCopies::kNone;
  const auto layout = Build(desc, "only.img");
  ASSERT_TRUE(layout);
  CCardStore& store = Open(*layout);
  EXPECT_EQ(Sequences(store), (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(Last().FirstChunk(), layout->recordings[0].chunks.front().sequence);
  EXPECT_EQ(Last().LastChunk(), layout->recordings[0].chunks.back().sequence);
}

TEST_F(CardStoreMergeTest, EventSlotsAreSteppedOverAndStaleBlocksAddNothing) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {6, 6, 6, 6, 6, 10});
  desc.recordings[0].slot = 3;
  desc.recordings[0].events = {{1, 1}};
  desc.recordings[1].slot = 4;
  desc.recordings[1].events = {{1, 2}};
  desc.recordings[2].slot = 0;
  desc.recordings[3].slot = 1;
  desc.recordings[4].slot = 2;  // the newest entry; slots 3 and 4 after it hold kept events
  desc.recordings[5].slot = 5;
  desc.recordings[5].index = IndexCopies::kNone;
  auto layout = Build(desc, "events.img");
  ASSERT_TRUE(layout);
  Open(*layout);
  EXPECT_EQ(Last().Sequence(), 6u);
  EXPECT_EQ(Last().slot, 5u);
  EXPECT_EQ(Last().FirstChunk(), layout->recordings[5].chunks.front().sequence);

  // A block left by an older card generation after the newest entry is not a recording.
  desc = PlainStore(StoreKind::kCard, {6, 6, 6, 10});
  desc.recordings[3].index = IndexCopies::kNone;
  desc.recordings[3].generation = 0x00054321;
  layout = Build(desc, "stale.img");
  ASSERT_TRUE(layout);
  CCardStore& stale = Open(*layout);
  EXPECT_EQ(Sequences(stale), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(Last().LastChunk(), layout->recordings[2].entry.last);
}

TEST_F(CardStoreMergeTest, ARingWrapMovesTheOldestRecordingsStartOrDropsIt) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {30, 20, 20, 20});
  desc.capacity = 4;
  desc.recordings[0].events = {{3, 5}, {15, 6}};
  desc.recordings[0].eventType = 0;  // an ordinary recording that still lists events
  desc.recordings.push_back(Plain(10));
  desc.recordings[4].slot = 0;
  desc.recordings[4].index = IndexCopies::kNone;
  auto layout = Build(desc, "ring.img");
  ASSERT_TRUE(layout);
  CCardStore& store = Open(*layout);
  ASSERT_EQ(Sequences(store), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
  const IndexEntry& oldest = *store.EntryList()[0];
  const auto& r0 = layout->recordings[0];
  EXPECT_EQ(oldest.FirstChunk(), r0.chunks[10].sequence);
  EXPECT_EQ(oldest.StartTime(), r0.chunks[10].time);
  EXPECT_EQ(oldest.LastChunk(), r0.entry.last);
  EXPECT_EQ(oldest.dataOffset, r0.entry.dataOffset + 10 * kChunkSize);
  EXPECT_EQ(oldest.Event(0).code, 0);  // its event before the cut is gone
  EXPECT_EQ(oldest.Event(1).code, 6);
  EXPECT_EQ(Last().slot, 0u);
  EXPECT_EQ(Last().FirstChunk(), layout->recordings[3].entry.last + 1);
  EXPECT_EQ(Last().LastChunk(), layout->recordings[3].entry.last + 10);
  EXPECT_EQ(Last().dataOffset, r0.entry.dataOffset);

  // 2048 new chunks overwrite the oldest recording whole: it leaves the list.
  desc = PlainStore(StoreKind::kCard, {20, 20, 20, 20});
  desc.capacity = 4;
  desc.recordings.push_back(Plain(2048));
  desc.recordings[4].slot = 0;
  desc.recordings[4].index = IndexCopies::kNone;
  layout = Build(desc, "whole.img");
  ASSERT_TRUE(layout);
  CCardStore& whole = Open(*layout);
  EXPECT_EQ(Sequences(whole), (std::vector<std::uint32_t>{2, 3, 4, 5}));
  EXPECT_EQ(Last().LastChunk() - Last().FirstChunk(), 2047u);
}

}  // namespace
}  // namespace storetest
