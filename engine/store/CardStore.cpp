#include "engine/store/CardStore.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "engine/store/EntryPool.h"
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

const char* StoreOpenFailureText(StoreOpenFailure failure) {
  switch (failure) {
    case StoreOpenFailure::kNone: return "no failure";
    case StoreOpenFailure::kMissing: return "it does not exist";
    case StoreOpenFailure::kUnreadable: return "it cannot be read (no permission)";
    case StoreOpenFailure::kNotAStore: return "it is not a card, .sd backup or .idx index";
    case StoreOpenFailure::kNoRecordings: return "it holds no recording";
    case StoreOpenFailure::kNoDataFolder: return "no dcim folder for its data lies beside it or in a folder above it";
  }
  return "unknown failure";
}

CCardStore::CCardStore() : pool_(std::make_unique<CEntryPool>()) {}

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
  scratch_.clear();
  current_.clear();
  std::lock_guard lock(cursorMutex_);
  cursor_ = 0;
}

IndexEntry* CCardStore::OpenStore() {
  if (open_) return FirstEntry();
  headerCopies_ = CardHeaderCopies{};
  damagedIndexCopies_ = {};
  Layout layout;
  if (!OpenHandle(&layout)) return Fail(HandleFailure(handle_));
  if (type_ == kSourceIndexFile && rawDir_.empty()) return Fail(StoreOpenFailure::kNoDataFolder);
  ++openSerial_;
  rawOpenCount_ = 0;
  dataBase_ = layout.dataBase;
  ParsedCopy first;
  if (!ReadIndexCopy(0, layout.firstCopy, layout, &first)) return Fail(StoreOpenFailure::kNotAStore);
  if (layout.secondCopy) {
    ParsedCopy second;
    if (!ReadIndexCopy(1, *layout.secondCopy, layout, &second)) return Fail(StoreOpenFailure::kNotAStore);
    // One damaged copy is one copy without entries; with both damaged there is no index.
    if (damagedIndexCopies_[0] && damagedIndexCopies_[1]) return Fail(StoreOpenFailure::kNotAStore);
    if (!MergeIndexCopies(std::move(first), std::move(second), layout)) return Fail(StoreOpenFailure::kNoRecordings);
  } else if (first.list.empty()) {
    return Fail(StoreOpenFailure::kNoRecordings);
  } else {
    entries_ = std::move(first.list);
  }
  KeepEntries();
  open_ = true;
  openFailure_ = StoreOpenFailure::kNone;
  return FirstEntry();
}

IndexEntry* CCardStore::Fail(StoreOpenFailure failure) {
  CloseStore();
  openFailure_ = failure;
  return nullptr;
}

// An open handle means the store could be read but was not laid out as one.
StoreOpenFailure CCardStore::HandleFailure(const CStoReader& handle) {
  if (handle.IsOpen()) return StoreOpenFailure::kNotAStore;
  switch (handle.LastError()) {
    case ENOENT: return StoreOpenFailure::kMissing;
    case EACCES:
    case EPERM: return StoreOpenFailure::kUnreadable;
    default: return StoreOpenFailure::kNotAStore;
  }
}

bool CCardStore::OpenHandle(Layout* layout) {
  switch (type_) {
    case kSourceRawCard: {
      if (!handle_.OpenPhysicalDrive(driveNo_, GENERIC_READ)) return false;
      // One sound header copy is enough: the recordings stay reachable through it when the other
      // was damaged, and the damaged one is left as it is, for the card is never written here.
      ReadCardHeaderPair(driveNo_, &header_, rawHeader_.data(), &headerCopies_);
      if (!headerCopies_.Any()) return false;
      capacity_ = header_.Capacity();
      if (capacity_ == 0) return false;
      *layout = Layout{kCardFirstCopy, kCardSecondCopy, kCardDataBase, kCardFirstCopy};
      return true;
    }
    case kSourceIndexFile: {
      if (!handle_.OpenFile(path_, GENERIC_READ)) return false;
      capacity_ = kBackupCapacity;
      *layout = Layout{kIndexFileFirstCopy, kIndexFileSecondCopy, kBackupDataBase, 0};
      // The data lie in the index's own card only: a set without its data folder is not read
      // from any other folder (least of all the working folder, which may hold another card's).
      rawDir_ = plat::CardDataFolderOf(path_).value_or("");
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

bool CCardStore::ReadIndexCopy(int number, std::uint64_t offset, const Layout& layout, ParsedCopy* parsed) {
  std::vector<std::uint8_t> copy;
  if (!ReadCopy(offset, &copy)) return false;
  if (!ParseIndexCopy(copy, layout, parsed)) {
    damagedIndexCopies_[static_cast<std::size_t>(number)] = true;
    parsed->list.clear();
    parsed->slotTypes.assign(capacity_, kEventInvalid);
  }
  return true;
}

IndexEntry* CCardStore::NewEntry() {
  scratch_.push_back(std::make_unique<IndexEntry>());
  scratch_.back()->openSerial = openSerial_;
  return scratch_.back().get();
}

// The entries of the opening take their lasting objects; those made while reading go.
void CCardStore::KeepEntries() {
  const std::string key = StoreKey();
  for (IndexEntry*& e : entries_) {
    e = pool_->Keep(key, *e, openSerial_);
    current_.insert(e);
  }
  scratch_.clear();
}

std::string CCardStore::StoreKey() const {
  return std::to_string(type_) + ":" + std::to_string(driveNo_) + ":" + path_;
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
  return entry && open_ && current_.count(entry) != 0 && entry->openSerial == openSerial_;
}

std::size_t CCardStore::EntryObjectCount() const { return pool_->Size(); }

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
  return rawDir_ + name;
}

std::vector<std::string> CCardStore::InputPaths() const {
  if (type_ == kSourceRawCard) {
    const std::optional<std::string> drive = plat::DrivePath(driveNo_);
    return drive ? std::vector<std::string>{*drive} : std::vector<std::string>{};
  }
  std::vector<std::string> paths{path_};
  if (type_ != kSourceIndexFile || rawDir_.empty()) return paths;
  for (const std::string& name : plat::ListFiles(rawDir_, ".raw")) paths.push_back(rawDir_ + name);
  return paths;
}

std::uint32_t CCardStore::ReadableChunks(const IndexEntry& entry) const {
  const std::uint32_t claimed = entry.LastChunk() >= entry.FirstChunk() ? entry.LastChunk() - entry.FirstChunk() + 1 : 1;
  return std::min(claimed, ChunksInStore(entry.dataOffset));
}

std::uint32_t CCardStore::ChunksInStore(std::uint64_t dataOffset) const {
  const std::uint64_t capacityEnd = DataBlockOffset(dataBase_, capacity_);
  if (dataOffset >= capacityEnd) return 0;
  const std::uint64_t wanted = std::min<std::uint64_t>(capacityEnd - dataOffset, kMaxChunksPerEntry * kChunkSize);
  const std::uint64_t size = handle_.Size();
  const std::uint64_t inFile = type_ == kSourceIndexFile ? BytesInRawFilesFrom(dataOffset, wanted)
                                                         : (size > dataOffset ? size - dataOffset : 0);
  return static_cast<std::uint32_t>(std::min(wanted, inFile) / kChunkSize);
}

// The data of an `.idx` source runs from one 1 GB `.raw` file into the next; a file that is
// missing or shorter ends it.
std::uint64_t CCardStore::BytesInRawFilesFrom(std::uint64_t dataOffset, std::uint64_t wanted) const {
  std::uint64_t found = 0;
  while (found < wanted) {
    const RawLocation at = RawFileLocation(dataOffset + found);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(RawFilePath(at.fileNumber), error);
    if (error || size <= at.position) break;
    const std::uint64_t inFile = std::min<std::uint64_t>(size, kRawFileSize) - at.position;
    found += inFile;
    if (at.position + inFile < kRawFileSize) break;
  }
  return std::min(found, wanted);
}

CStoReader* CCardStore::DataFile(std::uint64_t dataOffset, std::uint64_t* position) {
  if (type_ != kSourceIndexFile) {
    *position = dataOffset;
    return &handle_;
  }
  const RawLocation at = RawFileLocation(dataOffset);
  if (rawFileNumber_ != at.fileNumber) {
    // The data files are only read: a missing one means the data is not there, and stays so.
    rawFile_.Close();
    rawFileNumber_ = at.fileNumber;
    if (!rawDir_.empty() && rawFile_.OpenFile(RawFilePath(at.fileNumber), GENERIC_READ)) ++rawOpenCount_;
  }
  *position = at.position;
  return rawFile_.IsOpen() ? &rawFile_ : nullptr;
}

bool CCardStore::ReadData(std::uint64_t dataOffset, void* buffer, std::size_t count) {
  std::uint64_t position = 0;
  const CStoReader* file = DataFile(dataOffset, &position);
  return file && file->ReadAt(position, buffer, count);
}

bool CCardStore::ReadChunk(std::uint64_t dataOffset, std::uint8_t* chunk) { return ReadData(dataOffset, chunk, kChunkSize); }

bool CCardStore::ReadTrailer(std::uint64_t dataOffset, std::uint8_t* trailer) {
  return ReadData(dataOffset + kChunkPayloadSize, trailer, kCardBlockSize);
}

void CCardStore::WillReadChunks(std::uint64_t dataOffset, std::size_t chunks) {
  std::uint64_t position = 0;
  if (const CStoReader* file = DataFile(dataOffset, &position)) file->WillRead(position, chunks * kChunkSize);
}

// A run of an `.idx` source may cross from one `.raw` file into the next: each part is copied
// from its own file.
bool CCardStore::CopyChunks(std::uint64_t dataOffset, std::size_t chunks, CStoReader& to, std::uint64_t toPosition) const {
  if (type_ != kSourceIndexFile) return CopyRun(handle_, dataOffset, chunks, to, toPosition);
  while (chunks > 0) {
    const RawLocation at = RawFileLocation(dataOffset);
    const std::size_t part = std::min<std::size_t>(chunks, (kRawFileSize - at.position) / kChunkSize);
    CStoReader raw;
    const bool opened = !rawDir_.empty() && raw.OpenFile(RawFilePath(at.fileNumber), GENERIC_READ);
    if (opened && !CopyRun(raw, at.position, part, to, toPosition)) return false;
    dataOffset += part * kChunkSize;
    toPosition += part * kChunkSize;
    chunks -= part;
  }
  return true;
}

bool CCardStore::CopyRun(const CStoReader& from, std::uint64_t position, std::size_t chunks, CStoReader& to,
                         std::uint64_t toPosition) {
  if (to.CopyFrom(from, position, toPosition, chunks * kChunkSize)) return true;
  std::vector<std::uint8_t> chunk(kChunkSize);
  for (std::size_t i = 0; i < chunks; ++i) {
    if (!from.ReadAt(position + i * kChunkSize, chunk.data(), kChunkSize)) continue;
    if (!to.WriteAt(toPosition + i * kChunkSize, chunk.data(), kChunkSize)) return false;
  }
  return true;
}

bool WriteBackupIndex(CStoReader& backup, const std::vector<const IndexEntry*>& entries,
                      const std::uint8_t* rawCardHeader) {
  std::uint64_t slots = 0;
  for (const IndexEntry* e : entries) {
    if (e->slot < slots || e->slot >= kBackupCapacity) return false;
    slots = std::uint64_t{e->slot} + 1;
  }
  std::vector<std::uint8_t> index(slots * kCardBlockSize, 0);
  for (const IndexEntry* e : entries) {
    const auto stored = StoreOrderEntry(*e);
    std::copy(stored.begin(), stored.end(), index.begin() + static_cast<std::ptrdiff_t>(e->slot * kCardBlockSize));
  }
  if (!index.empty() && !backup.WriteAt(0, index.data(), index.size())) return false;
  return !rawCardHeader || backup.WriteAt(kBackupHeaderOffset, rawCardHeader, kCardBlockSize);
}
