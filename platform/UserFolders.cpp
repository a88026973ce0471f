#include "platform/UserFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace plat {
namespace {

std::string EnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The folder the user-dirs file names for the key ("$HOME/..." or absolute); empty when it names none.
std::string FolderFromUserDirs(const std::string& file, const std::string& home, const std::string& name) {
  const std::string key = name + "=\"";
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    const std::size_t end = line.find('"', key.size());
    if (end == std::string::npos) return "";
    std::string value = line.substr(key.size(), end - key.size());
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value.rfind('/', 0) == 0 ? WithoutTrailingSlashes(value) : "";
  }
  return "";
}

// The user-dirs folder of the key, else the home folder's `fallback`.
std::string UserDir(const std::string& key, const std::string& fallback) {
  const std::string home = WithoutTrailingSlashes(EnvironmentPath("HOME"));
  if (home.empty()) return "";
  std::string config = EnvironmentPath("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  const std::string named = FolderFromUserDirs(config + "/user-dirs.dirs", home, key);
  return named.empty() ? home + "/" + fallback : named;
}

}  // namespace

std::string UserPicturesDir() { return UserDir("XDG_PICTURES_DIR", "Pictures"); }

std::string UserVideosDir() { return UserDir("XDG_VIDEOS_DIR", "Videos"); }

bool IsWritableDir(const std::string& dir) {
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) && access(dir.c_str(), W_OK | X_OK) == 0;
}

}  // namespace plat
