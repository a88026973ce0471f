// The `.sd` file of a backup job: the chunks of the entry at position k of the backup list lie in
// the 16 MB block k from 0x2000000 on, each chunk at its own place in it, so that a chunk that
// could not be read stays a hole of zeros and the chunks after it keep their places; the index of
// the entries copied and the card's header block are written when the job ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CardStore.h"
#include "engine/StoReader.h"

class CBackupFile {
 public:
  // Creates the file afresh: an older file of that name is emptied, so that none of its entries
  // stays listed. Refused when the path names the store the chunks are read from.
  bool Create(const std::string& path, const std::string& storePath);
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }

  // Writes chunk n (as read from the store) of the entry at position k of the backup list. A
  // chunk number past what an entry can hold has no place and is passed over.
  bool WriteChunk(std::size_t k, std::uint32_t n, const std::uint8_t* chunk);
  // Writes the index of the entries copied, in their order, and the card's header block when
  // given (a raw card's, as read), then closes the file. False when a write failed.
  bool Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader);
  void Close() { file_.Close(); }

 private:
  CStoReader file_;
  std::string path_;
  std::uint64_t position_ = 0;  // of the file, after the last write
};
