#include "platform/Profile.h"

#include <unistd.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>

namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Le };

struct IniText {
  Encoding encoding = Encoding::Utf8;
  std::vector<std::wstring> lines;
};

std::mutex& ProfileMutex() {
  static std::mutex m;
  return m;
}

// Valid UTF-8 survives a round trip unchanged; a broken sequence comes back as U+FFFD.
bool IsValidUtf8(const std::string& s) { return WideToUtf8(Utf8ToWide(s)) == s; }

std::optional<IniText> Load(const CString& file) {
  std::ifstream in(file.ToUtf8(), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  const std::string bytes = ss.str();
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

bool Save(const CString& file, const IniText& ini) {
  std::wstring text;
  for (const auto& l : ini.lines) text += l + L"\r\n";
  std::string bytes;
  switch (ini.encoding) {
    case Encoding::Utf16Le: bytes = "\xFF\xFE" + WideToUtf16Le(text); break;
    case Encoding::Utf8Bom: bytes = "\xEF\xBB\xBF" + WideToUtf8(text); break;
    case Encoding::Utf8: bytes = WideToUtf8(text); break;
  }
  const std::string path = file.ToUtf8();
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      ::unlink(temp.c_str());
      return false;
    }
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

std::wstring TrimBlanks(const std::wstring& s) { return CString(s).Trim(L" \t").str(); }

// Whole names are compared, so that a name with a NUL in it (a damaged file) still finds itself.
bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && CString(a).MakeLower() == CString(b).MakeLower();
}

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

struct SectionSpan {
  size_t header;  // index of the header line
  size_t end;     // one past the last line of the section
};

std::optional<SectionSpan> FindSection(const IniText& ini, const std::wstring& section) {
  for (size_t i = 0; i < ini.lines.size(); ++i) {
    const auto name = SectionOf(ini.lines[i]);
    if (!name || !SameName(*name, TrimBlanks(section))) continue;
    size_t end = i + 1;
    while (end < ini.lines.size() && !SectionOf(ini.lines[end])) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const IniText& ini, const SectionSpan& s, const std::wstring& key) {
  for (size_t i = s.header + 1; i < s.end; ++i) {
    const auto kv = KeyOf(ini.lines[i]);
    if (kv && SameName(kv->first, TrimBlanks(key))) return i;
  }
  return std::nullopt;
}

std::optional<std::wstring> ReadValue(const CString& file, const CString& section, const CString& key) {
  std::lock_guard lock(ProfileMutex());
  const auto ini = Load(file);
  if (!ini) return std::nullopt;
  const auto s = FindSection(*ini, section.str());
  if (!s) return std::nullopt;
  const auto k = FindKey(*ini, *s, key.str());
  if (!k) return std::nullopt;
  return CleanValue(KeyOf(ini->lines[*k])->second);
}

bool Modify(const CString& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
  if (!section) return false;
  std::lock_guard lock(ProfileMutex());
  IniText ini = Load(file).value_or(IniText{});
  const auto s = FindSection(ini, section);
  if (!key) {
    if (s) ini.lines.erase(ini.lines.begin() + static_cast<long>(s->header), ini.lines.begin() + static_cast<long>(s->end));
    return Save(file, ini);
  }
  if (!s) {
    if (!value) return true;
    ini.lines.push_back(L"[" + std::wstring(section) + L"]");
    ini.lines.push_back(std::wstring(key) + L"=" + value);
    return Save(file, ini);
  }
  if (const auto k = FindKey(ini, *s, key)) {
    if (value) {
      const std::wstring& line = ini.lines[*k];
      ini.lines[*k] = line.substr(0, line.find(L'=')) + L"=" + value;
    } else {
      ini.lines.erase(ini.lines.begin() + static_cast<long>(*k));
    }
    return Save(file, ini);
  }
  if (!value) return true;
  size_t insertAt = s->end;
  while (insertAt > s->header + 1 && TrimBlanks(ini.lines[insertAt - 1]).empty()) --insertAt;
  ini.lines.insert(ini.lines.begin() + static_cast<long>(insertAt), std::wstring(key) + L"=" + value);
  return Save(file, ini);
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
  const auto ini = Load(file);
  if (!ini) return out;
  for (const auto& line : ini->lines) {
    const auto name = SectionOf(line);
    if (name && std::none_of(out.begin(), out.end(), [&](const CString& s) { return SameName(s.str(), *name); }))
      out.emplace_back(*name);
  }
  return out;
}

std::vector<CString> ProfileKeys(const CString& file, const CString& section) {
  std::lock_guard lock(ProfileMutex());
  std::vector<CString> out;
  const auto ini = Load(file);
  if (!ini) return out;
  const auto s = FindSection(*ini, section.str());
  if (!s) return out;
  for (size_t i = s->header + 1; i < s->end; ++i) {
    const auto kv = KeyOf(ini->lines[i]);
    if (kv && std::none_of(out.begin(), out.end(), [&](const CString& k) { return SameName(k.str(), kv->first); }))
      out.emplace_back(kv->first);
  }
  return out;
}

}  // namespace plat
