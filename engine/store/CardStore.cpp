#include "engine/store/CardStore.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstdio>

#include "platform/File.h"

namespace {

constexpr std::uint64_t kCardFirstCopy = 0x8000000;
constexpr std::uint64_t kCardSecondCopy = 0xA000000;
constexpr std::uint64_t kIndexFileFirstCopy = 0x2000000;
constexpr std::uint64_t kIndexFileSecondCopy = 0xA000000;
constexpr std::uint64_t kRawFileSize = 0x40000000;

bool BySequenceThenSlot(const IndexEntry* a, const IndexEntry* b) {
  return a->Sequence() != b->Sequence() ? a->Sequence() < b->Sequence() : a->slot < b->slot;
}

// An unknown end becomes the chunk before the next recording's first one.
void EndBefore(IndexEntry* entry, const IndexEntry& next) {
  if (next.FirstChunk() == 0) return;
  entry->SetLastChunk(next.FirstChunk() - 1);
  entry->SetEndDate(next.StartDate());
}

}  // namespace

CCardStore::CCardStore() = default;

CCardStore::~CCardStore() {
  handle_.Close();
  rawFile_.Close();
}

void CCardStore::SetStoreSource(int type, unsigned driveNo, const std::string& path) {
  if (type != type_ || driveNo != driveNo_ || path != path_) CloseStore();
  type_ = type;
  driveNo_ = driveNo;
  path_ = path;
}

void CCardStore::CloseStore() {
  handle_.Close();
  rawFile_.Close();
  rawFileNumber_.reset();
  open_ = false;
  entries_.clear();
  playList_.clear();
  for (auto& e : pool_) retired_.push_back(std::move(e));
  pool_.clear();
  std::lock_guard lock(cursorMutex_);
  cursor_ = 0;
}

IndexEntry* CCardStore::OpenStore() {
  if (open_) return FirstEntry();
  Layout layout;
  if (!OpenHandle(&layout)) {
    CloseStore();
    return nullptr;
  }
  ++openSerial_;
  rawOpenCount_ = 0;
  std::vector<std::uint8_t> copy;
  ParsedCopy first;
  if (!ReadCopy(layout.firstCopy, &copy) || !ParseIndexCopy(copy, layout, &first)) {
    CloseStore();
    return nullptr;
  }
  if (layout.secondCopy) {
    ParsedCopy second;
    if (!ReadCopy(*layout.secondCopy, &copy) || !ParseIndexCopy(copy, layout, &second) ||
        !MergeIndexCopies(std::move(first), std::move(second), layout)) {
      CloseStore();
      return nullptr;
    }
  } else if (first.list.empty()) {
    CloseStore();
    return nullptr;
  } else {
    entries_ = std::move(first.list);
  }
  open_ = true;
  return FirstEntry();
}

bool CCardStore::OpenHandle(Layout* layout) {
  switch (type_) {
    case kSourceRawCard: {
      if (!handle_.OpenPhysicalDrive(driveNo_, GENERIC_READ)) return false;
      if (!ReadCardHeaderPair(driveNo_, &header_, rawHeader_.data())) return false;
      capacity_ = header_.Capacity();
      if (capacity_ == 0) return false;
      *layout = Layout{kCardFirstCopy, kCardSecondCopy, kCardDataBase, kCardFirstCopy};
      return true;
    }
    case kSourceIndexFile: {
      if (!handle_.OpenFile(path_, GENERIC_READ)) return false;
      capacity_ = kBackupCapacity;
      *layout = Layout{kIndexFileFirstCopy, kIndexFileSecondCopy, kBackupDataBase, 0};
      rawRoot_ = plat::CardRootOf(path_).value_or("");
      return true;
    }
    case kSourceBackupFile: {
      if (!handle_.OpenFile(path_, GENERIC_READ)) return false;
      capacity_ = kBackupCapacity;
      *layout = Layout{0, std::nullopt, kBackupDataBase, 0};
      return true;
    }
    default:
      return false;
  }
}

bool CCardStore::ReadCopy(std::uint64_t offset, std::vector<std::uint8_t>* copy) {
  copy->resize(static_cast<std::size_t>(capacity_) * kCardBlockSize);
  return handle_.ReadAt(offset, copy->data(), copy->size());
}

IndexEntry* CCardStore::NewEntry() {
  pool_.push_back(std::make_unique<IndexEntry>());
  pool_.back()->openSerial = openSerial_;
  return pool_.back().get();
}

bool CCardStore::ParseIndexCopy(const std::vector<std::uint8_t>& copy, const Layout& layout, ParsedCopy* parsed) {
  const bool rawCard = type_ == kSourceRawCard;
  const std::optional<std::uint32_t> generation = CardGeneration();
  parsed->slotTypes.assign(capacity_, kEventInvalid);
  IndexEntry* lowest = nullptr;
  IndexEntry* highest = nullptr;
  for (std::uint32_t slot = 0; slot < capacity_; ++slot) {
    const std::uint8_t* stored = &copy[static_cast<std::size_t>(slot) * kCardBlockSize];
    if (rawCard && plat::LoadHost32(stored) != kIndexBlockFEMagic) return false;
    const std::optional<IndexBlockFE> block = ReadIndexBlockFE(stored, generation);
    if (!block || block->EventType() == kEventInvalid) continue;
    IndexEntry* e = NewEntry();
    e->bytes = block->bytes;
    e->slot = slot;
    e->indexPosition = layout.IndexPosition(slot);
    e->dataOffset = layout.DataOffset(slot);
    parsed->slotTypes[slot] = e->EventType();
    parsed->list.push_back(e);
    if (e->EventType() != kEventNone) continue;
    if (lowest && e->Sequence() < lowest->Sequence() && e->LastChunk() == 0) EndBefore(e, *lowest);
    if (highest && e->Sequence() > highest->Sequence() && highest->LastChunk() == 0) EndBefore(highest, *e);
    if (!lowest || e->Sequence() < lowest->Sequence()) lowest = e;
    if (!highest || e->Sequence() > highest->Sequence()) highest = e;
  }
  std::stable_sort(parsed->list.begin(), parsed->list.end(), BySequenceThenSlot);
  for (std::size_t i = 0; i + 1 < parsed->list.size(); ++i)
    if (parsed->list[i]->LastChunk() == 0) EndBefore(parsed->list[i], *parsed->list[i + 1]);
  return true;
}

IndexEntry* CCardStore::FirstEntry() {
  const auto& list = WalkedList();
  return list.empty() ? nullptr : list.front();
}

IndexEntry* CCardStore::GetNextEntry(const IndexEntry* entry) {
  if (!entry) return nullptr;
  const auto& list = WalkedList();
  std::lock_guard lock(cursorMutex_);
  std::size_t at = cursor_;
  if (at >= list.size() || list[at] != entry) {
    const auto it = std::find(list.begin(), list.end(), entry);
    if (it == list.end()) return nullptr;
    at = static_cast<std::size_t>(it - list.begin());
  }
  cursor_ = at + 1;
  return cursor_ < list.size() ? list[cursor_] : nullptr;
}

IndexEntry* CCardStore::GetPreviousEntry(const IndexEntry* entry) {
  const auto& list = WalkedList();
  const auto it = std::find(list.begin(), list.end(), entry);
  return it == list.end() || it == list.begin() ? nullptr : *(it - 1);
}

bool CCardStore::IsCurrentEntry(const IndexEntry* entry) const {
  return entry && open_ && entry->openSerial == openSerial_ &&
         std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
}

std::optional<std::uint32_t> CCardStore::CardGeneration() const {
  return type_ == kSourceRawCard ? std::optional<std::uint32_t>(header_.Generation()) : std::nullopt;
}

std::uint32_t CCardStore::ChunkGeneration(const IndexEntry& entry) const {
  return CardGeneration().value_or(entry.Generation());
}

RawLocation CCardStore::RawFileLocation(std::uint64_t dataOffset) {
  const std::uint64_t d = dataOffset >= kBackupDataBase ? dataOffset - kBackupDataBase : 0;
  return {static_cast<unsigned>(1 + d / kRawFileSize), d % kRawFileSize};
}

std::string CCardStore::RawFilePath(unsigned fileNumber) const {
  char name[32];
  std::snprintf(name, sizeof name, "%08u.raw", fileNumber);
  for (const char* folder : {"dcim/", "DCIM/"}) {
    const std::string path = rawRoot_ + folder + name;
    if (plat::FileExists(path)) return path;
  }
  return rawRoot_ + "dcim/" + name;
}

bool CCardStore::ReadChunk(std::uint64_t dataOffset, std::uint8_t* chunk) {
  if (type_ != kSourceIndexFile) return handle_.ReadAt(dataOffset, chunk, kChunkSize);
  const RawLocation at = RawFileLocation(dataOffset);
  if (rawFileNumber_ != at.fileNumber) {
    // The data files are only read: a missing one means the data is not there, and stays so.
    rawFile_.Close();
    rawFileNumber_ = at.fileNumber;
    if (!rawRoot_.empty() && rawFile_.OpenFile(RawFilePath(at.fileNumber), GENERIC_READ)) ++rawOpenCount_;
  }
  return rawFile_.ReadAt(at.position, chunk, kChunkSize);
}

bool WriteBackupIndex(CStoReader& backup, const std::vector<const IndexEntry*>& entries,
                      const std::uint8_t* rawCardHeader) {
  if (entries.size() > kBackupCapacity || !backup.Seek(0, FILE_BEGIN)) return false;
  for (const IndexEntry* e : entries) {
    const auto stored = StoreOrderEntry(*e);
    if (!backup.Write(stored.data(), stored.size())) return false;
  }
  if (rawCardHeader && (!backup.Seek(static_cast<std::int64_t>(kBackupHeaderOffset), FILE_BEGIN) ||
                        !backup.Write(rawCardHeader, kCardBlockSize)))
    return false;
  return true;
}
