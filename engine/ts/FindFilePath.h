// The transport-stream files of a folder, listed on a short thread of their own when a file is
// opened, so that the reader can go on to the previous or the next file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/stream/MyThread.h"

// The ".ts" files of a folder (the extension in any case), as paths, sorted by name without
// regard to case so that previous and next follow the names whatever order the file system
// keeps; names equal but for case keep their byte order.
std::vector<std::string> ListTsFiles(const std::string& folder);

class CFindFilePath : public CMyThread {
 public:
  // Lists the folder of `file` once started.
  explicit CFindFilePath(std::string file);
  ~CFindFilePath() override;

  // The listing, once the thread has finished (waits for it).
  const std::vector<std::string>& Files();
  // The file before or after the given one in the listing; none at either end or when the file
  // is not in the folder.
  std::optional<std::string> Previous();
  std::optional<std::string> Next();

 protected:
  void Run() override;

 private:
  std::optional<std::string> Neighbour(int step);

  const std::string m_file;
  std::vector<std::string> m_files;
};
