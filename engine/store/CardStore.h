// The store of a card source: a raw card, a `.sd` backup or an `.idx` index with its `.raw` data
// files. Opening reads the index copies, checks and completes the entries, and (raw card and
// `.idx`) finds the recording that the index does not hold yet.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/store/IndexBlock.h"
#include "engine/store/StoReader.h"
#include "recorder/CardBlocks.h"

// Source types of the engine.
constexpr int kSourceRawCard = 11;
constexpr int kSourceBackupFile = 12;
constexpr int kSourceTransportStream = 13;
constexpr int kSourceIndexFile = 14;

constexpr std::uint32_t kBackupCapacity = 8192;
constexpr std::uint64_t kBackupDataBase = 0x2000000;
constexpr std::uint64_t kBackupHeaderOffset = 0x1FFFC00;

// An entry of the open store, in host order, with where it lies.
struct IndexEntry : IndexBlockFE {
  std::uint32_t slot = 0;
  std::uint64_t indexPosition = 0;  // byte offset of the entry in the store
  std::uint64_t dataOffset = 0;     // byte offset of its first chunk (for `.idx`: before the `.raw` mapping)
  std::uint64_t openSerial = 0;     // the last opening of the store that listed it
};

// Why a store could not be opened.
enum class StoreOpenFailure {
  kNone,
  kMissing,       // no such file, or no such drive
  kUnreadable,    // not allowed to read it
  kNotAStore,     // neither a regular file nor a block device, or not laid out as a store
  kNoRecordings,  // a store, but without a recording
  kNoDataFolder,  // an `.idx` index whose card has no data folder
};
// The failure in words, for messages such as "X cannot be opened: <text>".
const char* StoreOpenFailureText(StoreOpenFailure failure);

// Where a data offset of an `.idx` source lies: file number (1 = "00000001.raw") and position.
struct RawLocation {
  unsigned fileNumber = 0;
  std::uint64_t position = 0;
};

class CEntryPool;

class CCardStore {
 public:
  CCardStore();
  CCardStore(const CCardStore&) = delete;
  CCardStore& operator=(const CCardStore&) = delete;
  virtual ~CCardStore();

  // The store to open: a raw card by drive number, or a `.sd` / `.idx` file by path. Changing it
  // closes an open store.
  void SetStoreSource(int type, unsigned driveNo, const std::string& path);
  int StoreType() const { return type_; }
  const std::string& StorePath() const { return path_; }
  unsigned StoreDrive() const { return driveNo_; }

  // Opens the store when it is closed; returns the first entry of the play list when one is set,
  // else of the entry list; null when the store cannot be opened.
  IndexEntry* OpenStore();
  virtual void CloseStore();
  bool IsStoreOpen() const { return open_; }
  // Why the last OpenStore returned null; kNone after one that succeeded.
  StoreOpenFailure OpenFailure() const { return openFailure_; }

  // The entry after `entry` in the play list when one is set, else in the entry list.
  IndexEntry* GetNextEntry(const IndexEntry* entry);
  // The entry before `entry`, in the same list.
  IndexEntry* GetPreviousEntry(const IndexEntry* entry);
  const std::vector<IndexEntry*>& EntryList() const { return entries_; }
  std::vector<IndexEntry*>& PlayList() { return playList_; }
  // True for an entry of the store as it is open now. Entries of an earlier opening stay readable
  // as long as the store object lives; one that the opening found unchanged is the same object
  // and is current again, any other is no longer current.
  bool IsCurrentEntry(const IndexEntry* entry) const;
  // How many entry objects the store has made since it was created.
  std::size_t EntryObjectCount() const;

  std::uint32_t Capacity() const { return capacity_; }
  const CardHeaderBlock& Header() const { return header_; }
  const std::uint8_t* RawHeader() const { return rawHeader_.data(); }
  // Which header copies of a raw card were sound at its last opening (neither for other stores).
  const CardHeaderCopies& HeaderCopies() const { return headerCopies_; }
  // Which index copies of the last opening could not be parsed (a raw card's slot without its
  // mark): the store was read from the other copy.
  const std::array<bool, 2>& DamagedIndexCopies() const { return damagedIndexCopies_; }
  // The generation the trailers of an entry must carry: the card's on a raw card, else the entry's.
  std::uint32_t ChunkGeneration(const IndexEntry& entry) const;

  // How many chunks of an entry are read: as many as it claims from its first to its last chunk
  // (one when its last is before its first), never more than kMaxChunksPerEntry, and none that
  // lies past the store's capacity or past the end of the file that holds it.
  std::uint32_t ReadableChunks(const IndexEntry& entry) const;
  // Reads the 16,384-byte chunk at a data offset (through the `.raw` files of an `.idx` source).
  bool ReadChunk(std::uint64_t dataOffset, std::uint8_t* chunk);
  // Reads only the 512-byte trailer of the chunk at a data offset.
  bool ReadTrailer(std::uint64_t dataOffset, std::uint8_t* trailer);
  // Asks the system to read `chunks` chunks from a data offset on ahead of the reads that follow.
  void WillReadChunks(std::uint64_t dataOffset, std::size_t chunks);
  // Copies `chunks` chunks from a data offset to a position of another file inside the kernel,
  // as they are stored. A run the kernel cannot copy is copied chunk by chunk, and a chunk that
  // cannot be read is left out (its place in the file stays as it was). False when a write failed.
  // It may run on another thread while the store is read: it reads through positioned calls
  // only and opens `.raw` files of its own. The store must stay open until it returns.
  bool CopyChunks(std::uint64_t dataOffset, std::size_t chunks, CStoReader& to, std::uint64_t toPosition) const;
  static RawLocation RawFileLocation(std::uint64_t dataOffset);
  std::string RawFilePath(unsigned fileNumber) const;
  // The files a job on the store reads, which its outputs must never be: the card's drive, the
  // `.sd` file, or the `.idx` file with the `.raw` files of its card folder (as far as the store
  // has been opened to find them).
  std::vector<std::string> InputPaths() const;
  // How many times a `.raw` file was opened since the store was opened.
  unsigned RawFileOpenCount() const { return rawOpenCount_; }

 private:
  struct Layout {
    std::uint64_t firstCopy = 0;
    std::optional<std::uint64_t> secondCopy;
    std::uint64_t dataBase = 0;
    std::uint64_t indexBase = 0;  // what index positions count from

    std::uint64_t IndexPosition(std::uint32_t slot) const { return indexBase + std::uint64_t{slot} * kCardBlockSize; }
    std::uint64_t DataOffset(std::uint32_t slot) const { return DataBlockOffset(dataBase, slot); }
  };
  struct ParsedCopy {
    std::vector<IndexEntry*> list;
    std::vector<std::uint8_t> slotTypes;
  };
  class Merge;

  bool OpenHandle(Layout* layout);
  IndexEntry* Fail(StoreOpenFailure failure);
  static StoreOpenFailure HandleFailure(const CStoReader& handle);
  bool ReadCopy(std::uint64_t offset, std::vector<std::uint8_t>* copy);
  // Reads and parses one index copy; a copy that reads but does not parse is kept as a copy
  // without entries, and noted as damaged. False when it could not be read.
  bool ReadIndexCopy(int number, std::uint64_t offset, const Layout& layout, ParsedCopy* parsed);
  bool ParseIndexCopy(const std::vector<std::uint8_t>& copy, const Layout& layout, ParsedCopy* parsed);
  bool MergeIndexCopies(ParsedCopy first, ParsedCopy second, const Layout& layout);
  IndexEntry* NewEntry();
  void KeepEntries();
  std::string StoreKey() const;
  IndexEntry* FirstEntry();
  // How many chunks from a data offset on lie inside the store, at most kMaxChunksPerEntry.
  std::uint32_t ChunksInStore(std::uint64_t dataOffset) const;
  std::uint64_t BytesInRawFilesFrom(std::uint64_t dataOffset, std::uint64_t wanted) const;
  // The file that holds a data offset (an `.idx` source's `.raw` file, opened when another was
  // open), and where in it; null when it cannot be opened.
  CStoReader* DataFile(std::uint64_t dataOffset, std::uint64_t* position);
  bool ReadData(std::uint64_t dataOffset, void* buffer, std::size_t count);
  static bool CopyRun(const CStoReader& from, std::uint64_t position, std::size_t chunks, CStoReader& to,
                      std::uint64_t toPosition);
  // The generation every block of a raw card carries, its header's; nothing for the file stores,
  // where each entry carries its own.
  std::optional<std::uint32_t> CardGeneration() const;
  const std::vector<IndexEntry*>& WalkedList() const { return playList_.empty() ? entries_ : playList_; }

  int type_ = 0;
  unsigned driveNo_ = 0;
  std::string path_;
  bool open_ = false;
  CStoReader handle_;
  std::uint32_t capacity_ = 0;
  CardHeaderBlock header_;
  std::array<std::uint8_t, kCardBlockSize> rawHeader_{};
  CardHeaderCopies headerCopies_;
  std::array<bool, 2> damagedIndexCopies_{};
  std::uint64_t dataBase_ = 0;
  StoreOpenFailure openFailure_ = StoreOpenFailure::kNone;
  std::uint64_t openSerial_ = 0;
  // Entries while an opening reads and merges the index; the entries of the opening then move
  // into the pool, and these go.
  std::vector<std::unique_ptr<IndexEntry>> scratch_;
  std::unique_ptr<CEntryPool> pool_;
  std::unordered_set<const IndexEntry*> current_;
  std::vector<IndexEntry*> entries_;
  std::vector<IndexEntry*> playList_;
  std::mutex cursorMutex_;
  std::size_t cursor_ = 0;
  CStoReader rawFile_;
  std::optional<unsigned> rawFileNumber_;
  unsigned rawOpenCount_ = 0;
  std::string rawDir_;  // the data folder of an `.idx` source, with its trailing '/'
};

// Writes the index of a `.sd` backup: each entry at its slot (its position in the backup, whose
// 16 MB block holds its chunks), in store order with a fresh checksum, the slots between them
// empty, and, when given, the card's header block as read from the card at 0x1FFFC00. Fails (and
// writes nothing) for slots that do not rise or lie past what a backup holds; false when a write
// failed.
bool WriteBackupIndex(CStoReader& backup, const std::vector<const IndexEntry*>& entries,
                      const std::uint8_t* rawCardHeader);
