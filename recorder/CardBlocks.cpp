#include "recorder/CardBlocks.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/File.h"

namespace {

constexpr std::size_t kGenerationOffset = 504;
constexpr std::size_t kModeTextOffset = 8;
constexpr std::size_t kUserOffset[2] = {12, 44};
constexpr std::size_t kPasswordOffset[2] = {28, 60};
constexpr std::size_t kTimeZoneIndexOffset = 76;
constexpr std::size_t kTimeZoneOffset = 84;
constexpr std::int32_t kTimeZoneBias = 43200;

CString ReadText(const std::uint8_t* p, std::size_t size) {
  const std::size_t n = static_cast<std::size_t>(std::find(p, p + size, 0) - p);
  return CString::FromAnsi(std::string_view(reinterpret_cast<const char*>(p), n));
}

void WriteText(std::uint8_t* p, std::size_t size, const CString& text) {
  std::memset(p, 0, size);
  const std::string bytes = text.ToAnsi();
  std::memcpy(p, bytes.data(), std::min(bytes.size(), size));
}

std::size_t AccountIndex(int account) { return account == 2 ? 1 : 0; }

void ToHostOrder(CardHeaderBlock* h) {
  for (std::size_t off : {std::size_t{8}, std::size_t{10}, std::size_t{12}}) plat::Swap16At(&h->bytes[off]);
  plat::Swap32At(&h->bytes[kGenerationOffset]);
}

bool SameHeaderFields(const std::uint8_t* a, const std::uint8_t* b) {
  return std::memcmp(a + 12, b + 12, 2) == 0 && std::memcmp(a + kGenerationOffset, b + kGenerationOffset, 4) == 0;
}

}  // namespace

std::uint32_t XorChecksum32(const void* buffer, std::size_t length) {
  if (length < 8 || length % 4 != 0) return 0;
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  std::uint32_t x = 0;
  for (std::size_t i = 0; i + 4 < length; i += 4) x ^= plat::LoadHost32(p + i);
  return x;
}

void SetXorChecksum32(void* buffer, std::size_t length) {
  if (length < 8 || length % 4 != 0) return;
  plat::StoreHost32(static_cast<std::uint8_t*>(buffer) + length - 4, XorChecksum32(buffer, length));
}

bool HasValidXorChecksum32(const void* buffer, std::size_t length) {
  if (length < 8 || length % 4 != 0) return false;
  return XorChecksum32(buffer, length) == plat::LoadHost32(static_cast<const std::uint8_t*>(buffer) + length - 4);
}

std::uint16_t CardHeaderBlock::Capacity() const { return plat::LoadHost16(&bytes[12]); }
void CardHeaderBlock::SetCapacity(std::uint16_t blocks) { plat::StoreHost16(&bytes[12], blocks); }
std::uint32_t CardHeaderBlock::Generation() const { return plat::LoadHost32(&bytes[kGenerationOffset]); }
void CardHeaderBlock::SetGeneration(std::uint32_t g) { plat::StoreHost32(&bytes[kGenerationOffset], g); }

bool IsValidCardHeaderBlock(const std::uint8_t* stored) {
  return plat::LoadHost32(stored) == CardHeaderBlock::kMagic && HasValidXorChecksum32(stored, kCardBlockSize);
}

CardHeaderBlock DefaultCardHeaderBlock() {
  CardHeaderBlock h;
  plat::StoreHost32(&h.bytes[0], CardHeaderBlock::kMagic);
  h.SetGeneration(CardHeaderBlock::kDefaultGeneration);
  return h;
}

bool ReadCardHeaderPair(unsigned driveNo, CardHeaderBlock* header, std::uint8_t* rawCopy, CardHeaderCopies* sound) {
  *header = DefaultCardHeaderBlock();
  if (sound) *sound = CardHeaderCopies{};
  plat::File drive;
  if (!drive.OpenDrive(driveNo, plat::kRead)) return false;
  std::uint8_t copies[2][kCardBlockSize] = {};
  bool valid[2] = {};
  const std::uint64_t offsets[2] = {CardHeaderBlock::kFirstCopyOffset, CardHeaderBlock::kSecondCopyOffset};
  for (int i = 0; i < 2; ++i)
    valid[i] = drive.ReadAt(offsets[i], copies[i], kCardBlockSize) && IsValidCardHeaderBlock(copies[i]);
  if (sound) *sound = CardHeaderCopies{{valid[0], valid[1]}};
  const std::uint64_t deviceSize = drive.Size();
  drive.Close();

  const int used = valid[0] ? 0 : (valid[1] ? 1 : -1);
  if (used < 0) return false;
  std::memcpy(header->bytes.data(), copies[used], kCardBlockSize);
  ToHostOrder(header);
  if (rawCopy) std::memcpy(rawCopy, copies[used], kCardBlockSize);
  if (valid[0] && valid[1] && !SameHeaderFields(copies[0], copies[1]) && deviceSize > kCardDataBase) {
    const std::uint64_t fits = (deviceSize - kCardDataBase) / kDataBlockSize;
    header->SetCapacity(static_cast<std::uint16_t>(std::min<std::uint64_t>(header->Capacity(), fits)));
  }
  return valid[0] && valid[1];
}

CString CardConfigBlock::ModeText() const { return ReadText(&bytes[kModeTextOffset], 4); }
CString CardConfigBlock::UserName(int account) const { return ReadText(&bytes[kUserOffset[AccountIndex(account)]], kTextSize); }
CString CardConfigBlock::Password(int account) const {
  return ReadText(&bytes[kPasswordOffset[AccountIndex(account)]], kTextSize);
}
void CardConfigBlock::SetUserName(int account, const CString& name) {
  WriteText(&bytes[kUserOffset[AccountIndex(account)]], kTextSize, name);
}
void CardConfigBlock::SetPassword(int account, const CString& password) {
  WriteText(&bytes[kPasswordOffset[AccountIndex(account)]], kTextSize, password);
}
std::uint32_t CardConfigBlock::TimeZoneIndex() const { return plat::LoadBe32(&bytes[kTimeZoneIndexOffset]); }
void CardConfigBlock::SetTimeZoneIndex(std::uint32_t index) { plat::StoreBe32(&bytes[kTimeZoneIndexOffset], index); }
std::uint32_t CardConfigBlock::TimeZoneIndexNext() const { return plat::LoadBe32(&bytes[kTimeZoneIndexOffset + 4]); }
std::int32_t CardConfigBlock::TimeZoneOffsetSeconds() const {
  return static_cast<std::int32_t>(plat::LoadBe32(&bytes[kTimeZoneOffset])) - kTimeZoneBias;
}
void CardConfigBlock::SetTimeZoneOffsetSeconds(std::int32_t seconds) {
  plat::StoreBe32(&bytes[kTimeZoneOffset], static_cast<std::uint32_t>(seconds + kTimeZoneBias));
}
std::uint32_t CardConfigBlock::Generation() const { return plat::LoadBe32(&bytes[kGenerationOffset]); }
bool CardConfigBlock::IsValid() const {
  return plat::LoadHost32(bytes.data()) == kMagic && HasValidXorChecksum32(bytes.data(), kCardBlockSize);
}

void DefaultCardConfigBlock(CardConfigBlock* block, std::uint32_t generation) {
  std::uint8_t kept[8];
  std::memcpy(kept, &block->bytes[kTimeZoneIndexOffset], sizeof kept);
  block->bytes.fill(0);
  plat::StoreHost32(block->bytes.data(), CardConfigBlock::kMagic);
  std::memcpy(&block->bytes[kModeTextOffset], "0000", 4);
  std::memcpy(&block->bytes[kTimeZoneIndexOffset], kept, sizeof kept);
  block->SetTimeZoneOffsetSeconds(0);
  plat::StoreBe32(&block->bytes[kGenerationOffset], generation);
  SetXorChecksum32(block->bytes.data(), kCardBlockSize);
}
