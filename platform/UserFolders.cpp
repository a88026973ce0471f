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

// The pictures folder the user-dirs file names ("$HOME/..." or absolute); empty when it names none.
std::string PicturesFromUserDirs(const std::string& file, const std::string& home) {
  static const std::string kKey = "XDG_PICTURES_DIR=\"";
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(kKey, 0) != 0) continue;
    const std::size_t end = line.find('"', kKey.size());
    if (end == std::string::npos) return "";
    std::string value = line.substr(kKey.size(), end - kKey.size());
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value.rfind('/', 0) == 0 ? WithoutTrailingSlashes(value) : "";
  }
  return "";
}

}  // namespace

std::string UserPicturesDir() {
  const std::string home = WithoutTrailingSlashes(EnvironmentPath("HOME"));
  if (home.empty()) return "";
  std::string config = EnvironmentPath("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  const std::string named = PicturesFromUserDirs(config + "/user-dirs.dirs", home);
  return named.empty() ? home + "/Pictures" : named;
}

bool IsWritableDir(const std::string& dir) {
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) && access(dir.c_str(), W_OK | X_OK) == 0;
}

}  // namespace plat
