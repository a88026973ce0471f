#include "platform/Locale.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

struct KnownLanguage {
  const wchar_t* language;
  const wchar_t* country;
  LANGID id;
};

// The main country of a language comes first: it is the one a bare language name takes.
constexpr KnownLanguage kKnownLanguages[] = {
    {L"zh", L"CN", 2052}, {L"zh", L"TW", 1028}, {L"cs", L"CZ", 1029}, {L"el", L"GR", 1032},
    {L"es", L"ES", 3082}, {L"es", L"CR", 5130}, {L"hu", L"HU", 1038}, {L"it", L"IT", 1040},
    {L"ja", L"JP", 1041}, {L"ru", L"RU", 1049}, {L"th", L"TH", 1054}, {L"lt", L"LT", 1063},
    {L"en", L"US", kLangIdEnglishUs},
};

// The first set, non-empty variable of the list.
std::string_view FirstSet(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return {};
}

}  // namespace

namespace plat {

LocaleName ParseLocaleName(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return {CString(L"en"), CString(L"US")};
  const size_t underscore = name.find('_');
  if (underscore == std::string_view::npos) return {CString::FromUtf8(name), CString()};
  return {CString::FromUtf8(name.substr(0, underscore)), CString::FromUtf8(name.substr(underscore + 1))};
}

LocaleName UILocale() {
  std::string_view languages = FirstSet({"LANGUAGE"});
  while (!languages.empty() && languages.front() == ':') languages.remove_prefix(1);
  if (!languages.empty()) return ParseLocaleName(languages.substr(0, languages.find(':')));
  return ParseLocaleName(FirstSet({"LC_ALL", "LC_MESSAGES", "LANG"}));
}

LocaleName SystemLocale() { return ParseLocaleName(FirstSet({"LC_ALL", "LANG"})); }

LANGID LanguageIdOf(const LocaleName& locale) {
  for (const KnownLanguage& known : kKnownLanguages) {
    if (locale.language != known.language) continue;
    if (locale.country.IsEmpty() || locale.country == known.country) return known.id;
  }
  return kLangIdEnglishUs;
}

}  // namespace plat

LANGID GetUserDefaultUILanguage() { return plat::LanguageIdOf(plat::UILocale()); }
