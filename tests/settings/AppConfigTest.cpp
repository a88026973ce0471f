#include <string>

#include "tests/settings/AppFolderTest.h"

namespace {

using ConfigTest = AppFolderTest;

// One key of every section and form of Config.ini, read with the default its readers pass.
void ExpectDefaults(const CAppConfig& c, const char* state) {
  SCOPED_TRACE(state);
  EXPECT_EQ(c.ReadConfigInt(L"GPS_Offset_Auto", 1), 1);
  EXPECT_EQ(c.ReadConfigInt(L"ShowEDR_Left", -190), -190);
  EXPECT_EQ(c.ReadConfigInt(L"TimeZoneEx", -1), -1);
  EXPECT_EQ(c.ReadConfigInt(L"UIMode", 0), 0);
  EXPECT_EQ(c.ReadInt(L"Channel-01", L"EnableAudio", 1), 1);
  EXPECT_EQ(c.ReadInt(L"Channel-02", L"EnableAudio", 0), 0);
  EXPECT_EQ(c.ReadInt(L"Camera-2", L"5", 255), 255);
  EXPECT_EQ(c.ReadDefaultInt(L"CarMode_DfSet", 2), 2);
  EXPECT_EQ(c.ReadInt(L"3G_Default", L"ServerPort", 13579), 13579);
  EXPECT_EQ(c.ReadPresetInt(L"wifi_UseStaticIP", 2, 1), 1);
  EXPECT_EQ(c.ReadConfigString(L"Language File", nullptr), L"");
  EXPECT_EQ(c.ReadConfigString(L"ShowEDR_FontName", L"Arial"), L"Arial");
  EXPECT_EQ(c.ReadConfigString(L"SnapshotPath", c.GetAppFolder() + L"Snapshot/"), c.GetAppFolder() + L"Snapshot/");
  EXPECT_EQ(c.ReadString(L"3G_Default", L"UserName", nullptr), L"");
  EXPECT_EQ(c.ReadPresetString(L"CarNotes", 2, L"current notes"), L"current notes");
}

}  // namespace

TEST_F(ConfigTest, MissingFileSectionsKeysAndEmptyValuesReadAsTheDefaults) {
  ExpectDefaults(config_, "without Config.ini");

  // The same keys in other sections must not be found, and empty values read as the defaults.
  WriteFile("Config.ini",
            "[Default]\r\nUIMode=2\r\nShowEDR_FontName=Courier\r\nServerPort=1\r\n"
            "[Config]\r\nCarMode_DfSet=7\r\nwifi_UseStaticIP=0\r\nEnableAudio=0\r\nGPS_Offset_Auto=\r\n"
            "TimeZoneEx=\r\nShowEDR_FontName=\r\nSnapshotPath=  \r\nLanguage File=\"\"\r\nCarNotes=x\r\n"
            "[Channel-1]\r\nEnableAudio=0\r\n[Channel-02 ]\r\n"
            "[config3]\r\nwifi_UseStaticIP=0\r\nCarNotes=other preset\r\n"
            "[Camera-1]\r\n5=3\r\n[3G_Default]\r\nUserName=\r\n");
  ExpectDefaults(config_, "with other sections");

  // A default is returned whole, even when longer than a value read from the file may be.
  const CString longDefault(std::wstring(400, L'd'));
  EXPECT_EQ(config_.ReadConfigString(L"BackupPath", longDefault), longDefault);
}

TEST_F(ConfigTest, ReadsValuesOfEveryFormInEveryEncoding) {
  const std::wstring text =
      L"[config]\r\n"
      L"UIMode=2\r\n"
      L"ShowEDR_Left = -190 \r\n"
      L"ShowEDR_FontName=\"  Noto Sans  \"\r\n"
      L"m_default_lat='22.5'\r\n"
      L"BackupPath=" + std::wstring(300, L'p') + L"\r\n"
      L"BackFilePath=\t/media/\u5361/backups\t\r\n"
      L"TimeZone=12 hours\r\n"
      L"[DEFAULT]\r\nVideoFormat_DtValue=0\r\n"
      L"[Channel-01]\r\nCut_Left=8\r\n"
      L"[config3]\r\nGx=-17\r\nCarNotes=Fahrzeug \u00FC\r\n";
  for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"UTF-8", WideToUtf8(text)},
                                    {"UTF-8 with BOM", Utf8BomFile(text)},
                                    {"UTF-16LE", Utf16File(text)}}) {
    WriteFile("Config.ini", bytes);
    EXPECT_EQ(config_.ReadConfigInt(L"uimode", 0), 2) << name;
    EXPECT_EQ(config_.ReadConfigInt(L"ShowEDR_Left", 10), -190) << name;
    EXPECT_EQ(config_.ReadConfigInt(L"TimeZone", 0), 12) << name;
    EXPECT_EQ(config_.ReadConfigString(L"ShowEDR_FontName", L"Arial"), L"  Noto Sans  ") << name;
    EXPECT_EQ(config_.ReadConfigString(L"m_default_lat", nullptr), L"22.5") << name;
    EXPECT_EQ(config_.ReadConfigString(L"BackupPath", nullptr), CString(std::wstring(259, L'p'))) << name;
    EXPECT_EQ(config_.ReadConfigString(L"BackFilePath", nullptr), L"/media/\u5361/backups") << name;
    EXPECT_EQ(config_.ReadDefaultInt(L"VideoFormat_DtValue", -1), 0) << name;
    EXPECT_EQ(config_.ReadInt(L"Channel-01", L"Cut_Left", 0), 8) << name;
    EXPECT_EQ(config_.ReadPresetInt(L"Gx", 3, 0), -17) << name;
    EXPECT_EQ(config_.ReadPresetString(L"CarNotes", 3, nullptr), L"Fahrzeug \u00FC") << name;
    EXPECT_EQ(config_.ReadPresetInt(L"Gx", 4, 5), 5) << name;
  }
}

TEST_F(ConfigTest, WritesCreateTheFileAndReplaceValuesInPlace) {
  EXPECT_TRUE(config_.WriteConfigInt(L"ShowEDR_Left", -190));
  EXPECT_TRUE(config_.WriteInt(L"Channel-01", L"Cut_Top", 4));
  EXPECT_TRUE(config_.WriteString(L"config", L"TimeZone", L"3"));  // the same section as "Config"
  EXPECT_TRUE(config_.WritePresetInt(L"Gx", 3, 100));
  EXPECT_TRUE(config_.WritePresetString(L"CarNotes", 3, L"fleet 7"));
  EXPECT_TRUE(config_.WriteConfigString(L"BackupPath", L"/media/backup"));
  EXPECT_TRUE(config_.WriteConfigInt(L"timezone", 5));
  EXPECT_EQ(ReadFile("Config.ini"),
            "[Config]\r\nShowEDR_Left=-190\r\nTimeZone=5\r\nBackupPath=/media/backup\r\n"
            "[Channel-01]\r\nCut_Top=4\r\n"
            "[config3]\r\nGx=100\r\nCarNotes=fleet 7\r\n");
  EXPECT_EQ(config_.ReadConfigInt(L"ShowEDR_Left", 10), -190);
  EXPECT_EQ(config_.ReadPresetString(L"CarNotes", 3, nullptr), L"fleet 7");

  // A UTF-16LE file keeps its encoding, its comments and its spelling of names.
  WriteFile("Config.ini", Utf16File(L"; player\r\n[CONFIG]\r\npassengermode=0\r\n"));
  EXPECT_TRUE(config_.WriteConfigInt(L"PassengerMode", 1));
  EXPECT_TRUE(config_.WriteConfigString(L"BackFilePath", L"/home/\u00E9"));
  EXPECT_EQ(ReadFile("Config.ini"), Utf16File(L"; player\r\n[CONFIG]\r\npassengermode=1\r\nBackFilePath=/home/\u00E9\r\n"));

  // A folder that does not exist cannot take the file, and the caller learns so.
  config_.SetAppFolder(CString((dir_ / "missing").string()));
  EXPECT_FALSE(config_.WriteConfigInt(L"UIMode", 1));
  EXPECT_EQ(config_.ReadConfigInt(L"UIMode", 9), 9);
}

TEST_F(ConfigTest, NoneReadsAsTheSystemLocaleLanguage) {
  WriteFile("Config.ini",
            "[Config]\r\nLanguage File=None\r\nBackupPath=None\r\nSnapshotPath=none\r\nBackFilePath= \"None\" \r\n"
            "[config1]\r\nCarInfo=None\r\n");
  struct LocaleCase {
    const char* lcAll;
    const char* lang;
    const wchar_t* code;
  };
  const LocaleCase cases[] = {
      {"de_DE.UTF-8", nullptr, L"de_DE"},
      {nullptr, "fr_FR.UTF-8", L"fr_FR"},
      {"pt_BR", "de_DE", L"pt_BR"},
      {"cs_CZ.UTF-8", nullptr, L"en_US"},  // the table's Czech is cz_CZ
      {"ja_JP.UTF-8", nullptr, L"en_US"},  // the table's Japanese is jp_JP
      {"de", nullptr, L"en_US"},           // no country
      {nullptr, nullptr, L"en_US"},
  };
  for (const LocaleCase& c : cases) {
    if (c.lcAll) SetEnv("LC_ALL", c.lcAll);
    else ::unsetenv("LC_ALL");
    if (c.lang) SetEnv("LANG", c.lang);
    else ::unsetenv("LANG");
    EXPECT_EQ(config_.ReadConfigString(L"Language File", nullptr), c.code);
    EXPECT_EQ(config_.ReadConfigString(L"BackupPath", L"/media"), c.code);
    EXPECT_EQ(config_.ReadConfigString(L"BackFilePath", nullptr), c.code);
    EXPECT_EQ(config_.ReadPresetString(L"CarInfo", 1, nullptr), c.code);
    EXPECT_EQ(config_.ReadConfigString(L"Missing", L"None"), c.code);
  }
  EXPECT_EQ(config_.ReadConfigString(L"SnapshotPath", nullptr), L"none");  // letter case counts

  EXPECT_EQ(CAppConfig::MakeLocaleCode(L"deu", L"DEU"), L"de_DE");
  EXPECT_EQ(CAppConfig::MakeLocaleCode(L"d", L""), L"d_");
}

// A Config.ini or a translation file far larger than any real one is not read: the defaults and
// the English texts stand, and the file is left as it is.
TEST_F(ConfigTest, FilesFarLargerThanAnyRealOneAreLeftAlone) {
  const std::string config = "[Config]\r\nUIMode=2\r\n; " + std::string(1 << 20, 'x') + "\r\n";
  WriteFile("Config.ini", config);
  ExpectDefaults(config_, "a Config.ini of over 1 MiB");
  EXPECT_FALSE(config_.WriteConfigInt(L"UIMode", 1));
  EXPECT_EQ(ReadFile("Config.ini"), config);
  WriteFile("Config.ini", "[Config]\r\nLanguage File=de_DE\r\n");
  WriteFile("Language/de_DE.ini", "[Language String]\r\nPlay=Wiedergabe\r\n; " + std::string(256 << 10, 'x') + "\r\n");
  config_.SelectLanguage();
  EXPECT_EQ(config_.LoadLanguageString(L"Play"), L"Play");
}
