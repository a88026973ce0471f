// Drive letters of the machine's mounted volumes for the whole run. A volume (a block device
// mounted at a folder) keeps its letter while it stays mounted, so that a volume mounted later
// never moves the letters of the others: the letters that notices of arrival and removal name
// stay those of the same volumes. The root file system is C; the others take D to Z.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace plat {

struct MountedVolume {
  std::string device;
  std::string mountPoint;
};

class DriveLetterBook {
 public:
  static constexpr char kFirstLetter = 'D';
  static constexpr char kLastLetter = 'Z';

  // The letter of each volume, in the order given: a volume seen before keeps its letter, a new
  // one takes the lowest free letter (0 when none is left). Volumes not given free their letters.
  std::vector<char> Assign(const std::vector<MountedVolume>& volumes);

 private:
  std::map<std::pair<std::string, std::string>, char> letters_;
};

}  // namespace plat
