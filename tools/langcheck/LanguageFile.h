// A language file read strictly, the way the check needs it: the texts of section
// "Language String" with their lines, the keys that section "Same As English" marks as rightly
// equal to English, and everything the program's own reader would pass over without a word
// (bytes that are not UTF-8, lines that are no key, keys given twice, texts too long, unknown
// sections).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace langcheck {

constexpr wchar_t kTextSection[] = L"Language String";
constexpr wchar_t kSameSection[] = L"Same As English";

struct LanguageText {
  std::wstring key;  // trimmed, as the program matches it
  std::wstring value;
  int line;
};

struct LanguageFile {
  std::string shown;  // the path in messages
  bool found = false;
  std::vector<LanguageText> texts;
  std::map<std::wstring, size_t> index;                // folded key -> texts[]
  std::map<std::wstring, std::wstring> sameAsEnglish;  // folded key -> key as written
  std::vector<std::string> problems;

  const LanguageText* Find(const std::wstring& key) const;
};

// Keys compare as the program's reader compares them: trimmed of blanks, letter case ignored.
std::wstring FoldKey(const std::wstring& key);

LanguageFile ReadLanguageFile(const std::filesystem::path& file, const std::string& shown);

}  // namespace langcheck
