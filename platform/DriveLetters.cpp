#include "platform/DriveLetters.h"

#include <set>

namespace plat {

std::vector<char> DriveLetterBook::Assign(const std::vector<MountedVolume>& volumes) {
  std::map<std::pair<std::string, std::string>, char> kept;
  for (const MountedVolume& v : volumes) {
    const auto it = letters_.find({v.device, v.mountPoint});
    if (it != letters_.end()) kept.insert(*it);
  }
  letters_ = std::move(kept);
  std::set<char> used;
  for (const auto& [volume, letter] : letters_) used.insert(letter);
  std::vector<char> out;
  for (const MountedVolume& v : volumes) {
    char& letter = letters_[{v.device, v.mountPoint}];
    for (char c = kFirstLetter; letter == 0 && c <= kLastLetter; ++c) {
      if (used.insert(c).second) letter = c;
    }
    out.push_back(letter);
  }
  std::erase_if(letters_, [](const auto& entry) { return entry.second == 0; });
  return out;
}

}  // namespace plat
