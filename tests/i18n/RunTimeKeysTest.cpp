// Texts asked for at run time: the recorder sees what LoadLanguageString is asked for in any
// language, and the card tools' and settings' windows, started and put through their commands,
// ask only for texts that the English file lists.
#include <gtest/gtest.h>

#include "cardtools/FileManager.h"
#include "cardtools/FilePad.h"
#include "cardtools/FormatDlg.h"
#include "config/DeviceSettings.h"
#include "config/dialogs/TabConfigDlg.h"
#include "config/dialogs/WiFiConfigDlg.h"
#include "testdata/FileBytes.h"
#include "tests/cardtools/CardToolsTestSupport.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/support/LanguageKeyRecorder.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"
#include "users/ConfirmDlg.h"

namespace {

std::string Lines(const std::vector<std::wstring>& texts) {
  std::string all;
  for (const std::wstring& t : texts) all += WideToUtf8(t) + "\n";
  return all;
}

// The card dialog in both tasks and all its captions, a backup without a choice and a file that
// is no event log.
void RunCardDialog(plat::test::SpyWnd& main, const fixtures::ScratchDir& dir) {
  FakeOwner owner;
  CDiskDlg dlg(owner, &main);
  owner.dialog = &dlg;
  ASSERT_TRUE(dlg.Create(CDiskDlg::kTemplate, &main));
  dlg.ShowForTask(CDiskDlg::kBackupTask);
  dlg.OnBnClickedBackup();
  dlg.SelectBackupFileMode();
  dlg.ShowForTask(CDiskDlg::kPlaybackTask);
  dlg.SelectRemovableMode();
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("trip.log"), std::vector<std::uint8_t>(64, 0x5A)));
  dlg.LoadEventLog(CString(dir.File("trip.log")));
  ASSERT_TRUE(plat::test::PumpUntil([&] { return !main.Of(WM_EVENTLOG_LOADED).empty(); }));
  dlg.TakeEventLog(main.Of(WM_EVENTLOG_LOADED).front().wParam);
  dlg.DestroyWindow();
}

void RunModal(CDialog& dlg, std::function<void()> step) {
  plat::test::WhileModal(std::move(step));
  dlg.DoModal();
}

void RunOtherWindows(plat::test::SpyWnd& main) {
  CFormatDlg format(&main);
  RunModal(format, [&] {
    static_cast<CComboBox*>(format.GetDlgItem(CFormatDlg::kLanguageList))->SetCurSel(1);
    format.SendMessage(WM_COMMAND, MAKEWPARAM(CFormatDlg::kLanguageList, CBN_SELCHANGE), 0);
    format.EndDialog(IDCANCEL);
  });
  TabConfigDlg config(&main);
  RunModal(config, [] { plat::test::Key(WM_KEYDOWN, VK_ESCAPE); });
  DeviceSettings settings;
  CWiFiConfigDlg wifi(&settings, &main);
  RunModal(wifi, [] { plat::test::Key(WM_KEYDOWN, VK_RETURN); });
  CConfirmDlg password(&main);
  RunModal(password, [] { plat::test::Key(WM_KEYDOWN, VK_ESCAPE); });
  FileManager files(&main);
  ASSERT_TRUE(files.Create(FileManager::kTemplate, &main));
  files.DestroyWindow();
  FilePad pad(&main);
  ASSERT_TRUE(pad.Create(FilePad::kTemplate, &main));
  pad.DestroyWindow();
}

}  // namespace

TEST(LanguageKeyRecorderTest, RecordsEveryTextAskedForWhileItLives) {
  const LanguageFolder english(L"en_US");
  {
    const LanguageKeyRecorder recorder;
    EXPECT_EQ(LoadLanguageString(L"Play"), L"Play");
    LoadLanguageString(L"A text that no language file has");
    LoadLanguageString(L"");
    LoadLanguageString(L"<<");
    EXPECT_EQ(recorder.Keys(), std::set<std::wstring>({L"<<", L"A text that no language file has", L"Play"}));
    EXPECT_EQ(recorder.MissingFromEnglishFile(), std::vector<std::wstring>({L"A text that no language file has"}));
  }
  const LanguageKeyRecorder later;
  EXPECT_TRUE(later.Keys().empty());
}

TEST(LanguageKeyRecorderTest, TheCardToolsAndSettingsWindowsAskOnlyForKnownTexts) {
  plat::test::Reset();
  const LanguageFolder russian(L"ru_RU");
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  const LanguageKeyRecorder recorder;
  RunCardDialog(main, russian.Dir());
  RunOtherWindows(main);

  const std::set<std::wstring> keys = recorder.Keys();
  for (const wchar_t* key :
       {L"Backup", L"Open an existing file", L"Playback", L"The end time must be later than the start time",
        L"This file is not an event log of the recorder", L"RECORD TIME", L"Removable Storage",
        L"After change language settings please restart program", L"km/h", L"Wi-Fi", L"User name", L"Modified",
        L"Time zone"}) {
    EXPECT_TRUE(keys.contains(key)) << WideToUtf8(key);
  }
  EXPECT_TRUE(recorder.MissingFromEnglishFile().empty()) << Lines(recorder.MissingFromEnglishFile());
  // The messages came in the run's language.
  const CString restart = LoadLanguageString(L"After change language settings please restart program");
  EXPECT_NE(restart, L"After change language settings please restart program");
  ASSERT_FALSE(plat::test::MessageBoxes().empty());
  EXPECT_EQ(plat::test::MessageBoxes().back().text, restart);
}
