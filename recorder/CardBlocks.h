// The card's header and configuration blocks and the XOR checksum that ends every card block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/String.h"

constexpr std::size_t kCardBlockSize = 512;
// The card's data area: 16 MB data blocks from kCardDataBase on.
constexpr std::uint64_t kCardDataBase = 0x18000000;
constexpr std::uint64_t kDataBlockSize = 0x1000000;

// Where data block `block` begins in a store whose data blocks start at `dataBase`.
constexpr std::uint64_t DataBlockOffset(std::uint64_t dataBase, std::uint64_t block) {
  return dataBase + block * kDataBlockSize;
}

// The XOR of the buffer's 32-bit words, taken as stored, all but the last. Lengths that are not a
// whole number of words, or shorter than two words, give 0.
std::uint32_t XorChecksum32(const void* buffer, std::size_t length);
// Writes the checksum of a block into its last word.
void SetXorChecksum32(void* buffer, std::size_t length);
bool HasValidXorChecksum32(const void* buffer, std::size_t length);

// The card's header block, stored twice (at 0x6000000 and 0x7000000), big-endian numbers; the
// magic's stored bytes are 78 56 89 67 and compared as read. In memory the generation and the
// 16-bit fields at 8, 10 and 12 are in host order.
struct CardHeaderBlock {
  static constexpr std::uint32_t kMagic = 0x67895678;  // as read from the stored bytes
  static constexpr std::uint64_t kFirstCopyOffset = 0x6000000;
  static constexpr std::uint64_t kSecondCopyOffset = 0x7000000;
  static constexpr std::uint32_t kDefaultGeneration = 10000;

  std::array<std::uint8_t, kCardBlockSize> bytes{};

  std::uint16_t Capacity() const;  // number of data blocks above kCardDataBase
  void SetCapacity(std::uint16_t blocks);
  std::uint32_t Generation() const;
  void SetGeneration(std::uint32_t generation);
};

// True when the stored block (store order) has the magic and a matching checksum.
bool IsValidCardHeaderBlock(const std::uint8_t* stored);
// The default header block in host order: magic and generation 10000, nothing else.
CardHeaderBlock DefaultCardHeaderBlock();

// Which of the card's two header copies were sound when it was read.
struct CardHeaderCopies {
  bool valid[2] = {};

  bool Both() const { return valid[0] && valid[1]; }
  bool Any() const { return valid[0] || valid[1]; }
};

// Reads both header copies of physical drive `driveNo` (read-only) and closes it again. `header`
// receives the valid copy in host order (the default block when none is valid); `rawCopy`, when
// given, the 512 bytes of that copy as stored on the card; `copies`, when given, which copies
// were sound. True only when the drive opened and both copies were valid. When both are valid
// but disagree, the first copy is used and its capacity is limited to what the device can hold.
bool ReadCardHeaderPair(unsigned driveNo, CardHeaderBlock* header, std::uint8_t* rawCopy = nullptr,
                        CardHeaderCopies* copies = nullptr);

// The card's configuration block (magic stored as AB AB AB AB), big-endian numbers. Layout:
//   +0 magic, +8 a 4-character mode text, +12 user name 1, +28 password 1, +44 user name 2,
//   +60 password 2 (16-byte texts, NUL-padded), +76 time-zone index, +80 the word after it,
//   +84 time zone (offset in seconds + 43200), +504 generation, +508 checksum.
struct CardConfigBlock {
  static constexpr std::uint32_t kMagic = 0xABABABAB;
  static constexpr std::size_t kTextSize = 16;

  std::array<std::uint8_t, kCardBlockSize> bytes{};

  CString ModeText() const;
  CString UserName(int account) const;  // account 1 or 2
  CString Password(int account) const;
  void SetUserName(int account, const CString& name);
  void SetPassword(int account, const CString& password);
  std::uint32_t TimeZoneIndex() const;
  void SetTimeZoneIndex(std::uint32_t index);
  std::uint32_t TimeZoneIndexNext() const;
  std::int32_t TimeZoneOffsetSeconds() const;  // the stored field minus 43200
  void SetTimeZoneOffsetSeconds(std::int32_t seconds);
  std::uint32_t Generation() const;
  bool IsValid() const;
};

// Fills the block with the built-in defaults and the generation. The time-zone index and the word
// after it keep their values.
void DefaultCardConfigBlock(CardConfigBlock* block, std::uint32_t generation);
