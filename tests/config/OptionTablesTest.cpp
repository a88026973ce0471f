// The option lists of the settings pages as the "Default" section of Config.ini chooses them, the
// video record built on them, and the settings of a card whose files cannot be read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/DeviceSettings.h"
#include "config/dialogs/OptionTables.h"
#include "config/dialogs/VideoRecord.h"
#include "settings/AppConfig.h"

namespace {

std::vector<std::wstring> Texts(const OptionList& list) {
  std::vector<std::wstring> texts;
  for (const wchar_t* const* p = list.items; *p; ++p) texts.emplace_back(*p);
  EXPECT_EQ(static_cast<int>(texts.size()), list.Count());
  return texts;
}

class OptionTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("options-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    g_appConfig.SetAppFolder(CString(folder_.string()));
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

}  // namespace

TEST_F(OptionTablesTest, TheDefaultSectionChoosesEachListWithItsSize) {
  EXPECT_EQ(SelectDefaultOptionTables(), 2);
  EXPECT_EQ(Texts(g_videoFormatOptions), (std::vector<std::wstring>{L"D1", L"CIF"}));
  EXPECT_EQ(Texts(g_frameRateFrontOptions), (std::vector<std::wstring>{L"15", L"30"}));
  EXPECT_EQ(Texts(g_frameRateRearOptions), (std::vector<std::wstring>{L"5", L"10", L"15", L"20", L"25", L"30"}));
  EXPECT_EQ(Texts(g_carModeOptions), (std::vector<std::wstring>{L"Car", L"Truck", L"Motorcycle", L"Alarm"}));
  EXPECT_EQ(g_videoFormatOptions.sizeBytes, 12);
  EXPECT_EQ(g_frameRateRearOptions.sizeBytes, 28);
  EXPECT_EQ(g_carModeOptions.sizeBytes, 20);

  g_appConfig.WriteInt(L"Default", L"VideoFormat_DfSet", 3);
  g_appConfig.WriteInt(L"Default", L"VideoFrameRateFront_DfSet", 2);
  g_appConfig.WriteInt(L"Default", L"VideoFrameRateRear_DfSet", 1);
  g_appConfig.WriteInt(L"Default", L"CarMode_DfSet", 3);
  EXPECT_EQ(SelectDefaultOptionTables(), 3);
  EXPECT_EQ(Texts(g_videoFormatOptions), (std::vector<std::wstring>{L"720P", L"VGA"}));
  EXPECT_EQ(g_frameRateFrontOptions.sizeBytes, 24);
  EXPECT_EQ(Texts(g_frameRateRearOptions), (std::vector<std::wstring>{L"5", L"10", L"15"}));
  EXPECT_EQ(Texts(g_carModeOptions), (std::vector<std::wstring>{L"Truck", L"Motorcycle", L"Special"}));
  EXPECT_EQ(g_carModeOptions.sizeBytes, 16);

  g_appConfig.WriteInt(L"Default", L"VideoFrameRateFront_DfSet", 4);
  g_appConfig.WriteInt(L"Default", L"VideoFormat_DtValue", 1);
  g_appConfig.WriteInt(L"Default", L"VideoFrameRateFront_DtValue", 3);  // past the list's end
  VideoRecord record;
  record.carMode = 5;
  DefaultVideoRecord(&record);
  EXPECT_EQ(Texts(g_frameRateFrontOptions), (std::vector<std::wstring>{L"10", L"15", L"25(PAL) / 30(NTSC)"}));
  EXPECT_EQ(record.carModeSet, 3);
  EXPECT_EQ(record.videoFormat, 1);
  EXPECT_EQ(record.frameRateFront, 0);
  EXPECT_EQ(record.carMode, 0);
}

TEST(DeviceSettingsTest, ACardsSettingsAreTheDefaultsWithoutPasswordOrDaylightSaving) {
  DeviceSettings settings;
  settings.Config().SetPassword(1, L"left over");
  LoadAllSettingFiles(&settings, L"/media/card/");
  int hours = -1;
  EXPECT_EQ(settings.GetModeValue(&hours), 0);
  EXPECT_EQ(hours, 0);
  EXPECT_TRUE(settings.Config().Password(1).IsEmpty());
  EXPECT_TRUE(settings.Config().Password(2).IsEmpty());
  EXPECT_TRUE(settings.Config().IsValid());
  EXPECT_EQ(settings.Config().Generation(), 0u);
}
