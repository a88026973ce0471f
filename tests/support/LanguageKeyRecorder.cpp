#include "tests/support/LanguageKeyRecorder.h"

#include <algorithm>
#include <cwctype>
#include <mutex>

#include "platform/Profile.h"
#include "settings/AppConfig.h"

namespace {

std::mutex& KeysLock() {
  static std::mutex lock;
  return lock;
}

std::set<std::wstring>& RecordedKeys() {
  static std::set<std::wstring> keys;
  return keys;
}

void Record(const CString& text) {
  std::lock_guard lock(KeysLock());
  RecordedKeys().insert(text.str());
}

bool HasLetter(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 0x7F || std::iswalpha(c); });
}

}  // namespace

LanguageKeyRecorder::LanguageKeyRecorder() {
  std::lock_guard lock(KeysLock());
  RecordedKeys().clear();
  SetLanguageTextObserver(&Record);
}

LanguageKeyRecorder::~LanguageKeyRecorder() { SetLanguageTextObserver(nullptr); }

std::set<std::wstring> LanguageKeyRecorder::Keys() const {
  std::lock_guard lock(KeysLock());
  return RecordedKeys();
}

std::vector<std::wstring> LanguageKeyRecorder::MissingFromEnglishFile() const {
  const CString english(PLAYER_ENGLISH_LANGUAGE_FILE);
  std::vector<std::wstring> missing;
  for (const std::wstring& key : Keys()) {
    if (HasLetter(key) && !plat::ProfileValue(english, L"Language String", CString(key))) missing.push_back(key);
  }
  return missing;
}
