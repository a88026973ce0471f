// The configuration and card tool windows that do the least: each opens and closes, keeps what
// the main window hands it, and the format dialog's language list changes the next run's language.
#include <gtest/gtest.h>

#include <filesystem>

#include "cardtools/FileManager.h"
#include "cardtools/FilePad.h"
#include "cardtools/FormatDlg.h"
#include "config/DeviceSettings.h"
#include "config/TimeZone.h"
#include "config/dialogs/TabConfigDlg.h"
#include "config/dialogs/WiFiConfigDlg.h"
#include "settings/AppConfig.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "tests/support/TestHarness.h"

namespace {

CString SelectedText(const CDialog& dlg, int id) {
  const auto* list = static_cast<const CComboBox*>(dlg.GetDlgItem(id));
  CString text;
  if (list->GetCurSel() >= 0) list->GetLBText(list->GetCurSel(), text);
  return text;
}

// A choice in a list as the user makes it: selected, then told to the dialog.
void Choose(CDialog& dlg, int id, int item) {
  static_cast<CComboBox*>(dlg.GetDlgItem(id))->SetCurSel(item);
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), 0);
}

}  // namespace

TEST(LeastDialogsTest, EachOpensClosesAndKeepsWhatItIsHanded) {
  plat::test::Reset();
  fixtures::ScratchDir dir("least");
  g_appConfig.SetAppFolder(CString(dir.Path()));
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));

  TabConfigDlg config(&main);
  config.SetCaption(L"E:/");
  config.SetUnits(1, 1);
  plat::test::WhileModal([&] {
    EXPECT_EQ(config.GetWindowText(), L"Configuration - E:/");
    EXPECT_EQ(SelectedText(config, TabConfigDlg::kSpeedUnitList), L"mph");
    Choose(config, TabConfigDlg::kTemperatureUnitList, 0);
    plat::test::SavePng(plat::test::Grab(&config), "cardtools-configuration");
    config.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(config.DoModal(), IDOK);
  EXPECT_EQ(config.GetSpeedUnit(), 1);
  EXPECT_EQ(config.GetTemperatureUnit(), 0);

  DeviceSettings settings;
  CWiFiConfigDlg wifi(&settings, &main);
  plat::test::WhileModal([&] { plat::test::Key(WM_KEYDOWN, VK_RETURN); });
  EXPECT_EQ(wifi.DoModal(), IDOK);

  // The language list: English and each language whose file is there, by native name.
  std::filesystem::create_directories(dir.File("Language"));
  for (const char* code : {"de_DE", "ru_RU"}) ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("Language/") + code + ".ini", {}));
  g_appConfig.WriteConfigString(L"Language File", L"en_US");
  g_appConfig.SelectLanguage();
  CFormatDlg format(&main);
  format.SetDriveNumber(37);
  plat::test::WhileModal([&] {
    EXPECT_EQ(format.GetDlgItem(CFormatDlg::kDriveText)->GetWindowText(), L"Drive 37");
    const auto* languages = static_cast<const CComboBox*>(format.GetDlgItem(CFormatDlg::kLanguageList));
    ASSERT_EQ(languages->GetCount(), 3);
    EXPECT_EQ(SelectedText(format, CFormatDlg::kLanguageList), L"English");
    Choose(format, CFormatDlg::kLanguageList, 1);
    format.SetDriveNumber(-1);
    EXPECT_EQ(format.GetDlgItem(CFormatDlg::kDriveText)->GetWindowText(), L"No card");
    format.UpdateProgress();
    plat::test::SavePng(plat::test::Grab(&format), "cardtools-format");
    format.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(format.DoModal(), IDCANCEL);
  EXPECT_EQ(g_appConfig.GetChosenLanguage(), 8u);  // de_DE, for the next run
  EXPECT_EQ(g_appConfig.GetCurrentLanguage(), 0u);
  EXPECT_EQ(plat::test::MessageBoxes().back().text, L"After change language settings please restart program");
  g_appConfig.SetChosenLanguage(0);

  // The file manager lists the backups of the backup folder.
  g_appConfig.WriteConfigString(L"BackupPath", CString(dir.File("backups")));
  std::filesystem::create_directories(dir.File("backups"));
  for (const char* name : {"b.SD", "a.sd", "notes.txt"}) fixtures::WriteFileBytes(dir.File("backups/") + name, {1, 2});
  FileManager files(&main);
  ASSERT_TRUE(files.Create(FileManager::kTemplate, &main));
  const auto* list = static_cast<const CListCtrl*>(files.GetDlgItem(FileManager::kFileList));
  ASSERT_EQ(list->GetItemCount(), 2);
  EXPECT_EQ(list->GetItemText(0, 0), L"a.sd");
  EXPECT_EQ(list->GetItemText(1, 0), L"b.SD");
  files.DestroyWindow();

  // The file pad shows the zone of the offset it is handed.
  InitTimeZoneTable();
  FilePad pad(&main);
  ASSERT_TRUE(pad.Create(FilePad::kTemplate, &main));
  pad.SetTimeZoneOffset(19800);
  EXPECT_EQ(SelectedText(pad, FilePad::kZoneList), L"(UTC+05:30)");
  EXPECT_EQ(pad.GetTimeZoneOffset(), 19800);
  Choose(pad, FilePad::kZoneList, 0);
  EXPECT_EQ(pad.GetTimeZoneOffset(), -43200);
  pad.SetTimeZoneOffset(17);
  EXPECT_EQ(pad.GetTimeZoneOffset(), 17);
  pad.DestroyWindow();
}
