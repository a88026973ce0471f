// An application folder for g_appConfig whose Language/ is the copy of the program's language
// files that the build puts beside this test, with one language chosen for the run. Going out of
// scope puts g_appConfig back into English.
#pragma once

#include <filesystem>
#include <string>

#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"

class LanguageFolder {
 public:
  explicit LanguageFolder(const wchar_t* code) : dir_("i18n") {
    std::filesystem::create_directory_symlink(PLAYER_LANGUAGE_COPY, dir_.File("Language"));
    g_appConfig.SetAppFolder(CString(dir_.Path()));
    g_appConfig.WriteConfigString(L"Language File", code);
    g_appConfig.SelectLanguage();
  }
  LanguageFolder(const LanguageFolder&) = delete;
  LanguageFolder& operator=(const LanguageFolder&) = delete;
  ~LanguageFolder() {
    g_appConfig.SetChosenLanguage(0);
    g_appConfig.WriteLanguageFile();
  }

  const fixtures::ScratchDir& Dir() const { return dir_; }

 private:
  fixtures::ScratchDir dir_;
};
