// The languages of the user interface. A row's code is also the base name of its language file in
// the program's "Language/" folder; the codes are the program's own and not all are ISO forms
// ("cz_CZ", "jp_JP", "ua_UA"), so file names must match them exactly.
#pragma once

#include <optional>
#include <string_view>

#include "platform/Types.h"

struct LanguageRow {
  DWORD id;                    // row index + 1
  const char* englishName;
  const wchar_t* code;
  const wchar_t* description;  // in English
  const wchar_t* nativeName;   // what the language list shows
};

constexpr UINT kLanguageCount = 41;
extern const LanguageRow LanguageTable[kLanguageCount];

// The index of the first row with this code (letter case counts).
std::optional<UINT> FindLanguageRow(std::wstring_view code);
