// Outputs written under a temporary name beside their target, which take the target's name only
// once they are complete and on disk: a job cut short by a fault, a full disk or a signal never
// leaves a file under a name that looks complete, and an older file of that name stays as it was
// until a complete one replaces it. A name that is one of the files the job reads, or that is not
// a regular file (a FIFO, a device, a folder), is refused before anything is written.
// The temporary name is new and random, created only where nothing (not even a link) is, so
// whoever else can write in the folder cannot steer the bytes into a file of their choosing; the
// rename then replaces a link at the name itself, never the file it points to. Every file the
// program writes, its own settings included, goes this way.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plat {

// Why a name cannot take an output.
enum class OutputRefusal {
  kNone,
  kIsInput,     // the name is, links followed, the same file as one the job reads
  kNotAFile,    // the name exists and is not a regular file
  kNotCreated,  // no temporary file could be made in the name's folder (LastError says why)
};

// The name checked against the files a job reads, before anything is written: refused when it is
// the same file (device and inode, links followed) as one of them, or when it exists as anything
// but a regular file. `input`, when given, receives the input it is. A name that does not exist
// yet is fine here.
OutputRefusal CheckOutputName(const std::string& name, const std::vector<std::string>& inputs,
                              std::string* input = nullptr);

// Who may read the finished file: everyone, as outputs are shared, or its owner alone, for a
// file that holds a secret.
enum class OutputReaders { kEveryone, kOwner };

class OutputFile {
 public:
  // The temporary files end with this, after the target's name and a few random characters.
  static constexpr const char* kTempSuffix = ".part";

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  // An output neither committed nor discarded is discarded.
  ~OutputFile();

  // Checks the name (CheckOutputName) and makes a new, empty temporary file in its folder, which
  // the writer opens by TempPath and writes. With `append` the bytes of the file that the name
  // holds now, if any, are copied into it first, so that what is written adds to them.
  bool Create(const std::string& name, const std::vector<std::string>& inputs, bool append = false,
              OutputReaders readers = OutputReaders::kEveryone);
  bool IsOpen() const { return fd_ >= 0; }
  // The temporary file, open for reading and writing; a writer that writes through it (or a
  // duplicate of it) never opens a name that someone could have swapped meanwhile.
  int Descriptor() const { return fd_; }
  // Appends the bytes to the temporary file; false (LastError says why) unless all were written.
  bool Write(const void* data, std::size_t bytes);
  const std::string& Name() const { return name_; }
  const std::string& TempPath() const { return temp_; }
  OutputRefusal Refusal() const { return refusal_; }
  // The input that the name is, after a kIsInput refusal.
  const std::string& RefusedInput() const { return refusedInput_; }
  // The error (errno) of the last step that failed: creating, copying, flushing or renaming.
  int LastError() const { return lastError_; }

  // Puts what the writer wrote (and closed) on disk and renames the temporary file over the
  // name. False, with the temporary file removed, when either failed.
  bool Commit();
  // Removes the temporary file.
  void Discard();

 private:
  bool MakeTemp(OutputReaders readers);
  bool CopyOld();

  int fd_ = -1;
  std::string name_;
  std::string temp_;
  OutputRefusal refusal_ = OutputRefusal::kNone;
  std::string refusedInput_;
  int lastError_ = 0;
};

// The temporary names that the next Create of `name` tries, in order, while no other Create runs
// in between; checks plant things at them to see that none is followed.
std::vector<std::string> UpcomingTempNames(const std::string& name, std::size_t count);

// A line on the error output: the output's name is not written, and why.
void ReportNotWritten(const OutputFile& output);

// Writes the bytes as the whole new contents of the file `name`, through an OutputFile. False,
// with the old file as it was and a line on the error output saying why, when that cannot be done.
bool ReplaceFile(const std::string& name, const std::string& bytes, OutputReaders readers = OutputReaders::kEveryone);

}  // namespace plat
