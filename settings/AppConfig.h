// The keeper of the program's preferences and translations. Preferences live in "Config.ini" in
// the settings folder (settings/AppPaths.h); every write goes to the file at once and reads see
// what the file holds (the profile functions serialise callers, so worker threads may call without
// a lock). A settings file of more than 1 MiB, or a translation file of more than 256 KiB, is not
// read: the defaults stand. The interface language is
// chosen once at start from "Language File" or the user's interface language, and every
// user-visible English text is translated through "Language/<code>.ini".
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/Locale.h"
#include "platform/String.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTable.h"

class CAppConfig {
 public:
  // The folders of this run (app::FindAppFolders).
  CAppConfig();
  CAppConfig(const CAppConfig&) = delete;
  CAppConfig& operator=(const CAppConfig&) = delete;

  // Values of any section. A missing file, section or key, or an empty value, reads as the default
  // (null = empty). Texts read from the file are cut to 259 characters, and a text that reads
  // exactly "None" becomes the code of the system locale's language (see SystemLanguageCode).
  int ReadInt(LPCWSTR section, LPCWSTR key, int defaultValue) const;
  bool WriteInt(LPCWSTR section, LPCWSTR key, int value) const;
  CString ReadString(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue) const;
  bool WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value) const;

  // Section "Config".
  int ReadConfigInt(LPCWSTR key, int defaultValue) const;
  bool WriteConfigInt(LPCWSTR key, int value) const;
  CString ReadConfigString(LPCWSTR key, LPCWSTR defaultValue) const;
  bool WriteConfigString(LPCWSTR key, LPCWSTR value) const;
  // Section "Default" (read only).
  int ReadDefaultInt(LPCWSTR key, int defaultValue) const;
  // The settings presets, section "config<preset>".
  int ReadPresetInt(LPCWSTR key, int preset, int defaultValue) const;
  bool WritePresetInt(LPCWSTR key, int preset, int value) const;
  CString ReadPresetString(LPCWSTR key, int preset, LPCWSTR defaultValue) const;
  bool WritePresetString(LPCWSTR key, int preset, LPCWSTR value) const;

  // Saved at exit, language first: the chosen language becomes the current one and its code is
  // written as "Language File" (always, even unchanged); then the UI mode as "UIMode".
  bool WriteLanguageFile();
  bool WriteUIMode() const;

  // The start-up language choice: "Language File", or the user's interface language when it is
  // empty. A language is used only when its code is in the table and its file exists; otherwise
  // the run stays in English. Marks every row whose file exists; the chosen row becomes the
  // current one.
  void SelectLanguage();
  // The translation of an English text in the current language, or the text itself when the
  // language has no file, the text is empty or the file lacks it. Translations are cut to 259
  // characters.
  CString LoadLanguageString(LPCWSTR text) const;
  // The translation of an English printf format, used only when it has the format's conversions in
  // the same order; otherwise the English format, so that no translation can make a format read
  // its arguments wrongly.
  CString LoadLanguageFormat(LPCWSTR format) const;

  // The code for the user's interface language, "en_US" for every language without one.
  static CString LanguageFromUILanguage();
  static CString LanguageCodeOfId(LANGID id);
  // The system locale's code ("de_DE") when the table has it, else "en_US".
  static CString SystemLanguageCode();
  // The first two characters of each name joined by '_'.
  static CString MakeLocaleCode(LPCWSTR language, LPCWSTR country);
  // The running program's folder with a trailing '/', computed afresh.
  static CString GetModuleDirectory();

  // The program's folder (offset_min.bin), the settings folder (Config.ini, mapdlg.htm) and the
  // folder of the language files, each with a trailing '/'. Tests and tools may point all at one
  // folder (SetAppFolder: the language files in its Language/); a missing trailing '/' is added.
  const CString& GetAppFolder() const { return appFolder_; }
  const CString& GetSettingsFolder() const { return settingsFolder_; }
  const CString& GetLanguageFolder() const { return languageFolder_; }
  void SetAppFolder(const CString& folder);
  void SetFolders(const app::AppFolders& folders);

  UINT GetCurrentLanguage() const { return currentLanguage_; }
  UINT GetChosenLanguage() const { return chosenLanguage_; }
  // Picks the language of the next run; false (and no change) for a row outside the table.
  bool SetChosenLanguage(UINT row);
  bool IsLanguageFileFound(UINT row) const { return row < kLanguageCount && languageFileFound_[row]; }

  // The main window's layout mode 0, 1 or 2.
  int GetUIMode() const { return uiMode_; }
  void SetUIMode(int mode) { uiMode_ = mode; }

 private:
  CString ConfigFile() const;
  CString LanguageFile(UINT row) const;
  static CString PresetSection(int preset);
  void MakeCurrent(UINT row);
  void ReportUnusedLanguage(const CString& named) const;

  CString appFolder_;
  CString settingsFolder_;
  CString languageFolder_;
  std::atomic<UINT> currentLanguage_{0};
  std::atomic<UINT> chosenLanguage_{0};
  std::atomic<int> uiMode_{0};
  std::array<bool, kLanguageCount> languageFileFound_{};
  // Translations already read from the current language's file, which does not change in a run.
  mutable std::mutex translationsLock_;
  mutable std::unordered_map<std::wstring, CString> translations_;
};

extern CAppConfig g_appConfig;

// The translation of an English text, or of an English printf format, through g_appConfig.
CString LoadLanguageString(LPCWSTR text);
CString LoadLanguageFormat(LPCWSTR format);

// For tests: while set, every non-empty text asked of LoadLanguageString, in whatever language, is
// first handed to this function on the calling thread, so that a test can list the keys that the
// windows build. Null (the default) switches it off.
using LanguageTextObserver = void (*)(const CString& text);
void SetLanguageTextObserver(LanguageTextObserver observer);
