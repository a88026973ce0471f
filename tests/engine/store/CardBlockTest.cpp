#include <cstring>
#include <fstream>

#include "engine/store/IndexBlock.h"
#include "platform/ByteOrder.h"
#include "testdata/BlockWriter.h"
#include "testdata/StoreFormat.h"
#include "tests/engine/store/CardStoreTestSupport.h"

namespace storetest {
namespace {

using fixtures::StoreKind;

class CardBlockTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    auto layout = Build(PlainStore(StoreKind::kCard, {3}), "blocks.img");
    ASSERT_TRUE(layout);
    path_ = layout->path;
    entry_ = ReadFileBytes(path_, 0x8000000, 512);
    trailer_ = ReadFileBytes(path_, layout->recordings[0].chunks[0].fileOffset + kChunkPayloadSize, 512);
    header_ = ReadFileBytes(path_, CardHeaderBlock::kFirstCopyOffset, 512);
  }

  static void Resum(std::vector<std::uint8_t>& block) { SetXorChecksum32(block.data(), block.size()); }

  std::string path_;
  std::vector<std::uint8_t> entry_, trailer_, header_;
};

TEST_F(CardBlockTest, ValidationNeedsMagicGenerationChecksumAndASequence) {
  const std::uint32_t gen = fixtures::kDefaultGeneration;
  struct Case {
    const std::vector<std::uint8_t>* block;
    bool (*valid)(const std::uint8_t*, std::optional<std::uint32_t>);
  };
  for (const Case& c : {Case{&entry_, IsValidIndexBlockFE}, Case{&trailer_, IsValidIndexBlockA5}}) {
    std::vector<std::uint8_t> b = *c.block;
    EXPECT_TRUE(c.valid(b.data(), gen));
    EXPECT_TRUE(c.valid(b.data(), std::nullopt));
    EXPECT_FALSE(c.valid(b.data(), gen + 1));  // another generation
    for (std::size_t at : {std::size_t{0}, std::size_t{5}, std::size_t{300}, std::size_t{507}}) {
      std::vector<std::uint8_t> flipped = b;
      flipped[at] ^= 0x10;
      EXPECT_FALSE(c.valid(flipped.data(), std::nullopt)) << at;
    }
    std::vector<std::uint8_t> noSequence = b;
    std::memset(&noSequence[4], 0, 4);
    Resum(noSequence);
    EXPECT_FALSE(c.valid(noSequence.data(), std::nullopt));
  }
  // The magics are compared as stored: the other byte order is not a trailer.
  std::vector<std::uint8_t> swapped = trailer_;
  std::swap(swapped[0], swapped[3]);
  std::swap(swapped[1], swapped[2]);
  Resum(swapped);
  EXPECT_EQ(trailer_[3], 0xA5);
  EXPECT_FALSE(IsValidIndexBlockA5(swapped.data(), std::nullopt));

  EXPECT_TRUE(IsValidCardHeaderBlock(header_.data()));
  EXPECT_EQ(header_[0], 0x78);
  std::vector<std::uint8_t> wrongOrder = header_;
  std::reverse(wrongOrder.begin(), wrongOrder.begin() + 4);
  Resum(wrongOrder);
  EXPECT_FALSE(IsValidCardHeaderBlock(wrongOrder.data()));

  CardHeaderBlock header;
  setenv("PLAYER_DRIVE_41", path_.c_str(), 1);
  ASSERT_TRUE(ReadCardHeaderPair(kTestDrive, &header));
  EXPECT_EQ(header.Capacity(), 8);
  EXPECT_EQ(header.Generation(), gen);
}

// Two sound header copies that disagree: the first copy stands, and its capacity never reaches
// past the end of the device (the image holds exactly its 8 data blocks).
TEST_F(CardBlockTest, HeaderCopiesThatDifferGiveTheFirstCopysCapacityWithinTheDevice) {
  const std::uint32_t gen = fixtures::kDefaultGeneration;
  auto writeCopies = [&](std::uint16_t first, std::uint16_t second, std::uint32_t secondGeneration) {
    std::fstream image(path_, std::ios::in | std::ios::out | std::ios::binary);
    for (const auto& [at, block] :
         {std::pair{fixtures::kCardHeader1, fixtures::CardHeaderBlock(first, gen)},
          std::pair{fixtures::kCardHeader2, fixtures::CardHeaderBlock(second, secondGeneration)}}) {
      image.seekp(static_cast<std::streamoff>(at));
      image.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    }
    return image.good();
  };
  setenv("PLAYER_DRIVE_41", path_.c_str(), 1);
  struct Case {
    std::uint16_t first, second;
    std::uint32_t secondGeneration;
    std::uint16_t capacity;
  };
  for (const Case& c : {Case{8, 300, gen, 8}, Case{300, 8, gen, 8}, Case{5, 8, gen, 5}, Case{6, 6, gen + 1, 6}}) {
    ASSERT_TRUE(writeCopies(c.first, c.second, c.secondGeneration));
    CardHeaderBlock header;
    CardHeaderCopies sound;
    EXPECT_TRUE(ReadCardHeaderPair(kTestDrive, &header, nullptr, &sound));
    EXPECT_TRUE(sound.Both());
    EXPECT_EQ(header.Capacity(), c.capacity) << c.first << " and " << c.second;
    EXPECT_EQ(header.Generation(), gen) << c.first << " and " << c.second;
  }
}

TEST_F(CardBlockTest, SwappingTurnsExactlyTheNumericFieldsAndTwiceRestores) {
  auto changed = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) at.push_back(i);
    return at;
  };
  // Patterned blocks so that every swapped field shows.
  std::vector<std::uint8_t> fe(512), a5(512);
  for (std::size_t i = 0; i < 512; ++i) fe[i] = a5[i] = static_cast<std::uint8_t>(i * 13 + 1);
  std::vector<std::uint8_t> fe1 = fe, a51 = a5;
  SwapIndexBlockFE(fe1.data());
  SwapIndexBlockA5(a51.data());
  for (std::size_t i : changed(fe, fe1)) {
    const bool field = (i >= 4 && i < 8) || (i >= 200 && i < 204) || (i >= 216 && i < 220) || (i >= 228 && i < 238) ||
                       (i >= 240 && i < 244) || (i >= 504 && i < 508) ||
                       (i >= 8 && i < 200 && ((i - 8) % 12 < 4 || (i - 8) % 12 >= 10));
    EXPECT_TRUE(field) << "entry byte " << i;
  }
  EXPECT_EQ(changed(fe, fe1).size(), 4u + 4 + 4 + 10 + 4 + 4 + 16 * 6);
  for (std::size_t i : changed(a5, a51)) {
    const bool field = (i >= 4 && i < 8) || (i >= 22 && i < 24) || (i >= 44 && i < 344) || (i >= 504 && i < 508);
    EXPECT_TRUE(field) << "trailer byte " << i;
  }
  EXPECT_EQ(changed(a5, a51).size(), 4u + 2 + 300 + 4);
  SwapIndexBlockFE(fe1.data());
  SwapIndexBlockA5(a51.data());
  EXPECT_EQ(fe1, fe);
  EXPECT_EQ(a51, a5);

  // A real entry reads back its fields after one swap.
  IndexBlockFE entry;
  std::memcpy(entry.bytes.data(), entry_.data(), 512);
  SwapIndexBlockFE(entry.bytes.data());
  EXPECT_EQ(entry.Sequence(), 1u);
  EXPECT_EQ(entry.FirstChunk(), fixtures::kDefaultFirstChunk);
  EXPECT_EQ(entry.LastChunk(), fixtures::kDefaultFirstChunk + 2);
  EXPECT_EQ(entry.StartTime(), fixtures::kDefaultStart);
}

TEST_F(CardBlockTest, FreshEntriesAndStoredBlocks) {
  std::vector<std::uint8_t> b(512, 0xEE);
  InitIndexBlockFE(b.data(), 9, 0, 1, 0x12345);
  IndexBlockFE e;
  std::memcpy(e.bytes.data(), b.data(), 512);
  EXPECT_EQ(e.Magic(), kIndexBlockFEMagic);
  EXPECT_EQ(e.Sequence(), 9u);
  EXPECT_EQ(e.Generation(), 0x12345u);
  for (std::size_t i = 0; i < 512; ++i) {
    const bool set = i < 8 || i == 211 || i == 228 || i == 229 || (i >= 504 && i < 508);
    if (!set) {
      EXPECT_EQ(b[i], 0) << i;
    }
  }
  EXPECT_EQ(b[211], 1);
  EXPECT_EQ(b[228], 1);
  EXPECT_EQ(b[229], 1);

  // Written back, an entry is store order with a fresh checksum and no in-memory bookkeeping.
  IndexEntry stored;
  std::memcpy(stored.bytes.data(), entry_.data(), 512);
  SwapIndexBlockFE(stored.bytes.data());
  std::memset(&stored.bytes[244], 0xAB, 24);
  stored.bytes[fixtures::kEntryCountAt] = 40;  // a damaged count never reads past the 16 records
  EXPECT_EQ(stored.EventCount(), 16);
  const auto out = StoreOrderEntry(stored);
  EXPECT_TRUE(IsValidIndexBlockFE(out.data(), fixtures::kDefaultGeneration));
  EXPECT_TRUE(std::all_of(out.begin() + 244, out.begin() + 268, [](std::uint8_t v) { return v == 0; }));
  EXPECT_EQ(plat::LoadBe32(&out[200]), fixtures::kDefaultFirstChunk);

  // A trailer's frame rate is 1 to 120 frames a second, whatever event code follows it; any
  // other stored value is no rate.
  IndexBlockA5 trailer;
  std::memcpy(trailer.bytes.data(), trailer_.data(), 512);
  SwapIndexBlockA5(trailer.bytes.data());
  trailer.bytes[fixtures::kTrailerEventCodeAt] = 0xFF;
  for (const auto& [value, rate] :
       {std::pair{120, 120u}, std::pair{121, 0u}, std::pair{0, 0u}, std::pair{0x178, 0u}}) {
    trailer.bytes[fixtures::kTrailerFrameRateAt] = static_cast<std::uint8_t>(value & 0xFF);
    trailer.bytes[fixtures::kTrailerFrameRateAt + 1] = static_cast<std::uint8_t>(value >> 8);
    EXPECT_EQ(trailer.FramesPerSecond(), rate) << value;
  }
}

}  // namespace
}  // namespace storetest
