// The `.sd` file of a backup job: the chunks of the entry at position k of the backup list lie in
// the 16 MB block k from 0x2000000 on, each chunk at its own place in it, so that a chunk that
// could not be read stays a hole of zeros and the chunks after it keep their places; the index of
// the entries copied and the card's header block are written when the job ends. Chunks that
// follow each other are gathered and written together, up to 1 MiB at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/store/CardStore.h"
#include "engine/store/StoReader.h"

class CBackupFile {
 public:
  // Creates the file afresh: an older file of that name is emptied, so that none of its entries
  // stays listed. Refused when the path names the store the chunks are read from.
  bool Create(const std::string& path, const std::string& storePath);
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }

  // Writes chunk n (as read from the store) of the entry at position k of the backup list; false
  // when a write failed (of this chunk or of chunks gathered before it). A chunk number past what
  // an entry can hold has no place and is passed over.
  bool WriteChunk(std::size_t k, std::uint32_t n, const std::uint8_t* chunk);
  // Writes the chunks gathered, the index of the entries copied, in their order, and the card's
  // header block when given (a raw card's, as read), then closes the file. False when a write
  // failed.
  bool Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader);
  void Close();

 private:
  bool WriteGathered();

  CStoReader file_;
  std::string path_;
  std::vector<std::uint8_t> gathered_;  // chunks that follow each other, from gatheredAt_ on
  std::uint64_t gatheredAt_ = 0;
};
