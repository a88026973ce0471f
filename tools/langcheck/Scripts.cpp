#include "tools/langcheck/Scripts.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace langcheck {
namespace {

using Ranges = std::initializer_list<std::pair<char32_t, char32_t>>;

bool InRanges(char32_t c, Ranges ranges) {
  return std::any_of(ranges.begin(), ranges.end(), [c](const auto& r) { return c >= r.first && c <= r.second; });
}

constexpr Ranges kLatin = {{U'A', U'Z'},  {U'a', U'z'},   {0xC0, 0xD6},    {0xD8, 0xF6},
                           {0xF8, 0x24F}, {0x300, 0x36F}, {0x1E00, 0x1EFF}};
constexpr Ranges kCyrillic = {{0x400, 0x52F}};
constexpr Ranges kGreek = {{0x370, 0x3FF}, {0x1F00, 0x1FFF}};
constexpr Ranges kHebrew = {{0x590, 0x5FF}, {0xFB1D, 0xFB4F}};
constexpr Ranges kArabic = {{0x600, 0x6FF}, {0x750, 0x77F}, {0x8A0, 0x8FF}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFF}};
constexpr Ranges kThai = {{0xE00, 0xE7F}};
constexpr Ranges kHan = {{0x2E80, 0x2FDF}, {0x3005, 0x3007}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}};
constexpr Ranges kKana = {{0x3040, 0x30FF}, {0x31F0, 0x31FF}, {0xFF66, 0xFF9F}};
constexpr Ranges kHangul = {{0x1100, 0x11FF}, {0x3130, 0x318F}, {0xAC00, 0xD7AF}};
// Punctuation, symbols and full-width forms that every script shares.
constexpr Ranges kNeutral = {{0x80, 0xBF},     {0xD7, 0xD7},     {0xF7, 0xF7},     {0x2000, 0x2BFF},
                             {0x2E00, 0x2E7F}, {0x3000, 0x3004}, {0x3008, 0x303F}, {0xFE10, 0xFE1F},
                             {0xFE30, 0xFE4F}, {0xFF00, 0xFF65}, {0xFFF0, 0xFFFF}};

}  // namespace

bool IsLetter(char32_t c) {
  if (c < 0x80) return InRanges(c, kLatin);
  return !InRanges(c, kNeutral);
}

bool HasLetter(std::wstring_view text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return IsLetter(static_cast<char32_t>(c)); });
}

bool IsLetterOf(char32_t c, Script script) {
  switch (script) {
    case Script::kLatin: return InRanges(c, kLatin);
    case Script::kCyrillic: return InRanges(c, kCyrillic);
    case Script::kGreek: return InRanges(c, kGreek);
    case Script::kHebrew: return InRanges(c, kHebrew);
    case Script::kArabic: return InRanges(c, kArabic);
    case Script::kThai: return InRanges(c, kThai);
    case Script::kChinese: return InRanges(c, kHan);
    case Script::kJapanese: return InRanges(c, kHan) || InRanges(c, kKana);
    case Script::kKorean: return InRanges(c, kHangul) || InRanges(c, kHan);
  }
  return false;
}

Script ScriptOfLanguage(std::wstring_view code) {
  static constexpr std::pair<std::wstring_view, Script> kScripts[] = {
      {L"ru_RU", Script::kCyrillic}, {L"bg_BG", Script::kCyrillic}, {L"ua_UA", Script::kCyrillic},
      {L"el_GR", Script::kGreek},    {L"he_IL", Script::kHebrew},   {L"ar_AE", Script::kArabic},
      {L"th_TH", Script::kThai},     {L"zh_CN", Script::kChinese},  {L"zh_TW", Script::kChinese},
      {L"jp_JP", Script::kJapanese}, {L"ko_KR", Script::kKorean},
  };
  for (const auto& [c, script] : kScripts) {
    if (c == code) return script;
  }
  return Script::kLatin;
}

const char* ScriptName(Script script) {
  switch (script) {
    case Script::kLatin: return "Latin";
    case Script::kCyrillic: return "Cyrillic";
    case Script::kGreek: return "Greek";
    case Script::kHebrew: return "Hebrew";
    case Script::kArabic: return "Arabic";
    case Script::kThai: return "Thai";
    case Script::kChinese: return "Chinese";
    case Script::kJapanese: return "Japanese";
    case Script::kKorean: return "Korean";
  }
  return "";
}

}  // namespace langcheck
