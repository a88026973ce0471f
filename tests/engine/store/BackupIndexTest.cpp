#include <cstdio>
#include <memory>

#include "testdata/ShellCommand.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/store/CardStoreTestSupport.h"

namespace storetest {
namespace {

using fixtures::StoreKind;
using fixtures::RunCommand;

using BackupIndexTest = StoreTest;

TEST_F(BackupIndexTest, AWrittenIndexReadsBackAsTheSameEntriesAtTheirSlots) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {5, 7, 6});
  desc.recordings[1].events = {{2, 1}};
  const auto layout = Build(desc, "card.img");
  ASSERT_TRUE(layout);
  CCardStore card;
  Aim(card, *layout);
  ASSERT_NE(card.OpenStore(), nullptr);
  // The third recording at slot 0, the second at slot 2: slot 1 stays empty, as the second
  // block of a long recording does.
  std::vector<IndexEntry> copies = {*card.EntryList()[2], *card.EntryList()[1]};
  copies[0].slot = 0;
  copies[1].slot = 2;
  const std::vector<const IndexEntry*> chosen = {&copies[0], &copies[1]};

  const std::string path = dir_.File("backup.sd");
  {
    CStoReader backup;
    ASSERT_TRUE(backup.OpenFile(path, GENERIC_READ | GENERIC_WRITE));
    ASSERT_TRUE(WriteBackupIndex(backup, chosen, card.RawHeader()));
    std::vector<std::uint8_t> chunk(kChunkSize);
    for (const IndexEntry* e : chosen) {
      for (std::uint32_t k = 0; k <= e->LastChunk() - e->FirstChunk(); ++k) {
        ASSERT_TRUE(card.ReadChunk(e->dataOffset + k * kChunkSize, chunk.data()));
        ASSERT_TRUE(backup.WriteAt(kBackupDataBase + e->slot * kDataBlockSize + k * kChunkSize, chunk.data(), kChunkSize));
      }
    }
  }
  EXPECT_EQ(ReadFileBytes(path, kBackupHeaderOffset, 512),
            std::vector<std::uint8_t>(card.RawHeader(), card.RawHeader() + 512));
  EXPECT_EQ(ReadFileBytes(path, kCardBlockSize, kCardBlockSize), std::vector<std::uint8_t>(kCardBlockSize, 0));

  CCardStore sd;
  sd.SetStoreSource(kSourceBackupFile, 0, path);
  ASSERT_NE(sd.OpenStore(), nullptr);
  ASSERT_EQ(sd.EntryList().size(), 2u);
  // Listed by sequence.
  const IndexEntry& second = *sd.EntryList()[0];
  const IndexEntry& third = *sd.EntryList()[1];
  EXPECT_EQ(second.Sequence(), 2u);
  EXPECT_EQ(second.slot, 2u);
  EXPECT_EQ(third.slot, 0u);
  EXPECT_EQ(second.EventType(), copies[1].EventType());
  EXPECT_EQ(second.Event(0).chunk, copies[1].Event(0).chunk);
  EXPECT_EQ(third.LastChunk(), copies[0].LastChunk());
  EXPECT_EQ(third.StartTime(), copies[0].StartTime());
  std::vector<std::uint8_t> chunk(kChunkSize);
  ASSERT_TRUE(sd.ReadChunk(second.dataOffset + 3 * kChunkSize, chunk.data()));
  EXPECT_TRUE(IsValidIndexBlockA5(&chunk[kChunkPayloadSize], second.Generation()));

  // Slots that do not rise, or more than a backup's index holds, are refused, not written.
  CStoReader refused;
  ASSERT_TRUE(refused.OpenFile(dir_.File("big.sd"), GENERIC_READ | GENERIC_WRITE));
  EXPECT_FALSE(WriteBackupIndex(refused, {chosen[1], chosen[0]}, nullptr));
  IndexEntry past = copies[0];
  past.slot = kBackupCapacity;
  EXPECT_FALSE(WriteBackupIndex(refused, {&past}, nullptr));
  EXPECT_EQ(refused.Size(), 0u);
}

TEST_F(BackupIndexTest, CardInfoListsAStoreAsJson) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {5, 7});
  desc.recordings[1].events = {{3, 9}};
  const auto layout = Build(desc, "info.img");
  ASSERT_TRUE(layout);
  int status = 0;
  const std::string json =
      RunCommand("TZ=UTC PLAYER_DRIVE_7=" + layout->path + " " + CARDINFO_PATH + " dvk2://7 --json", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"type\": 11, \"capacity\": 8,"), std::string::npos) << json;
  EXPECT_NE(json.find("{\"sequence\": 2, \"slot\": 1, \"firstChunk\": " +
                      std::to_string(layout->recordings[1].entry.first)),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"start\": \"2024-03-01 08:12:30\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"events\": [{\"chunk\": " + std::to_string(layout->recordings[1].chunks[3].sequence)),
            std::string::npos)
      << json;

  // It says why a source cannot be listed, and what it takes.
  const std::string tool = CARDINFO_PATH;
  EXPECT_NE(RunCommand(tool + " dvk2://99 2>&1", &status).find("it does not exist"), std::string::npos);
  EXPECT_EQ(status, 2);
  RunCommand(tool + " dvk2://x 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(RunCommand(tool + " --help", &status).find("usage: cardinfo SOURCE"), std::string::npos);
}

}  // namespace
}  // namespace storetest
