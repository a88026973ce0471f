// The `.sd` file of a backup job: the chunks of the entry at backup position k lie in the 16 MB
// block k from 0x2000000 on (an entry of more than 1,024 chunks runs on into block k + 1), each
// chunk at its own place in it, so that a chunk that could not be read stays a hole of zeros and
// the chunks after it keep their places; the index of the entries copied and the card's header
// block are written when the job ends.
//
// Chunks that follow each other, in the store and in the file, are gathered into runs, which a
// thread of the file copies from the store inside the kernel (as cp copies) while the source
// goes on reading the trailers of the chunks after them.
//
// The file is written under a temporary name beside its path and takes its own name only when the
// backup is complete and on disk; a backup cut short, or one that could not be written, leaves
// nothing behind, so that no backup cut short looks like a whole one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/export/JobFailure.h"
#include "engine/store/CardStore.h"
#include "engine/store/StoReader.h"
#include "platform/Sync.h"

class CBackupFile {
 public:
  CBackupFile() = default;
  CBackupFile(const CBackupFile&) = delete;
  CBackupFile& operator=(const CBackupFile&) = delete;
  ~CBackupFile() { Close(); }

  // Creates the file afresh under its temporary name; an older file of the path itself stays
  // until a complete backup replaces it. Refused when the path is one of the files the chunks are
  // read from (the store, its `.raw` files), or anything but a regular file (a device, a FIFO, a
  // folder).
  bool Create(const std::string& path, const std::vector<std::string>& inputs);
  bool IsOpen() const { return file_.IsOpen(); }
  // The backup's path once it is complete; empty before and when none was kept.
  const std::string& Path() const { return path_; }
  // Why the file could not be created, written or completed.
  const JobFailureInfo& Failure() const { return failure_; }

  // Copies chunk n of the entry whose chunks begin at backup position k, from its data offset in
  // the store as it is stored; false when a copy failed (of a chunk before this one: copies run
  // behind). A chunk number past what an entry can hold has no place and is passed over. The
  // store stays open until Finish or Close.
  bool WriteChunk(std::uint32_t k, std::uint32_t n, CCardStore& store, std::uint64_t dataOffset);
  // Copies what is gathered, writes the index of the entries copied (each at its slot, its
  // backup position) and the card's header block when given (a raw card's, as read), then closes
  // the file. A complete backup takes its path; an incomplete one, a file with no entry, or one
  // whose chunks or index could not all be written, is removed. False when a write, flushing
  // the file or the renaming failed.
  bool Finish(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader, bool complete);
  // Closes and removes a file whose job did not run.
  void Close();

 private:
  // Chunks that follow each other in the store and in the file.
  struct Run {
    const CCardStore* store = nullptr;
    std::uint64_t from = 0;  // data offset in the store
    std::uint64_t to = 0;    // position in the file
    std::size_t chunks = 0;
  };

  bool HandOver();
  void CopyRuns();
  bool StopCopying();
  bool WriteIndex(const std::vector<IndexEntry>& entries, const std::uint8_t* rawCardHeader);
  bool WriteFailed();

  plat::OutputFile output_;
  CStoReader file_;
  std::string path_;
  JobFailureInfo failure_;
  Run run_;  // being gathered

  plat::Thread copier_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Run> handed_;  // runs waiting for the copier
  bool stopping_ = false;
  bool copyFailed_ = false;
};
