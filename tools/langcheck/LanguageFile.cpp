#include "tools/langcheck/LanguageFile.h"

#include <fstream>
#include <iterator>

#include "platform/Profile.h"
#include "platform/String.h"

namespace langcheck {
namespace {

// The program reads translations into a buffer of 260 characters.
constexpr size_t kMaxValueChars = 259;

// Strict UTF-8: false at the first malformed, overlong or surrogate sequence.
bool DecodeUtf8(std::string_view bytes, std::wstring& out) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out += static_cast<wchar_t>(c);
    i += length;
  }
  return true;
}

std::wstring Trim(const std::wstring& s) {
  const size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

// As the program's reader: trimmed, one pair of outer quotes taken off.
std::wstring CleanValue(const std::wstring& raw) {
  std::wstring v = Trim(raw);
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

class Reader {
 public:
  explicit Reader(LanguageFile& file) : f_(file) {}

  void Line(const std::wstring& raw, int number) {
    const std::wstring line = Trim(raw);
    if (line.empty() || line[0] == L';') return;
    if (line[0] == L'[') return Section(line, number);
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos || Trim(line.substr(0, eq)).empty())
      return Problem(number, "neither a key nor a section");
    if (section_.empty()) return Problem(number, "a key before the first section");
    if (section_ == kTextSection) Text(Trim(line.substr(0, eq)), CleanValue(line.substr(eq + 1)), number);
    if (section_ == kSameSection) f_.sameAsEnglish.emplace(FoldKey(line.substr(0, eq)), Trim(line.substr(0, eq)));
  }

  void Problem(int line, const std::string& message) {
    f_.problems.push_back(f_.shown + ":" + std::to_string(line) + ": " + message);
  }

 private:
  void Section(const std::wstring& line, int number) {
    const size_t close = line.find(L']');
    section_ = close == std::wstring::npos ? L"" : Trim(line.substr(1, close - 1));
    if (section_ != kTextSection && section_ != kSameSection && section_ != L"Provinces") {
      Problem(number, "unknown section " + WideToUtf8(line));
      section_ = L"?";
    }
  }

  void Text(const std::wstring& key, const std::wstring& value, int number) {
    if (value.size() > kMaxValueChars) Problem(number, "the translation is longer than 259 characters");
    if (!f_.index.emplace(FoldKey(key), f_.texts.size()).second) {
      return Problem(number, "\"" + WideToUtf8(key) + "\" is given twice (only the first counts)");
    }
    f_.texts.push_back({key, value, number});
  }

  LanguageFile& f_;
  std::wstring section_;
};

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every text must read back through the program's own reader as the check read it.
void CompareWithProgramReader(LanguageFile& f, const std::filesystem::path& file, Reader& reader) {
  for (const LanguageText& t : f.texts) {
    const auto read = plat::ProfileValue(CString(file.string()), kTextSection, CString(t.key));
    if (!read || read->str() != t.value) reader.Problem(t.line, "the program reads this line differently");
  }
}

}  // namespace

const LanguageText* LanguageFile::Find(const std::wstring& key) const {
  const auto it = index.find(FoldKey(key));
  return it == index.end() ? nullptr : &texts[it->second];
}

std::wstring FoldKey(const std::wstring& key) { return CString(Trim(key)).MakeLower().str(); }

LanguageFile ReadLanguageFile(const std::filesystem::path& file, const std::string& shown) {
  LanguageFile f;
  f.shown = shown;
  f.found = std::filesystem::is_regular_file(file);
  if (!f.found) {
    f.problems.push_back(shown + ": missing");
    return f;
  }
  Reader reader(f);
  std::string bytes = ReadBytes(file);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::wstring text;
  if (!DecodeUtf8(bytes, text)) {
    f.problems.push_back(shown + ": not UTF-8");
    return f;
  }
  int number = 0;
  for (size_t start = 0; start <= text.size(); ++number) {
    const size_t end = std::min(text.find(L'\n', start), text.size());
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    reader.Line(line, number + 1);
    start = end + 1;
  }
  CompareWithProgramReader(f, file, reader);
  return f;
}

}  // namespace langcheck
