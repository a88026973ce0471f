// What a job (a .sd backup, an export over a time range, a GPS text export) does with the chunks
// that the card source reads for it. The source walks the entries and validates the chunks;
// the job writes them where they belong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/store/CardStore.h"
#include "engine/store/IndexBlock.h"

// Why the data of the card source's last run ended.
enum class SourceEnd {
  kNone,       // no data has ended yet
  kData,       // the last chunk of the data was read
  kStopped,    // the thread was stopped, a queue woken, or the engine closed
  kReadError,  // the store could not be read any more (device gone, or 8 failed chunks in a row)
  kJobFailed,  // the job could not take a chunk
};

struct JobChunk {
  const IndexEntry* entry = nullptr;
  std::uint32_t backupPosition = 0;  // the backup block where the entry's chunks begin (0 without one)
  std::uint32_t chunkNumber = 0;  // the chunk's number within its entry
  // kChunkSize bytes as read from the store; null in a backup, which reads only the trailers and
  // copies the chunks from the store (CCardStore::CopyChunks) as they are stored.
  const std::uint8_t* chunk = nullptr;
  CCardStore* store = nullptr;
  std::uint64_t dataOffset = 0;  // of the chunk in the store
  const IndexBlockA5* trailer = nullptr;  // the chunk's trailer in host order
};

// Why a recording chosen for a backup went into it without a single chunk.
enum class LeftOutReason {
  kNoData,         // none of its chunks lies in the store (past the end of the card, file or data files)
  kNoIntactChunk,  // its chunks are there, but none could be read with a valid trailer in its place
};

struct LeftOutEntry {
  IndexEntry entry;          // as the store lists it
  std::size_t position = 0;  // its place among the entries given to the backup, from 0
  LeftOutReason reason = LeftOutReason::kNoData;
};

// The entries of a backup at its end.
struct BackupEntries {
  // Those of which chunks were handed over, each ending at its last chunk handed over, with its
  // backup position as its slot.
  std::vector<IndexEntry> taken;
  // Once the data ended by itself (every entry walked): those of which no chunk was handed over.
  std::vector<LeftOutEntry> leftOut;
};

class ISourceJob {
 public:
  virtual ~ISourceJob() = default;
  // Runs before the source thread starts; false refuses the start (its output cannot be opened).
  virtual bool Begin() = 0;
  // A valid chunk of the job, called on the source thread; false ends the data (a failed write).
  virtual bool TakeChunk(const JobChunk& chunk) = 0;
  // The job ends, once, with the backup's entries as far as they were copied (none for another
  // job); `end` says why: kData when the data ended by itself, else a stop or a failure.
  virtual void Finish(const BackupEntries& entries, SourceEnd end) = 0;
};
