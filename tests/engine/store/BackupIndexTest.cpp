#include <cstdio>
#include <memory>

#include "tests/engine/store/CardStoreTestSupport.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/fixtures/ShellCommand.h"

namespace storetest {
namespace {

using fixtures::StoreKind;
using fixtures::RunCommand;

using BackupIndexTest = StoreTest;

TEST_F(BackupIndexTest, AWrittenIndexReadsBackAsTheSameEntries) {
  fixtures::StoreDescription desc = PlainStore(StoreKind::kCard, {5, 7, 6});
  desc.recordings[1].events = {{2, 1}};
  const auto layout = Build(desc, "card.img");
  ASSERT_TRUE(layout);
  CCardStore card;
  Aim(card, *layout);
  ASSERT_NE(card.OpenStore(), nullptr);
  const std::vector<const IndexEntry*> chosen = {card.EntryList()[2], card.EntryList()[1]};

  const std::string path = dir_.File("backup.sd");
  {
    CStoReader backup;
    ASSERT_TRUE(backup.OpenFile(path, GENERIC_READ | GENERIC_WRITE));
    ASSERT_TRUE(WriteBackupIndex(backup, chosen, card.RawHeader()));
    // The backup's data: each chosen entry's chunks in its own block.
    std::vector<std::uint8_t> chunk(kChunkSize);
    for (std::size_t j = 0; j < chosen.size(); ++j) {
      const IndexEntry& e = *chosen[j];
      for (std::uint32_t k = 0; k <= e.LastChunk() - e.FirstChunk(); ++k) {
        ASSERT_TRUE(card.ReadChunk(e.dataOffset + k * kChunkSize, chunk.data()));
        ASSERT_TRUE(backup.Seek(static_cast<std::int64_t>(kBackupDataBase + j * kDataBlockSize + k * kChunkSize),
                                FILE_BEGIN));
        ASSERT_TRUE(backup.Write(chunk.data(), chunk.size()));
      }
    }
  }
  EXPECT_EQ(ReadFileBytes(path, kBackupHeaderOffset, 512),
            std::vector<std::uint8_t>(card.RawHeader(), card.RawHeader() + 512));

  CCardStore sd;
  sd.SetStoreSource(kSourceBackupFile, 0, path);
  ASSERT_NE(sd.OpenStore(), nullptr);
  ASSERT_EQ(sd.EntryList().size(), 2u);
  // Listed by sequence; slot j holds the j-th entry of the backup list.
  const IndexEntry& second = *sd.EntryList()[0];
  const IndexEntry& third = *sd.EntryList()[1];
  EXPECT_EQ(second.Sequence(), 2u);
  EXPECT_EQ(second.slot, 1u);
  EXPECT_EQ(third.slot, 0u);
  EXPECT_EQ(second.EventType(), chosen[1]->EventType());
  EXPECT_EQ(second.Event(0).chunk, chosen[1]->Event(0).chunk);
  EXPECT_EQ(third.LastChunk(), chosen[0]->LastChunk());
  EXPECT_EQ(third.StartTime(), chosen[0]->StartTime());
  std::vector<std::uint8_t> chunk(kChunkSize);
  ASSERT_TRUE(sd.ReadChunk(third.dataOffset + 3 * kChunkSize, chunk.data()));
  EXPECT_TRUE(IsValidIndexBlockA5(&chunk[kChunkPayloadSize], third.Generation()));

  // More entries than a backup's index holds are refused, not written past its end.
  CStoReader tooMany;
  ASSERT_TRUE(tooMany.OpenFile(dir_.File("big.sd"), GENERIC_READ | GENERIC_WRITE));
  const std::vector<const IndexEntry*> many(kBackupCapacity + 1, chosen[0]);
  EXPECT_FALSE(WriteBackupIndex(tooMany, many, nullptr));
  EXPECT_EQ(tooMany.Size(), 0u);
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

  RunCommand(std::string(CARDINFO_PATH) + " " + dir_.File("missing.sd") + " --json 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
  RunCommand(std::string(CARDINFO_PATH) + " dvk2://x 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace storetest
