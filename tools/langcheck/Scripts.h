// The scripts that the language files are written in, told apart by Unicode ranges.
#pragma once

#include <string>
#include <string_view>

namespace langcheck {

enum class Script { kLatin, kCyrillic, kGreek, kHebrew, kArabic, kThai, kChinese, kJapanese, kKorean };

// Whether the character is a letter of some script; digits, punctuation and symbols are not.
bool IsLetter(char32_t c);
bool HasLetter(std::wstring_view text);
// Whether the letter belongs to the script (Japanese: Han and kana; Korean: Hangul and Han).
bool IsLetterOf(char32_t c, Script script);
// The script of a language of the table by its code; Latin for the codes not named otherwise.
Script ScriptOfLanguage(std::wstring_view code);
const char* ScriptName(Script script);

}  // namespace langcheck
