// What cardjob reads of a store and what it says about it: an index set's data come from its own
// card whatever the case of its data folder and wherever the tool runs, and a backup names every
// recording it had to leave out.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/store/CardStore.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"

namespace fs = std::filesystem;

namespace {

// cardjob run in `folder`, its output and messages together.
std::string CardJobIn(const std::string& folder, const std::string& arguments, int* status) {
  return fixtures::RunCommand("cd '" + folder + "' && TZ=UTC " + std::string(CARDJOB_PATH) + " " + arguments + " 2>&1",
                              status);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One recording without media, `chunks` chunks long, from `start` on.
fixtures::StoreDescription OneRecording(std::int64_t start) {
  fixtures::StoreDescription desc;
  desc.kind = fixtures::StoreKind::kIdx;
  fixtures::RecordingDescription r;
  r.hasVideo = r.hasSound = r.hasCarData = false;
  r.chunkCount = 6;
  r.start = start;
  desc.recordings.push_back(r);
  return desc;
}

}  // namespace

// The working folder holds another card (its index and its `dcim`), and inside it lies a set whose
// data folder is `DCIM`: the set is backed up from its own data, and its data file is an input
// that no output may replace. A set without a data folder is refused, not read from the working
// folder's.
TEST(CardJobStoreData, AnIndexSetReadsItsOwnDataFolderInAnyCaseAndNeverTheWorkingFolders) {
  fixtures::ScratchDir dir("cardjob-dcim"), elsewhere("cardjob-lone");
  const std::string work = dir.Path();
  fs::create_directories(dir.File("card/sub"));
  const auto other = fixtures::BuildStore(OneRecording(1700000000), dir.File("other.idx"));
  const auto own = fixtures::BuildStore(OneRecording(1710000000), dir.File("card/sub/store.idx"));
  const auto lone = fixtures::BuildStore(OneRecording(1720000000), elsewhere.File("store.idx"));
  ASSERT_TRUE(other && own && lone);
  fs::rename(dir.File("card/sub/dcim"), dir.File("card/sub/DCIM"));
  fs::rename(elsewhere.File("dcim"), elsewhere.File("data"));
  const std::string raw = dir.File("card/sub/DCIM/00000001.raw");
  const std::vector<std::uint8_t> ownData = fixtures::ReadFileBytes(raw);
  const std::vector<std::uint8_t> otherData = fixtures::ReadFileBytes(dir.File("dcim/00000001.raw"));
  ASSERT_FALSE(ownData == otherData);

  int status = -1;
  std::string out = CardJobIn(work, "backup card/sub/store.idx copy.sd --json", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, "{\"result\": \"done\"")) << out;
  const std::vector<std::uint8_t> copied = fixtures::ReadFileBytesAt(dir.File("copy.sd"), 0x2000000, 6 * 16384);
  EXPECT_TRUE(copied == std::vector<std::uint8_t>(ownData.begin(), ownData.begin() + 6 * 16384));

  out = CardJobIn(work, "backup card/sub/store.idx card/sub/DCIM/00000001.raw --json", &status);
  EXPECT_EQ(status, 1) << out;
  EXPECT_TRUE(Has(out, "00000001.raw is the same file as ")) << out;
  EXPECT_TRUE(fixtures::ReadFileBytes(raw) == ownData);

  out = CardJobIn(work, "backup " + lone->path + " lone.sd --json", &status);
  EXPECT_EQ(status, 2) << out;
  EXPECT_TRUE(Has(out, lone->path + " cannot be opened: no dcim folder")) << out;
  EXPECT_FALSE(fs::exists(dir.File("lone.sd")));
}

// Recordings of which no chunk can be read, one damaged throughout and one whose data the file no
// longer holds, are named with the reason, in the order chosen, beside a backup of the others.
TEST(CardJobStoreData, ABackupNamesTheRecordingsItLeftOutAndWhy) {
  fixtures::ScratchDir dir("cardjob-leftout");
  fixtures::StoreDescription desc;
  desc.kind = fixtures::StoreKind::kSd;
  for (int i = 0; i < 4; ++i) desc.recordings.push_back(OneRecording(1700000000 + 600 * i).recordings[0]);
  for (int chunk = 0; chunk < 6; ++chunk) desc.damage.push_back(fixtures::Damage::BadChunkChecksum(1, chunk));
  desc.damage.push_back(fixtures::Damage::TruncateIndexFile(0x2000000 + 3 * 0x1000000));
  const auto sd = fixtures::BuildStore(desc, dir.File("damaged.sd"));
  ASSERT_TRUE(sd);

  int status = -1;
  std::string out = CardJobIn(dir.Path(), "backup damaged.sd copy.sd --entries 4,1,2,3 --json", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, "{\"result\": \"done\"")) << out;
  EXPECT_TRUE(Has(out, "\"leftOut\": [{\"recording\": 4, \"sequence\": 4, \"start\": \"20")) << out;
  EXPECT_TRUE(Has(out, "\"reason\": \"its data lies outside the store\"}, {\"recording\": 2, \"sequence\": 2, "))
      << out;
  EXPECT_TRUE(Has(out, "\"reason\": \"none of its chunks could be read intact\"}], \"endMessages\": 1")) << out;
  EXPECT_TRUE(Has(out, "cardjob: backup left out recording 2 (")) << out;
  CCardStore copy;
  copy.SetStoreSource(kSourceBackupFile, 0, dir.File("copy.sd"));
  ASSERT_NE(copy.OpenStore(), nullptr);
  EXPECT_EQ(copy.EntryList().size(), 2u);
  EXPECT_EQ(copy.EntryList()[1]->Sequence(), 3u);

  out = CardJobIn(dir.Path(), "backup damaged.sd plain.sd", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(Has(out, "backup: done, ")) << out;
  EXPECT_TRUE(Has(out, " 1 files, 2 recordings left out")) << out;
  EXPECT_TRUE(Has(out, "cardjob: backup left out recording 4 (")) << out;
}
