#include "settings/AppConfig.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/File.h"
#include "platform/Profile.h"

namespace {

// Texts are read as into a buffer of 260 characters.
constexpr int kMaxTextChars = 259;
// Far larger than any real file: the settings hold a few hundred keys (some kilobytes), the
// largest translation a few hundred texts (under 10 KB). A larger file is not read.
constexpr std::uint64_t kMaxConfigBytes = 1 << 20;
constexpr std::uint64_t kMaxLanguageFileBytes = 256 << 10;
// Translations are keyed by fixed English texts; the bound only guards against a caller that
// passes ever new texts.
constexpr size_t kMaxCachedTranslations = 4096;

constexpr wchar_t kConfigSection[] = L"Config";
constexpr wchar_t kLanguageSection[] = L"Language String";
constexpr wchar_t kLanguageFileKey[] = L"Language File";
constexpr wchar_t kEnglishCode[] = L"en_US";

// The table row whose file this is: the name is the row's code followed by ".ini", letter case
// counting.
std::optional<UINT> LanguageRowOfFile(const CString& fileName) {
  const std::wstring& name = fileName.str();
  constexpr std::wstring_view kSuffix = L".ini";
  if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) return std::nullopt;
  return FindLanguageRow(std::wstring_view(name).substr(0, name.size() - kSuffix.size()));
}

std::atomic<LanguageTextObserver> g_languageTextObserver{nullptr};

// The table's codes that share the language or the country part with the code ("jp_JP" for
// "ja_JP"), letter case aside.
std::string NearestCodes(const CString& code) {
  const int bar = code.Find(L'_');
  if (bar <= 0) return {};
  const CString language = code.Left(bar), country = code.Mid(bar + 1);
  std::string nearest;
  for (const LanguageRow& row : LanguageTable) {
    const CString candidate(row.code);
    const int at = candidate.Find(L'_');
    if (candidate.Left(at).CompareNoCase(language) == 0 || candidate.Mid(at + 1).CompareNoCase(country) == 0) {
      nearest += (nearest.empty() ? "" : ", ") + candidate.ToUtf8();
    }
  }
  return nearest;
}

}  // namespace

CAppConfig g_appConfig;

CString LoadLanguageString(LPCWSTR text) { return g_appConfig.LoadLanguageString(text); }

CString LoadLanguageFormat(LPCWSTR format) { return g_appConfig.LoadLanguageFormat(format); }

void SetLanguageTextObserver(LanguageTextObserver observer) { g_languageTextObserver = observer; }

namespace {

CString WithSlash(const CString& folder) {
  return folder.IsEmpty() || folder[folder.GetLength() - 1] != L'/' ? folder + L'/' : folder;
}

}  // namespace

CAppConfig::CAppConfig() { SetFolders(app::FindAppFolders()); }

void CAppConfig::SetAppFolder(const CString& folder) { SetFolders({folder, folder, WithSlash(folder) + L"Language/"}); }

void CAppConfig::SetFolders(const app::AppFolders& folders) {
  appFolder_ = WithSlash(folders.program);
  settingsFolder_ = WithSlash(folders.settings);
  languageFolder_ = WithSlash(folders.languages);
  plat::SetProfileSizeLimit(ConfigFile(), kMaxConfigBytes);
  for (UINT row = 0; row < kLanguageCount; ++row) plat::SetProfileSizeLimit(LanguageFile(row), kMaxLanguageFileBytes);
}

CString CAppConfig::ConfigFile() const { return settingsFolder_ + L"Config.ini"; }

CString CAppConfig::LanguageFile(UINT row) const {
  return languageFolder_ + LanguageTable[row].code + L".ini";
}

CString CAppConfig::PresetSection(int preset) {
  CString section;
  section.Format(L"config%d", preset);
  return section;
}

int CAppConfig::ReadInt(LPCWSTR section, LPCWSTR key, int defaultValue) const {
  return plat::ProfileInt(ConfigFile(), section, key, defaultValue);
}

bool CAppConfig::WriteInt(LPCWSTR section, LPCWSTR key, int value) const {
  return plat::WriteProfileInt(ConfigFile(), section, key, value);
}

CString CAppConfig::ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue) const {
  const CString fallback(defaultValue);
  const std::optional<CString> stored = plat::ProfileValue(ConfigFile(), section, key);
  // A missing key reads as the default, which is never cut (a default path may be long).
  const CString value = stored ? stored->Left(kMaxTextChars) : fallback;
  if (value == L"None") return SystemLanguageCode();
  return value.IsEmpty() ? fallback : value;
}

bool CAppConfig::WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) const {
  return plat::WriteProfileString(ConfigFile(), section, key, value);
}

int CAppConfig::ReadConfigInt(LPCWSTR key, int defaultValue) const { return ReadInt(kConfigSection, key, defaultValue); }

bool CAppConfig::WriteConfigInt(LPCWSTR key, int value) const { return WriteInt(kConfigSection, key, value); }

CString CAppConfig::ReadConfigString(LPCWSTR key, LPCWSTR defaultValue) const {
  return ReadString(kConfigSection, key, defaultValue);
}

bool CAppConfig::WriteConfigString(LPCWSTR key, LPCWSTR value) const { return WriteString(kConfigSection, key, value); }

int CAppConfig::ReadDefaultInt(LPCWSTR key, int defaultValue) const { return ReadInt(L"Default", key, defaultValue); }

int CAppConfig::ReadPresetInt(LPCWSTR key, int preset, int defaultValue) const {
  return ReadInt(PresetSection(preset), key, defaultValue);
}

bool CAppConfig::WritePresetInt(LPCWSTR key, int preset, int value) const {
  return WriteInt(PresetSection(preset), key, value);
}

CString CAppConfig::ReadPresetString(LPCWSTR key, int preset, LPCWSTR defaultValue) const {
  return ReadString(PresetSection(preset), key, defaultValue);
}

bool CAppConfig::WritePresetString(LPCWSTR key, int preset, LPCWSTR value) const {
  return WriteString(PresetSection(preset), key, value);
}

bool CAppConfig::WriteLanguageFile() {
  if (chosenLanguage_ != currentLanguage_) MakeCurrent(chosenLanguage_);
  return WriteConfigString(kLanguageFileKey, LanguageTable[currentLanguage_].code);
}

bool CAppConfig::WriteUIMode() const { return WriteConfigInt(L"UIMode", uiMode_); }

bool CAppConfig::SetChosenLanguage(UINT row) {
  if (row >= kLanguageCount) return false;
  chosenLanguage_ = row;
  return true;
}

void CAppConfig::MakeCurrent(UINT row) {
  std::lock_guard lock(translationsLock_);
  translations_.clear();
  currentLanguage_ = row;
}

void CAppConfig::SelectLanguage() {
  CString lang = ReadConfigString(kLanguageFileKey, nullptr);
  if (lang.IsEmpty()) lang = LanguageFromUILanguage();
  UINT current = std::min<UINT>(currentLanguage_, kLanguageCount - 1);
  for (const std::string& name : plat::ListFiles(languageFolder_.ToUtf8(), ".ini")) {
    const std::optional<UINT> row = LanguageRowOfFile(CString(name));
    if (!row) continue;
    languageFileFound_[*row] = true;
    if (current == 0 && lang == LanguageTable[*row].code) current = *row;
  }
  MakeCurrent(current);
  chosenLanguage_ = current;
  ReportUnusedLanguage(lang);
}

// A language that the settings name (not "None", nor left to the system) and that the run is not
// in is said on the error output: a misspelt code would otherwise go unnoticed, the run in English.
void CAppConfig::ReportUnusedLanguage(const CString& named) const {
  const std::optional<CString> stored = plat::ProfileValue(ConfigFile(), kConfigSection, kLanguageFileKey);
  if (!stored || stored->IsEmpty() || *stored == L"None" || named == LanguageTable[currentLanguage_].code) return;
  std::string why;
  if (!FindLanguageRow(named.str())) {
    const std::string nearest = NearestCodes(named);
    why = "is not one of this program's languages" + (nearest.empty() ? "" : " (the nearest: " + nearest + ")");
  } else {
    why = "has no language file " + (languageFolder_ + named + L".ini").ToUtf8();
  }
  std::fprintf(stderr, "%s: \"Language File\" %s in %s %s; the run is in English\n", program_invocation_short_name,
               named.ToUtf8().c_str(), ConfigFile().ToUtf8().c_str(), why.c_str());
}

CString CAppConfig::LoadLanguageString(LPCWSTR text) const {
  const CString english(text);
  const LanguageTextObserver observer = g_languageTextObserver.load(std::memory_order_relaxed);
  if (observer && !english.IsEmpty()) observer(english);
  const UINT row = currentLanguage_;
  if (english.IsEmpty() || !languageFileFound_[row]) return english;
  std::lock_guard lock(translationsLock_);
  if (const auto known = translations_.find(english.str()); known != translations_.end()) return known->second;
  const std::optional<CString> stored = plat::ProfileValue(LanguageFile(row), kLanguageSection, english);
  const CString translated = stored ? stored->Left(kMaxTextChars) : english;
  if (translations_.size() < kMaxCachedTranslations) translations_.emplace(english.str(), translated);
  return translated;
}

CString CAppConfig::LoadLanguageFormat(LPCWSTR format) const {
  const CString english(format);
  const CString translated = LoadLanguageString(format);
  return FormatConversions(translated.str()) == FormatConversions(english.str()) ? translated : english;
}

CString CAppConfig::LanguageFromUILanguage() { return LanguageCodeOfId(GetUserDefaultUILanguage()); }

CString CAppConfig::LanguageCodeOfId(LANGID id) {
  switch (id) {
    case 1028: return L"zh_TW";
    case 1029: return L"cz_CZ";
    case 1032: return L"el_GR";
    case 1034:
    case 3082:
    case 5130: return L"es_ES";
    case 1038: return L"hu_HU";
    case 1040: return L"it_IT";
    case 1041: return L"jp_JP";
    case 1049: return L"ru_RU";
    case 1054: return L"th_TH";
    case 1063: return L"lt_LT";
    case 2052: return L"zh_CN";
    default: return kEnglishCode;
  }
}

CString CAppConfig::SystemLanguageCode() {
  const plat::LocaleName locale = plat::SystemLocale();
  const CString code = MakeLocaleCode(locale.language, locale.country);
  return FindLanguageRow(code.str()) ? code : CString(kEnglishCode);
}

CString CAppConfig::MakeLocaleCode(LPCWSTR language, LPCWSTR country) {
  return CString(language).Left(2) + L"_" + CString(country).Left(2);
}

CString CAppConfig::GetModuleDirectory() { return CString(plat::ExecutableDir()); }
