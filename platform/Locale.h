// The user's interface language and the system locale. On Linux both come from the environment,
// read the way the C library's message catalogues read it.
#pragma once

#include <string_view>

#include "platform/String.h"
#include "platform/Types.h"

using LANGID = WORD;

constexpr LANGID kLangIdEnglishUs = 1033;

namespace plat {

// A locale name split into its ISO 639 language and ISO 3166 country ("de_DE.UTF-8@euro" gives
// "de" and "DE"). The country is empty when the name has none; "C", "POSIX" and an empty name are
// US English.
struct LocaleName {
  CString language;
  CString country;
};
LocaleName ParseLocaleName(std::string_view name);

// The locale of interface texts: the first entry of LANGUAGE, else LC_ALL, LC_MESSAGES, LANG.
LocaleName UILocale();
// The locale of the session: LC_ALL, else LANG.
LocaleName SystemLocale();

// The Windows language id of a locale, for the languages that have an id of their own in the
// program; a language without a country takes its main country. Every other locale reads as US
// English, which the program treats the same way.
LANGID LanguageIdOf(const LocaleName& locale);

}  // namespace plat

// The language id of the user's interface language.
LANGID GetUserDefaultUILanguage();
