#include "engine/ts/FindFilePath.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/File.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const auto lower = [](unsigned char c) { return std::tolower(c); };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return lower(x) < lower(y); });
}

}  // namespace

std::vector<std::string> ListTsFiles(const std::string& folder) {
  std::vector<std::string> names = plat::ListFiles(folder, ".ts");
  std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (std::string& name : names) name = prefix + name;
  return names;
}

CFindFilePath::CFindFilePath(std::string file) : m_file(std::move(file)) {}

CFindFilePath::~CFindFilePath() { Stop(kWaitForever); }

const std::vector<std::string>& CFindFilePath::Files() {
  Stop(kWaitForever);
  return m_files;
}

std::optional<std::string> CFindFilePath::Previous() { return Neighbour(-1); }
std::optional<std::string> CFindFilePath::Next() { return Neighbour(1); }

void CFindFilePath::Run() { m_files = ListTsFiles(FolderOf(m_file)); }

std::optional<std::string> CFindFilePath::Neighbour(int step) {
  const std::vector<std::string>& files = Files();
  const std::string name = NameOf(m_file);
  const auto it = std::find_if(files.begin(), files.end(), [&](const std::string& f) { return NameOf(f) == name; });
  if (it == files.end()) return std::nullopt;
  const auto index = (it - files.begin()) + step;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(files.size())) return std::nullopt;
  return files[static_cast<std::size_t>(index)];
}
