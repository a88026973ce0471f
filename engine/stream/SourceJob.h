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
  std::size_t backupIndex = 0;   // position of the entry in the backup list (0 without one)
  std::uint32_t chunkNumber = 0;  // the chunk's number within its entry
  const std::uint8_t* chunk = nullptr;  // kChunkSize bytes, as read from the store
  const IndexBlockA5* trailer = nullptr;  // the chunk's trailer in host order
};

class ISourceJob {
 public:
  virtual ~ISourceJob() = default;
  // Runs before the source thread starts; false refuses the start (its output cannot be opened).
  virtual bool Begin() = 0;
  // A valid chunk of the job, called on the source thread; false ends the data (a failed write).
  virtual bool TakeChunk(const JobChunk& chunk) = 0;
  // The job ends, once: `taken` are the backup entries as far as their chunks were handed over
  // (a partly handed entry ends at its last chunk handed over); `end` says why: kData when the
  // data ended by itself, else a stop or a failure.
  virtual void Finish(const std::vector<IndexEntry>& taken, SourceEnd end) = 0;
};
