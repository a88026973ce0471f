#include "platform/Profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cwchar>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/File.h"
#include "platform/OutputFile.h"

namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Le };

struct IniText {
  Encoding encoding = Encoding::Utf8;
  std::vector<std::wstring> lines;
};

// A section and its keys by their lower-case names; of duplicates only the first counts.
struct SectionIndex {
  size_t header = 0;  // index of the header line
  size_t end = 0;     // one past the last line of the section
  std::unordered_map<std::wstring, size_t> keys;
};

struct ParsedIni {
  IniText text;
  std::unordered_map<std::wstring, SectionIndex> sections;
};

// What identifies a file's contents on disk without reading them.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// A file as last read. Its stamp alone vouches for the bytes only once the file was last changed
// well before they were read: within a time-stamp tick (two seconds on some file systems) a
// change of the same size keeps the stamp, so until then the bytes are read and compared.
struct CachedFile {
  FileStamp stamp;
  bool refused = false;  // not a regular file, or too large; the stamp tells when to look again
  std::string bytes;
  ParsedIni parsed;
  std::int64_t readNs = 0;
};

constexpr std::int64_t kStampTrustedAfterNs = 2'000'000'000;
constexpr std::uint64_t kDefaultSizeLimit = 1 << 20;

enum class LoadState { kLoaded, kMissing, kRefused };

std::mutex& ProfileMutex() {
  static std::mutex m;
  return m;
}

std::map<std::string, CachedFile>& Cache() {
  static std::map<std::string, CachedFile> cache;
  return cache;
}

std::map<std::string, std::uint64_t>& SizeLimits() {
  static std::map<std::string, std::uint64_t> limits;
  return limits;
}

std::uint64_t SizeLimitOf(const std::string& path) {
  const auto it = SizeLimits().find(path);
  return it == SizeLimits().end() ? kDefaultSizeLimit : it->second;
}

std::int64_t NowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

FileStamp StampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// Valid UTF-8 survives a round trip unchanged; a broken sequence comes back as U+FFFD.
bool IsValidUtf8(const std::string& s) { return WideToUtf8(Utf8ToWide(s)) == s; }

IniText Decode(const std::string& bytes) {
  IniText ini;
  std::wstring text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    ini.encoding = Encoding::Utf16Le;
    text = Utf16LeToWide(std::string_view(bytes).substr(2));
  } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
    ini.encoding = Encoding::Utf8Bom;
    text = Utf8ToWide(std::string_view(bytes).substr(3));
  } else {
    text = IsValidUtf8(bytes) ? Utf8ToWide(bytes) : AnsiToWide(bytes);
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    ini.lines.push_back(line);
    start = end + 1;
  }
  return ini;
}

std::string Encode(const IniText& ini) {
  std::wstring text;
  for (const auto& l : ini.lines) text += l + L"\r\n";
  switch (ini.encoding) {
    case Encoding::Utf16Le: return "\xFF\xFE" + WideToUtf16Le(text);
    case Encoding::Utf8Bom: return "\xEF\xBB\xBF" + WideToUtf8(text);
    case Encoding::Utf8: break;
  }
  return WideToUtf8(text);
}

std::wstring TrimBlanks(const std::wstring& s) { return CString(s).Trim(L" \t").str(); }

// Names compare without case; whole names are compared, so that a name with a NUL in it (a
// damaged file) still finds itself.
std::wstring NameKey(const std::wstring& name) { return CString(TrimBlanks(name)).MakeLower().str(); }

bool SameName(const std::wstring& a, const std::wstring& b) { return NameKey(a) == NameKey(b); }

// The section named by a line, or nothing when the line is not a section header.
std::optional<std::wstring> SectionOf(const std::wstring& line) {
  const std::wstring t = TrimBlanks(line);
  if (t.empty() || t[0] != L'[') return std::nullopt;
  const size_t close = t.find(L']');
  return TrimBlanks(t.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
}

// Key and raw value of a key line; nothing for comments, blank lines and lines without '='.
std::optional<std::pair<std::wstring, std::wstring>> KeyOf(const std::wstring& line) {
  const size_t eq = line.find(L'=');
  if (eq == std::wstring::npos) return std::nullopt;
  std::wstring key = TrimBlanks(line.substr(0, eq));
  if (!key.empty() && key[0] == L';') return std::nullopt;
  return std::make_pair(key, line.substr(eq + 1));
}

std::wstring CleanValue(const std::wstring& raw) {
  std::wstring v = TrimBlanks(raw);
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

ParsedIni Parse(IniText text) {
  ParsedIni parsed;
  parsed.text = std::move(text);
  const std::vector<std::wstring>& lines = parsed.text.lines;
  SectionIndex* current = nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionOf(lines[i])) {
      if (current) current->end = i;
      const auto [it, first] = parsed.sections.try_emplace(NameKey(*name), SectionIndex{i, lines.size(), {}});
      current = first ? &it->second : nullptr;
    } else if (const auto kv = current ? KeyOf(lines[i]) : std::nullopt) {
      current->keys.try_emplace(NameKey(kv->first), i);
    }
  }
  return parsed;
}

const SectionIndex* FindSection(const ParsedIni& ini, const std::wstring& section) {
  const auto it = ini.sections.find(NameKey(section));
  return it == ini.sections.end() ? nullptr : &it->second;
}

std::optional<size_t> FindKey(const SectionIndex& s, const std::wstring& key) {
  const auto it = s.keys.find(NameKey(key));
  if (it == s.keys.end()) return std::nullopt;
  return it->second;
}

void ReportRefused(const std::string& path, const struct stat& st, std::uint64_t limit) {
  plat::ReportUnusedFile(path, S_ISREG(st.st_mode)
                                   ? "it is larger than " + std::to_string(limit) + " bytes, far more than such a file holds; the defaults are used"
                                   : "it is not a regular file; the defaults are used");
}

// Reads the whole file when its stamp no longer vouches for the bytes held. A file that is not a
// regular one, or is larger than its limit, is refused once per change, without being opened.
LoadState Refresh(const std::string& path, CachedFile& cached) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? LoadState::kMissing : LoadState::kRefused;
  const FileStamp stamp = StampOf(st);
  const std::uint64_t limit = SizeLimitOf(path);
  if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > limit) {
    if (!cached.refused || !(cached.stamp == stamp)) ReportRefused(path, st, limit);
    cached = CachedFile{stamp, true, {}, {}, 0};
    return LoadState::kRefused;
  }
  if (!cached.refused && cached.stamp == stamp && stamp.modifiedNs + kStampTrustedAfterNs <= cached.readNs) {
    return LoadState::kLoaded;
  }
  plat::File file;
  const std::int64_t readNs = NowNs();
  if (!file.Open(path, plat::kRead)) return file.LastError() == ENOENT ? LoadState::kMissing : LoadState::kRefused;
  const std::uint64_t size = file.Size();
  std::string bytes(static_cast<size_t>(std::min(size, limit)), '\0');
  if (size > limit || !file.ReadAll(bytes.data(), bytes.size())) return LoadState::kRefused;
  if (cached.refused || bytes != cached.bytes) cached.parsed = Parse(Decode(bytes));
  cached.stamp = stamp;
  cached.refused = false;
  cached.bytes = std::move(bytes);
  cached.readNs = readNs;
  return LoadState::kLoaded;
}

// The file's parsed text, from memory while the file is as it was; null when it is missing or
// refused (see Refresh). Expects the profile lock to be held.
const ParsedIni* Loaded(const CString& file, LoadState* state = nullptr) {
  const std::string path = file.ToUtf8();
  CachedFile& cached = Cache()[path];
  const LoadState s = Refresh(path, cached);
  if (state) *state = s;
  if (s == LoadState::kLoaded) return &cached.parsed;
  if (!cached.refused) Cache().erase(path);
  return nullptr;
}

std::optional<std::wstring> ReadValue(const CString& file, const CString& section, const CString& key) {
  std::lock_guard lock(ProfileMutex());
  const ParsedIni* ini = Loaded(file);
  if (!ini) return std::nullopt;
  const SectionIndex* s = FindSection(*ini, section.str());
  if (!s) return std::nullopt;
  const auto k = FindKey(*s, key.str());
  if (!k) return std::nullopt;
  return CleanValue(KeyOf(ini->text.lines[*k])->second);
}

// Writes the changed text and keeps it as the file's contents held.
bool Store(const CString& file, IniText text) {
  const std::string path = file.ToUtf8();
  const std::string bytes = Encode(text);
  const std::int64_t writtenNs = NowNs();
  struct stat st {};
  if (!plat::ReplaceFile(path, bytes) || ::stat(path.c_str(), &st) != 0) {
    Cache().erase(path);
    return false;
  }
  Cache()[path] = CachedFile{StampOf(st), false, bytes, Parse(std::move(text)), writtenNs};
  return true;
}

// Changes one key or section. A file that is refused for reading is not written either: it stays
// as the user has it.
bool Modify(const CString& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  if (!section) return false;
  std::lock_guard lock(ProfileMutex());
  LoadState state = LoadState::kMissing;
  const ParsedIni* loaded = Loaded(file, &state);
  if (state == LoadState::kRefused) return false;
  const ParsedIni ini = loaded ? *loaded : ParsedIni{};
  IniText text = ini.text;
  std::vector<std::wstring>& lines = text.lines;
  const SectionIndex* s = FindSection(ini, section);
  if (!key) {
    if (s) lines.erase(lines.begin() + static_cast<long>(s->header), lines.begin() + static_cast<long>(s->end));
    return Store(file, std::move(text));
  }
  if (!s) {
    if (!value) return true;
    lines.push_back(L"[" + std::wstring(section) + L"]");
    lines.push_back(std::wstring(key) + L"=" + value);
    return Store(file, std::move(text));
  }
  if (const auto k = FindKey(*s, key)) {
    if (value) {
      const std::wstring& line = lines[*k];
      lines[*k] = line.substr(0, line.find(L'=')) + L"=" + value;
    } else {
      lines.erase(lines.begin() + static_cast<long>(*k));
    }
    return Store(file, std::move(text));
  }
  if (!value) return true;
  size_t insertAt = s->end;
  while (insertAt > s->header + 1 && TrimBlanks(lines[insertAt - 1]).empty()) --insertAt;
  lines.insert(lines.begin() + static_cast<long>(insertAt), std::wstring(key) + L"=" + value);
  return Store(file, std::move(text));
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out, DWORD size,
                               LPCWSTR file) {
  if (!out || size == 0) return 0;
  const CString v = plat::ProfileString(file ? file : L"", section ? section : L"", key ? key : L"",
                                        defaultValue ? defaultValue : L"", static_cast<int>(size));
  std::wmemcpy(out, v.GetString(), static_cast<size_t>(v.GetLength()) + 1);
  return static_cast<DWORD>(v.GetLength());
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, int defaultValue, LPCWSTR file) {
  return static_cast<UINT>(plat::ProfileInt(file ? file : L"", section ? section : L"", key ? key : L"", defaultValue));
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
  return Modify(file ? file : L"", section, key, value) ? TRUE : FALSE;
}

namespace plat {

void SetProfileSizeLimit(const CString& file, std::uint64_t maxBytes) {
  std::lock_guard lock(ProfileMutex());
  const std::string path = file.ToUtf8();
  SizeLimits()[path] = maxBytes;
  Cache().erase(path);
}

CString ProfileString(const CString& file, const CString& section, const CString& key, const CString& defaultValue,
                      int bufferChars) {
  CString v = ReadValue(file, section, key).value_or(defaultValue.str());
  if (bufferChars <= 0) return CString();
  return v.Left(bufferChars - 1);
}

std::optional<CString> ProfileValue(const CString& file, const CString& section, const CString& key) {
  auto value = ReadValue(file, section, key);
  if (!value) return std::nullopt;
  return CString(std::move(*value));
}

int ProfileInt(const CString& file, const CString& section, const CString& key, int defaultValue) {
  const auto raw = ReadValue(file, section, key);
  if (!raw || raw->empty()) return defaultValue;
  size_t i = 0;
  bool negative = false;
  if ((*raw)[0] == L'-' || (*raw)[0] == L'+') negative = (*raw)[i++] == L'-';
  std::uint32_t value = 0;
  for (; i < raw->size() && (*raw)[i] >= L'0' && (*raw)[i] <= L'9'; ++i)
    value = value * 10u + static_cast<std::uint32_t>((*raw)[i] - L'0');
  return static_cast<int>(negative ? 0u - value : value);
}

bool WriteProfileString(const CString& file, const CString& section, const CString& key, const CString& value) {
  return Modify(file, section, key, value);
}

bool WriteProfileInt(const CString& file, const CString& section, const CString& key, int value) {
  return Modify(file, section, key, std::to_wstring(value).c_str());
}

bool DeleteProfileKey(const CString& file, const CString& section, const CString& key) {
  return Modify(file, section, key, nullptr);
}

bool DeleteProfileSection(const CString& file, const CString& section) { return Modify(file, section, nullptr, nullptr); }

std::vector<CString> ProfileSections(const CString& file) {
  std::lock_guard lock(ProfileMutex());
  std::vector<CString> out;
  const ParsedIni* ini = Loaded(file);
  if (!ini) return out;
  for (const auto& line : ini->text.lines) {
    const auto name = SectionOf(line);
    if (name && std::none_of(out.begin(), out.end(), [&](const CString& s) { return SameName(s.str(), *name); }))
      out.emplace_back(*name);
  }
  return out;
}

std::vector<CString> ProfileKeys(const CString& file, const CString& section) {
  std::lock_guard lock(ProfileMutex());
  std::vector<CString> out;
  const ParsedIni* ini = Loaded(file);
  if (!ini) return out;
  const SectionIndex* s = FindSection(*ini, section.str());
  if (!s) return out;
  for (size_t i = s->header + 1; i < s->end; ++i) {
    const auto kv = KeyOf(ini->text.lines[i]);
    if (kv && std::none_of(out.begin(), out.end(), [&](const CString& k) { return SameName(k.str(), kv->first); }))
      out.emplace_back(kv->first);
  }
  return out;
}

}  // namespace plat
