// Arbitrary index copies and chunk trailers on a small card image: opening parses both copies,
// merges them and scans for a recording the index lacks. Blocks that carry a magic get a right
// checksum, so that the fuzzer spends its time on the fields rather than on checksums.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/store/CardStore.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

namespace {

constexpr unsigned kDrive = 77;
constexpr std::uint32_t kSlots = 4;
constexpr std::uint32_t kGeneration = 0x00012345;

plat::File& Image() {
  static plat::File image = [] {
    static const std::string path = "/tmp/card_store_fuzz_" + std::to_string(::getpid()) + ".img";
    std::atexit([] { ::unlink(path.c_str()); });
    plat::File f;
    f.Create(path);
    f.Truncate(0x18000000 + kSlots * kDataBlockSize);
    setenv(("PLAYER_DRIVE_" + std::to_string(kDrive)).c_str(), path.c_str(), 1);
    std::uint8_t header[512] = {};
    plat::StoreHost32(header, CardHeaderBlock::kMagic);
    plat::StoreBe16(header + 12, kSlots);
    plat::StoreBe32(header + 504, kGeneration);
    SetXorChecksum32(header, sizeof header);
    f.WriteAt(CardHeaderBlock::kFirstCopyOffset, header, sizeof header);
    f.WriteAt(CardHeaderBlock::kSecondCopyOffset, header, sizeof header);
    return f;
  }();
  return image;
}

// A 512-byte block from the input (zero-padded), with a right checksum when it has a magic.
std::vector<std::uint8_t> Block(const std::uint8_t*& data, std::size_t& size) {
  std::vector<std::uint8_t> b(512, 0);
  const std::size_t n = size < 512 ? size : 512;
  std::memcpy(b.data(), data, n);
  data += n;
  size -= n;
  const std::uint32_t magic = plat::LoadHost32(b.data());
  if (magic == kIndexBlockFEMagic || magic == kIndexBlockA5Magic) SetXorChecksum32(b.data(), b.size());
  return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::File& image = Image();
  for (std::uint64_t copy : {std::uint64_t{0x8000000}, std::uint64_t{0xA000000}})
    for (std::uint32_t slot = 0; slot < kSlots; ++slot) image.WriteAt(copy + slot * 512, Block(data, size).data(), 512);
  // Trailers of the first chunks of every block, round robin; the rest of the chunks stay zero.
  std::vector<std::uint8_t> cleared(512, 0);
  for (std::uint32_t i = 0; i < kSlots * 4; ++i) {
    const std::uint64_t at = 0x18000000 + (i % kSlots) * kDataBlockSize + (i / kSlots) * kChunkSize + kChunkPayloadSize;
    image.WriteAt(at, size > 0 ? Block(data, size).data() : cleared.data(), 512);
  }
  CCardStore store;
  store.SetStoreSource(kSourceRawCard, kDrive, "");
  if (const IndexEntry* e = store.OpenStore()) {
    for (; e; e = store.GetNextEntry(e)) {
      (void)e->EventCount();
      (void)e->Event(e->EventCount() - 1);
      if (store.ReadableChunks(*e) > kMaxChunksPerEntry) std::abort();
    }
  }
  return 0;
}
