#include <string>

#include "platform/Profile.h"
#include "settings/LanguageTable.h"
#include "tests/settings/AppFolderTest.h"

namespace {

using LanguageTest = AppFolderTest;

UINT RowOf(const wchar_t* code) { return FindLanguageRow(code).value(); }

struct IdCase {
  LANGID id;
  const wchar_t* code;
};

}  // namespace

TEST_F(LanguageTest, InterfaceLanguageIdsMapToTheProgramsCodes) {
  const IdCase cases[] = {
      {1028, L"zh_TW"}, {1029, L"cz_CZ"}, {1032, L"el_GR"}, {1034, L"es_ES"}, {3082, L"es_ES"},
      {5130, L"es_ES"}, {1038, L"hu_HU"}, {1040, L"it_IT"}, {1041, L"jp_JP"}, {1049, L"ru_RU"},
      {1054, L"th_TH"}, {1063, L"lt_LT"}, {2052, L"zh_CN"}, {1033, L"en_US"}, {1031, L"en_US"},
      {2058, L"en_US"}, {0, L"en_US"},
  };
  for (const IdCase& c : cases) EXPECT_EQ(CAppConfig::LanguageCodeOfId(c.id), c.code) << c.id;

  SetEnv("LANGUAGE", "ja");
  EXPECT_EQ(CAppConfig::LanguageFromUILanguage(), L"jp_JP");
}

TEST_F(LanguageTest, WithoutConfigOrLanguageFilesTheRunIsEnglishAndExitSavesBothKeys) {
  SetEnv("LANG", "ru_RU.UTF-8");  // Russian wanted, but there is no Russian file
  config_.SelectLanguage();
  EXPECT_EQ(config_.GetCurrentLanguage(), 0u);
  EXPECT_EQ(config_.GetChosenLanguage(), 0u);
  for (UINT row = 0; row < kLanguageCount; ++row) EXPECT_FALSE(config_.IsLanguageFileFound(row)) << row;
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Play");

  config_.SetUIMode(2);
  EXPECT_TRUE(config_.WriteLanguageFile());
  EXPECT_TRUE(config_.WriteUIMode());
  EXPECT_EQ(ReadFile("Config.ini"), "[Config]\r\nLanguage File=en_US\r\nUIMode=2\r\n");
}

TEST_F(LanguageTest, NoneFollowsTheSystemLocaleForOneRun) {
  SetEnv("LC_ALL", "de_DE.UTF-8");
  WriteFile("Config.ini", "[Config]\r\nLanguage File=None\r\nUIMode=1\r\n");
  WriteFile("Language/de_DE.ini", "[Language String]\r\nPlay=Wiedergabe\r\n");

  config_.SelectLanguage();
  EXPECT_EQ(config_.GetCurrentLanguage(), RowOf(L"de_DE"));
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Wiedergabe");
  EXPECT_TRUE(config_.WriteLanguageFile());
  EXPECT_EQ(config_.ReadConfigString(L"Language File", nullptr), L"de_DE");

  // Without the German file the run is English and English is saved.
  std::filesystem::remove(dir_ / "Language/de_DE.ini");
  WriteFile("Config.ini", "[Config]\r\nLanguage File=None\r\n");
  CAppConfig english;
  english.SetAppFolder(config_.GetAppFolder());
  english.SelectLanguage();
  EXPECT_EQ(english.GetCurrentLanguage(), 0u);
  EXPECT_TRUE(english.WriteLanguageFile());
  EXPECT_EQ(english.ReadConfigString(L"Language File", nullptr), L"en_US");
}

TEST_F(LanguageTest, OnlyExactCodesWithFilesAreUsed) {
  SetEnv("LC_ALL", "de_DE.UTF-8");
  WriteFile("Language/de_DE.ini", "[Language String]\r\nPlay=Wiedergabe\r\n");
  WriteFile("Language/RU_RU.ini", "[Language String]\r\nPlay=x\r\n");
  WriteFile("Language/ru_RU.INI", "[Language String]\r\nPlay=x\r\n");
  WriteFile("Language/xx_XX.ini", "[Language String]\r\nPlay=x\r\n");
  WriteFile("Language/zh_TW.ini", "[Language String]\r\n");
  WriteFile("Language/en_US.ini", "[Language String]\r\n");
  WriteFile("Language/th_TH.txt", "");
  std::filesystem::create_directories(dir_ / "Language/it_IT.ini");

  // A language named but not used is said on the error output; nothing is said otherwise.
  const std::string languages = (dir_ / "Language").string() + "/";
  const struct {
    const char* setting;
    UINT row;
    std::string said;
  } cases[] = {
      {"Language File=none", 0, "\"Language File\" none in "},  // lower case is not "None"
      {"Language File=ru_RU", 0, "has no language file " + languages + "ru_RU.ini"},  // only RU_RU or .INI files
      {"Language File=xx_XX", 0, "xx_XX in " + (dir_ / "Config.ini").string() + " is not one of this program's languages;"},
      {"Language File=ja_JP", 0, "is not one of this program's languages (the nearest: jp_JP); the run is in English"},
      {"Language File=it_IT", 0, "has no language file " + languages + "it_IT.ini"},  // a folder, not a file
      {"Language File=th_TH", 0, "has no language file"},
      {"Language File=en_US", 0, ""},
      {"Language File= zh_TW ", RowOf(L"zh_TW"), ""},
      {"Language File=de_DE", RowOf(L"de_DE"), ""},
      {"Language File=None", RowOf(L"de_DE"), ""},
  };
  for (const auto& c : cases) {
    WriteFile("Config.ini", std::string("[Config]\r\n") + c.setting + "\r\n");
    CAppConfig config;
    config.SetAppFolder(config_.GetAppFolder());
    testing::internal::CaptureStderr();
    config.SelectLanguage();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.empty(), c.said.empty()) << c.setting << ": " << said;
    EXPECT_NE(said.find(c.said), std::string::npos) << c.setting << ": " << said;
    EXPECT_EQ(config.GetCurrentLanguage(), c.row) << c.setting;
    EXPECT_EQ(config.GetChosenLanguage(), c.row) << c.setting;
    for (UINT row = 0; row < kLanguageCount; ++row) {
      const bool found = row == 0 || row == RowOf(L"de_DE") || row == RowOf(L"zh_TW");
      EXPECT_EQ(config.IsLanguageFileFound(row), found) << c.setting << " row " << row;
    }
    EXPECT_TRUE(config.WriteLanguageFile());
    EXPECT_EQ(config.ReadConfigString(L"Language File", nullptr), LanguageTable[c.row].code) << c.setting;
  }
}

TEST_F(LanguageTest, EmptySettingFollowsTheInterfaceLanguage) {
  SetEnv("LANGUAGE", "ru");
  SetEnv("LC_ALL", "de_DE.UTF-8");
  WriteFile("Config.ini", "[Config]\r\nLanguage File=\r\n");
  WriteFile("Language/de_DE.ini", "[Language String]\r\n");
  WriteFile("Language/ru_RU.ini", Utf16File(L"[Language String]\r\nPlay=\u0418\u0433\u0440\u0430\u0442\u044C\r\n"));
  config_.SelectLanguage();
  EXPECT_EQ(config_.GetCurrentLanguage(), RowOf(L"ru_RU"));
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"\u0418\u0433\u0440\u0430\u0442\u044C");
}

TEST_F(LanguageTest, TranslatesThroughFilesOfEveryEncoding) {
  const std::wstring longTranslation(300, L'\u00FC');
  const std::wstring longEnglish(300, L'e');
  const std::wstring text = L"; Deutsch\r\n[language string]\r\n"
                            L"Play=Wiedergabe\r\n"
                            L"  Stop  = 'Anhalten' \r\n"
                            L"Open file=\"\u00D6ffnen\"\r\n"
                            L"Blank=\r\n"
                            L"Long=" + longTranslation + L"\r\n"
                            L"[Provinces]\r\nPause=Provinz\r\n";
  for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"UTF-8", WideToUtf8(text)},
                                    {"UTF-8 with BOM", Utf8BomFile(text)},
                                    {"UTF-16LE", Utf16File(text)}}) {
    WriteFile("Language/de_DE.ini", bytes);
    WriteFile("Config.ini", "[Config]\r\nLanguage File=de_DE\r\n");
    CAppConfig config;
    config.SetAppFolder(config_.GetAppFolder());
    config.SelectLanguage();
    ASSERT_EQ(config.GetCurrentLanguage(), RowOf(L"de_DE")) << name;
    EXPECT_EQ(config.LoadLanguageString(L"Play"), L"Wiedergabe") << name;
    EXPECT_EQ(config.LoadLanguageString(L"play"), L"Wiedergabe") << name;
    EXPECT_EQ(config.LoadLanguageString(L"Stop"), L"Anhalten") << name;
    EXPECT_EQ(config.LoadLanguageString(L"Open file"), L"\u00D6ffnen") << name;
    EXPECT_EQ(config.LoadLanguageString(L"Blank"), L"") << name;
    EXPECT_EQ(config.LoadLanguageString(L"Long"), CString(longTranslation.substr(0, 259))) << name;
    EXPECT_EQ(config.LoadLanguageString(L"Pause"), L"Pause") << name;  // only in another section
    EXPECT_EQ(config.LoadLanguageString(longEnglish.c_str()), CString(longEnglish)) << name;
    EXPECT_EQ(config.LoadLanguageString(L""), L"") << name;
    EXPECT_EQ(config.LoadLanguageString(nullptr), L"") << name;
  }
}

TEST_F(LanguageTest, ALanguageChosenDuringTheRunIsSavedAndTakesOverAtExit) {
  WriteFile("Config.ini", "[Config]\r\nLanguage File=de_DE\r\n");
  WriteFile("Language/de_DE.ini", "[Language String]\r\nPlay=Wiedergabe\r\n");
  WriteFile("Language/fr_FR.ini", "[Language String]\r\nPlay=Lecture\r\n");
  config_.SelectLanguage();
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Wiedergabe");

  EXPECT_FALSE(config_.SetChosenLanguage(kLanguageCount));
  EXPECT_EQ(config_.GetChosenLanguage(), RowOf(L"de_DE"));
  EXPECT_TRUE(config_.SetChosenLanguage(RowOf(L"fr_FR")));
  EXPECT_EQ(config_.GetCurrentLanguage(), RowOf(L"de_DE"));  // the run stays German
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Wiedergabe");

  config_.SetUIMode(1);
  EXPECT_TRUE(config_.WriteLanguageFile());
  EXPECT_TRUE(config_.WriteUIMode());
  EXPECT_EQ(config_.GetCurrentLanguage(), RowOf(L"fr_FR"));
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Lecture");
  EXPECT_EQ(ReadFile("Config.ini"), "[Config]\r\nLanguage File=fr_FR\r\nUIMode=1\r\n");

  // The next run starts in the saved language.
  CAppConfig next;
  next.SetAppFolder(config_.GetAppFolder());
  next.SelectLanguage();
  EXPECT_EQ(next.GetCurrentLanguage(), RowOf(L"fr_FR"));
}

TEST_F(LanguageTest, TheGlobalTranslatesForTheWholeProgram) {
  WriteFile("Config.ini", "[Config]\r\nLanguage File=it_IT\r\n");
  WriteFile("Language/it_IT.ini", "[Language String]\r\nStop=Ferma\r\n");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(config_.GetAppFolder());
  g_appConfig.SelectLanguage();
  EXPECT_EQ(LoadLanguageString(L"Stop"), L"Ferma");
  EXPECT_EQ(LoadLanguageString(L"Play"), L"Play");
  g_appConfig.SetAppFolder(programFolder);
}

TEST_F(LanguageTest, TheShippedEnglishFileLiesBesideTheProgram) {
  CAppConfig program;
  EXPECT_EQ(program.GetAppFolder(), CAppConfig::GetModuleDirectory());
  ASSERT_FALSE(program.GetAppFolder().IsEmpty());
  EXPECT_EQ(program.GetAppFolder()[program.GetAppFolder().GetLength() - 1], L'/');
  const CString english = program.GetAppFolder() + L"Language/en_US.ini";
  const auto sections = plat::ProfileSections(english);
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0], L"Language String");

  SetEnv("LANG", "en_US.UTF-8");
  program.SelectLanguage();
  EXPECT_TRUE(program.IsLanguageFileFound(0));
  EXPECT_EQ(program.GetCurrentLanguage(), 0u);
  EXPECT_EQ(program.LoadLanguageString(L"Play"), L"Play");
}

// A translated format is used only with the conversions of its English text, in order; the other
// texts of the file stand as translated.
TEST_F(LanguageTest, ATranslatedFormatWithOtherConversionsGivesWayToTheEnglishFormat) {
  WriteFile("Config.ini", "[Config]\r\nLanguage File=de_DE\r\n");
  WriteFile("Language/de_DE.ini",
            "[Language String]\r\nChannel-%.2d %dx%d=Kanal-%s %s %s\r\nPlay=Wiedergabe\r\n"
            "Speed %d=Tempo %1$s\r\nStep %d of %d=Schritt %d von %d\r\n");
  config_.SelectLanguage();
  EXPECT_EQ(config_.LoadLanguageFormat(L"Channel-%.2d %dx%d"), L"Channel-%.2d %dx%d");
  EXPECT_EQ(config_.LoadLanguageFormat(L"Speed %d"), L"Speed %d");
  EXPECT_EQ(config_.LoadLanguageFormat(L"Step %d of %d"), L"Schritt %d von %d");
  EXPECT_EQ(config_.LoadLanguageFormat(L"Play"), L"Wiedergabe");
}
