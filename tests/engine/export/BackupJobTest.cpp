// `.sd` backups through the engine: where the chunks and the index go, holes for unread chunks, an
// older file at the same path, the progress messages, a close in the middle, and what is refused.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "testdata/FileBytes.h"
#include "testdata/StoreFormat.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/store/CardStoreTestSupport.h"

using namespace jobtest;
using fixtures::FileSize;
using fixtures::ReadFileBytesAt;
using sourcetest::Fixture;

namespace {

constexpr std::size_t kUnreadBytesFrom = 244;
constexpr std::size_t kUnreadBytesTo = 268;

// A card of three recordings whose first and third follow each other in chunk sequence, so that
// a backup of the two plays through without a break; the second lies elsewhere.
fixtures::StoreDescription ChainedCard() {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kCard, 3, 2.0);
  desc.recordings[1].firstChunk = 90000;
  fixtures::ScratchDir dir("plan");
  const std::optional<fixtures::Layout> planned = fixtures::BuildStore(desc, dir.File("plan.img"));
  if (planned) desc.recordings[2].firstChunk = planned->recordings[0].chunks.back().sequence + 1;
  return desc;
}

std::vector<std::uint8_t> ChunkBytes(const fixtures::ChunkInfo& c) {
  return ReadFileBytesAt(c.file, c.fileOffset, kChunkSize);
}

std::uint64_t ChunkAt(std::uint64_t block, std::size_t chunk) {
  return kBackupDataBase + block * kDataBlockSize + chunk * kChunkSize;
}

// The entry's bytes that a backup keeps as they are.
std::vector<std::uint8_t> KeptBytes(const IndexEntry& e) {
  std::vector<std::uint8_t> out(e.bytes.begin(), e.bytes.begin() + kUnreadBytesFrom);
  out.insert(out.end(), e.bytes.begin() + kUnreadBytesTo, e.bytes.begin() + 508);
  return out;
}

// Every entry a backup lists holds, from its first chunk to its last, the chunks of the card's
// recording it names, byte for byte, where the reader looks for them. Returns the entries.
std::vector<IndexEntry> ExpectHoldsWhatItsIndexSays(const std::string& path, const fixtures::Layout& card) {
  CCardStore backup;
  backup.SetStoreSource(kSourceBackupFile, 0, path);
  std::vector<IndexEntry> out;
  if (!backup.OpenStore()) {
    ADD_FAILURE() << path << " does not open";
    return out;
  }
  std::vector<std::uint8_t> chunk(kChunkSize);
  for (const IndexEntry* e : backup.EntryList()) {
    const auto recording = std::find_if(card.recordings.begin(), card.recordings.end(),
                                        [&](const fixtures::RecordingInfo& r) { return r.entry.first == e->FirstChunk(); });
    if (recording == card.recordings.end()) {
      ADD_FAILURE() << "no recording begins with chunk " << e->FirstChunk();
      continue;
    }
    EXPECT_EQ(backup.ReadableChunks(*e), e->LastChunk() - e->FirstChunk() + 1);
    std::vector<std::uint32_t> differing;
    for (std::uint32_t k = 0; k <= e->LastChunk() - e->FirstChunk(); ++k) {
      if (!backup.ReadChunk(e->dataOffset + k * kChunkSize, chunk.data()) || chunk != ChunkBytes(recording->chunks[k])) {
        differing.push_back(k);
      }
    }
    EXPECT_TRUE(differing.empty()) << "entry " << e->Sequence() << ": " << differing.size() << " chunks differ";
    out.push_back(*e);
  }
  return out;
}

std::vector<IndexEntry> Reopened(const std::string& path, CCardStore& store) {
  store.SetStoreSource(kSourceBackupFile, 0, path);
  std::vector<IndexEntry> out;
  if (!store.OpenStore()) return out;
  for (const IndexEntry* e : store.EntryList()) out.push_back(*e);
  return out;
}

}  // namespace

TEST(BackupJob, ABackupOfACardCopiesTheChosenEntriesIntoTheirBlocksAndPlaysThemAlike) {
  Fixture fixture(ChainedCard(), "card");
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const std::string out = dir.File("saved/backup.sd");
  {
    JobRig rig(layout);
    IndexEntry* chosen[] = {rig.Entry(0), rig.Entry(2)};
    ASSERT_NE(chosen[1], nullptr);
    ASSERT_EQ(rig.engine->StartBackup(CString(out), chosen, 2), EngineStart::kStarted);
    rig.Finish();
    EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);
    EXPECT_EQ(rig.engine->GetJobFiles(), std::vector<std::string>{out});
    EXPECT_FALSE(rig.engine->GetRecordState().on);
  }

  // The index: one slot per chosen entry in the order given, without the bytes never read from
  // a store; the card's header block below the data.
  for (std::uint64_t slot = 0; slot < 2; ++slot) {
    const std::vector<std::uint8_t> entry = ReadFileBytesAt(out, slot * kCardBlockSize, kCardBlockSize);
    ASSERT_EQ(entry.size(), kCardBlockSize);
    EXPECT_EQ(entry[0], 0xFE);
    EXPECT_TRUE(std::all_of(entry.begin() + kUnreadBytesFrom, entry.begin() + kUnreadBytesTo, [](auto b) { return b == 0; }));
  }
  EXPECT_EQ(ReadFileBytesAt(out, kBackupHeaderOffset, kCardBlockSize),
            ReadFileBytesAt(layout.path, fixtures::kCardHeader1, kCardBlockSize));
  for (std::size_t k = 0; k < layout.recordings[2].chunks.size(); ++k) {
    EXPECT_EQ(ReadFileBytesAt(out, ChunkAt(1, k), kChunkSize), ChunkBytes(layout.recordings[2].chunks[k])) << k;
  }
  EXPECT_EQ(ReadFileBytesAt(out, ChunkAt(0, 0), kChunkSize), ChunkBytes(layout.recordings[0].chunks[0]));

  CCardStore card;
  card.SetStoreSource(kSourceRawCard, kJobDrive, "");
  CCardStore backup;
  const std::vector<IndexEntry> listed = Reopened(out, backup);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].slot, 1u);
  {
    ScopedEnvironment drive(("PLAYER_DRIVE_" + std::to_string(kJobDrive)).c_str(), layout.path.c_str());
    ASSERT_NE(card.OpenStore(), nullptr);
    EXPECT_EQ(KeptBytes(listed[0]), KeptBytes(*card.EntryList()[0]));
    EXPECT_EQ(KeptBytes(listed[1]), KeptBytes(*card.EntryList()[2]));
  }

  // The backup plays the two recordings exactly as the card does.
  fixtures::Layout reopened = layout;
  reopened.kind = fixtures::StoreKind::kSd;
  reopened.path = out;
  sourcetest::SourceRig rig(reopened);
  ASSERT_TRUE(rig.Play(0));
  ASSERT_TRUE(rig.consumer.WaitForEnd());
  sourcetest::ExpectForwardItems(rig.consumer, sourcetest::ExpectForward(fixture, {0, 2}));
}

TEST(BackupJob, AnOlderBackupLeavesNothingBehindAndUnreadChunksStayHolesInPlace) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 1.0);
  desc.damage = {fixtures::Damage::BadChunkChecksum(1, 2)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const std::string out = dir.File("again.sd");
  JobRig rig(layout);
  IndexEntry* all[] = {rig.Entry(0), rig.Entry(1), rig.Entry(2)};
  ASSERT_EQ(rig.engine->StartBackup(CString(out), all, 3), EngineStart::kStarted);
  rig.Finish();
  const std::uint64_t olderSize = FileSize(out);

  // The store's first entry (sequence 1) comes second: it is copied all the same.
  IndexEntry* two[] = {rig.Entry(1), rig.Entry(0)};
  ASSERT_EQ(rig.engine->StartBackup(CString(out), two, 2), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);

  CCardStore store;
  const std::vector<IndexEntry> listed = Reopened(out, store);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].Sequence(), layout.recordings[0].entry.sequence);
  EXPECT_EQ(listed[0].slot, 1u);
  EXPECT_EQ(listed[1].Sequence(), layout.recordings[1].entry.sequence);
  EXPECT_EQ(listed[1].slot, 0u);
  EXPECT_EQ(ReadFileBytesAt(out, 2 * kCardBlockSize, kCardBlockSize), std::vector<std::uint8_t>(kCardBlockSize, 0));
  EXPECT_LT(FileSize(out), olderSize);
  EXPECT_EQ(FileSize(out), ChunkAt(1, layout.recordings[0].chunks.size()));

  const std::vector<fixtures::ChunkInfo>& chunks = layout.recordings[1].chunks;
  ASSERT_EQ(chunks[2].fate, fixtures::ChunkFate::kBadChecksum);
  EXPECT_EQ(ReadFileBytesAt(out, ChunkAt(0, 2), kChunkSize), std::vector<std::uint8_t>(kChunkSize, 0));
  for (std::size_t k : {std::size_t{1}, std::size_t{3}, chunks.size() - 1}) {
    EXPECT_EQ(ReadFileBytesAt(out, ChunkAt(0, k), kChunkSize), ChunkBytes(chunks[k])) << k;
  }
}

TEST(BackupJob, RecordingsLongerThanABlockTakeTwoPositionsAndKeepEveryChunk) {
  // Recordings of 1,000, 1,025, 1,500 and 2,048 chunks with short ones between; the 1,025-chunk
  // one has pictures and sound.
  fixtures::StoreDescription desc = storetest::PlainStore(fixtures::StoreKind::kCard, {1000, 3, 1025, 5, 1500, 2, 2048, 4});
  desc.capacity = 12;
  desc.recordings[2] = fixtures::Recordings(fixtures::StoreKind::kCard, 1, 2.0).recordings[0];
  desc.recordings[2].chunkCount = 1025;
  Fixture fixture(desc, "long");
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const std::string out = dir.File("long.sd");
  JobRig rig(layout);
  std::vector<IndexEntry*> all;
  for (int i = 0; i < 8; ++i) all.push_back(rig.Entry(i));
  ASSERT_EQ(rig.engine->StartBackup(CString(out), all.data(), 8), EngineStart::kStarted);
  ASSERT_TRUE(rig.router.WaitForEnd());
  EXPECT_EQ(rig.engine->GetProgressRatio(), 1.0);
  EXPECT_EQ(rig.router.Progress().back(), 90);
  rig.Finish();
  ASSERT_EQ(rig.engine->GetJobResult(), JobResult::kDone);

  // A long recording's second block is passed over by the next recording and its slot is empty.
  const std::vector<IndexEntry> listed = ExpectHoldsWhatItsIndexSays(out, layout);
  ASSERT_EQ(listed.size(), 8u);
  const std::vector<std::uint32_t> slots = {0, 1, 2, 4, 5, 7, 8, 10};
  for (std::size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].slot, slots[i]);
    EXPECT_EQ(KeptBytes(listed[i]), KeptBytes(*all[i])) << i;
  }
  EXPECT_EQ(ReadFileBytesAt(out, 3 * kCardBlockSize, kCardBlockSize), std::vector<std::uint8_t>(kCardBlockSize, 0));

  // The long recording with pictures plays from a backup of it as from the card.
  const std::string one = dir.File("one.sd");
  IndexEntry* pictured[] = {all[2]};
  ASSERT_EQ(rig.engine->StartBackup(CString(one), pictured, 1), EngineStart::kStarted);
  rig.Finish();
  fixtures::Layout reopened = layout;
  reopened.kind = fixtures::StoreKind::kSd;
  reopened.path = one;
  sourcetest::SourceRig play(reopened);
  ASSERT_TRUE(play.Play(2));
  ASSERT_TRUE(play.consumer.WaitForEnd());
  sourcetest::ExpectForwardItems(play.consumer, sourcetest::ExpectForward(fixture, {2}));
}

TEST(BackupJob, ABackupIsDoneOnlyWhenItHoldsWhatItsIndexSays) {
  // The first recording's last trailer is cut, the second claims 100,000 chunks, every chunk of
  // the third is unreadable.
  fixtures::StoreDescription desc = storetest::PlainStore(fixtures::StoreKind::kSd, {6, 10, 3});
  desc.recordings[1].claimedChunks = 100000;
  desc.damage = {fixtures::Damage::BadChunkChecksum(0, 5), fixtures::Damage::ZeroChunk(2, 0),
                 fixtures::Damage::ZeroChunk(2, 1), fixtures::Damage::ZeroChunk(2, 2)};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const std::string out = dir.File("honest.sd");
  JobRig rig(layout);
  IndexEntry* all[] = {rig.Entry(0), rig.Entry(1), rig.Entry(2)};
  ASSERT_EQ(rig.engine->StartBackup(CString(out), all, 3), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);
  const std::vector<IndexEntry> listed = ExpectHoldsWhatItsIndexSays(out, layout);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].LastChunk(), layout.recordings[0].chunks[4].sequence);
  EXPECT_EQ(listed[0].EndTime(), layout.recordings[0].chunks[4].time);
  EXPECT_EQ(listed[1].LastChunk(), layout.recordings[1].chunks.back().sequence);

  // A backup that copies nothing fails and leaves no file.
  const std::string nothing = dir.File("nothing.sd");
  ASSERT_EQ(rig.engine->StartBackup(CString(nothing), &all[2], 1), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kFailed);
  EXPECT_TRUE(rig.engine->GetJobFiles().empty());
  EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"honest.sd"});
}

TEST(BackupJob, ProgressIsPostedAtEachNewFifthOfAnEntryAndTheEndOnce) {
  Fixture fixture(storetest::PlainStore(fixtures::StoreKind::kSd, {11, 91}));
  ASSERT_TRUE(fixture.ok());
  fixtures::ScratchDir dir("backup");
  JobRig rig(fixture.layout());
  IndexEntry* both[] = {rig.Entry(0), rig.Entry(1)};
  ASSERT_EQ(rig.engine->StartBackup(CString(dir.File("p.sd")), both, 2), EngineStart::kStarted);
  ASSERT_TRUE(rig.router.WaitForEnd());

  // Eleven chunks make 9 % a chunk: a post whenever a new fifth is passed, even one jumped over.
  std::vector<int> want = {0, 5, 15, 25, 35, 45, 50, 60, 70, 80, 90};
  for (int p = 0; p <= 90; p += 5) want.push_back(p);
  EXPECT_EQ(rig.router.Progress(), want);
  EXPECT_EQ(rig.engine->GetJobProgress(), -1);
  EXPECT_EQ(rig.engine->GetProgressRatio(), 1.0);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetProgressRatio(), 0.0);
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);
}

TEST(BackupJob, ClosingDuringABackupKeepsNothingAndLeavesAnOlderFileAsItWas) {
  Fixture fixture(storetest::PlainStore(fixtures::StoreKind::kSd, {5, 21}));
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const std::string out = dir.File("cut.sd");
  ASSERT_TRUE(fixtures::WriteFileBytes(out, {1, 2, 3}));
  JobRig rig(layout);
  // 45 % of the second entry is its chunk 10: 26 chunks in all, 16 of them done.
  rig.router.HoldWhen([](int progress, double ratio) { return progress == 45 && ratio > 0.5; });
  IndexEntry* both[] = {rig.Entry(0), rig.Entry(1)};
  ASSERT_EQ(rig.engine->StartBackup(CString(out), both, 2), EngineStart::kStarted);
  ASSERT_TRUE(rig.router.WaitUntilHeld());
  EXPECT_DOUBLE_EQ(rig.router.RatioWhenHeld(), 16.0 / 26.0);
  rig.engine->Close();
  EXPECT_EQ(rig.router.EndParams(), std::vector<LPARAM>{-1});
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kCancelled);
  EXPECT_EQ(rig.engine->GetProgressRatio(), 0.0);

  // Nothing of a backup cut short is kept, and nothing looks like a whole backup.
  EXPECT_TRUE(rig.engine->GetJobFiles().empty());
  EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"cut.sd"});
  EXPECT_EQ(fixtures::ReadFileBytes(out), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(BackupJob, WhatABackupRefusesLeavesTheEngineIdleAndTheStoreWholeAndAFailedWriteFailsIt) {
  Fixture fixture(storetest::PlainStore(fixtures::StoreKind::kSd, {3, 3}));
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  fixtures::ScratchDir dir("backup");
  const CString out(dir.File("r.sd"));
  const std::uint64_t storeSize = FileSize(layout.path);
  JobRig rig(layout);
  CIbpCtrl& engine = *rig.engine;
  IndexEntry* first[] = {rig.Entry(0)};
  const std::vector<IndexEntry*> tooMany(kBackupCapacity + 1, rig.Entry(0));
  EXPECT_EQ(engine.StartBackup(CString(), first, 1), EngineStart::kFailed);
  EXPECT_EQ(engine.StartBackup(out, nullptr, 1), EngineStart::kFailed);
  EXPECT_EQ(engine.StartBackup(out, first, 0), EngineStart::kFailed);
  EXPECT_EQ(engine.StartBackup(out, tooMany.data(), static_cast<int>(tooMany.size())), EngineStart::kFailed);
  EXPECT_EQ(engine.StartBackup(CString(dir.File("r.avi")), first, 1), EngineStart::kFailed);
  EXPECT_EQ(engine.StartBackup(CString(layout.path), first, 1), EngineStart::kFailed);
  EXPECT_EQ(FileSize(layout.path), storeSize);
  EXPECT_EQ(engine.GetJobResult(), JobResult::kFailed);

  // Entries of another store are not its own, however alike; nor is a device a backup's file.
  const std::string copy = dir.File("copy.sd");
  std::filesystem::copy_file(layout.path, copy);
  engine.SetSource(CString(copy));
  ASSERT_NE(engine.OpenStore(), nullptr);
  EXPECT_EQ(engine.StartBackup(out, first, 1), EngineStart::kFailed);
  IndexEntry* own[] = {rig.Entry(0)};
  EXPECT_EQ(engine.StartBackup(CString("/dev/full"), own, 1), EngineStart::kFailed);
  EXPECT_FALSE(engine.State().open.load());
  EXPECT_FALSE(engine.GetRecordState().on);
  EXPECT_EQ(rig.router.Count(WM_PLAYER_END), 0u);

  engine.SetBackupLabel(CString(L"ABCDEFGHIJKLMNOPQRSTUV"));
  EXPECT_EQ(engine.GetBackupLabel(), "ABCDEFGHIJKLMNOPQR");

  IndexEntry* current[] = {rig.Entry(1)};
  ASSERT_EQ(engine.StartBackup(out, current, 1), EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(engine.GetJobResult(), JobResult::kDone);

  // A file that cannot grow past its second chunk: the backup fails and leaves no file, and the
  // older backup of that name stays as it was.
  const std::uint64_t older = FileSize(out.ToUtf8());
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{ChunkAt(0, 2), limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  ASSERT_EQ(engine.StartBackup(out, current, 1), EngineStart::kStarted);
  rig.Finish();
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(engine.GetJobResult(), JobResult::kFailed);
  EXPECT_TRUE(engine.GetJobFiles().empty());
  EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{"copy.sd", "r.sd"}));
  EXPECT_EQ(FileSize(out.ToUtf8()), older);
}
