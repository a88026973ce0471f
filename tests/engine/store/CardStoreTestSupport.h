// Builds fixture stores and opens them through the card store, for the store tests.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/store/CardStore.h"
#include "testdata/FileBytes.h"
#include "testdata/StoreBuildTest.h"

namespace storetest {

// The drive number that card images are mapped to in these tests.
constexpr unsigned kTestDrive = 41;

class StoreTest : public fixtures::StoreBuildTest {
 protected:
  StoreTest() : StoreBuildTest("store-test") {}
  void TearDown() override { unsetenv("PLAYER_DRIVE_41"); }

  // Points the store at what the layout wrote (a card image becomes drive kTestDrive).
  void Aim(CCardStore& store, const fixtures::Layout& layout) {
    switch (layout.kind) {
      case fixtures::StoreKind::kCard:
        setenv("PLAYER_DRIVE_41", layout.path.c_str(), 1);
        store.SetStoreSource(kSourceRawCard, kTestDrive, "");
        break;
      case fixtures::StoreKind::kSd:
        store.SetStoreSource(kSourceBackupFile, 0, layout.path);
        break;
      case fixtures::StoreKind::kIdx:
        store.SetStoreSource(kSourceIndexFile, 0, layout.path);
        break;
    }
  }

  std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t at, std::size_t n) {
    std::vector<std::uint8_t> bytes = fixtures::ReadFileBytesAt(path, at, n);
    EXPECT_TRUE(bytes.size() == n) << path << " @" << at;
    bytes.resize(n);
    return bytes;
  }
};

// A recording without media: `chunks` chunks carrying only GPS texts and G-sensor samples.
inline fixtures::RecordingDescription Plain(int chunks) {
  fixtures::RecordingDescription r;
  r.hasVideo = r.hasSound = r.hasCarData = false;
  r.chunkCount = chunks;
  return r;
}

inline fixtures::StoreDescription PlainStore(fixtures::StoreKind kind, std::vector<int> chunkCounts) {
  fixtures::StoreDescription desc;
  desc.kind = kind;
  for (int n : chunkCounts) desc.recordings.push_back(Plain(n));
  return desc;
}

inline std::vector<std::uint32_t> Sequences(const CCardStore& store) {
  std::vector<std::uint32_t> out;
  for (const IndexEntry* e : store.EntryList()) out.push_back(e->Sequence());
  return out;
}

}  // namespace storetest
