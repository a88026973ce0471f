// A backup and an AVI export from the card dialog while the main window plays one of the ticked
// recordings, on the program's own engine: playing narrows the dialog's time range to the
// recording played, and every ticked recording still goes into the output.
#include "cardtools/DiskDlg.h"
#include "engine/IIbpCtrl.h"
#include "platform/File.h"
#include "platform/wnd/MessageBox.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/WindowWait.h"
#include "tests/ui/TransportTestSupport.h"

TEST_F(TransportTest, EveryTickedRecordingGoesIntoABackupWhileOneOfThemPlays) {
  ScopedEnvironment tz("TZ", "UTC");
  CMainDlg& dlg = OpenThree(2.0, true);
  CDiskDlg& disk = dlg.GetDiskDlg();
  const std::string out = dir_.File("out");
  disk.ShowForTask(CDiskDlg::kBackupTask);
  disk.GetDlgItem(CDiskDlg::kBackupDestination)->SetWindowText(CString(out));
  // Ticks the first and the last recording, plays the last, and clicks Backup; true once it
  // reported that it completed.
  const auto backUp = [&] {
    for (int row = 0; row < 3; ++row) disk.RecordList().SetCheck(row, row != 1);
    EXPECT_TRUE(dlg.PlayRecord(2));
    EXPECT_EQ(disk.GetTimeBound(0), Span(2).start + dlg.GetUtcOffsetSeconds());
    const std::size_t shown = plat::test::MessageBoxes().size();
    CWnd* button = disk.GetDlgItem(CDiskDlg::kBackupButton);
    plat::test::Mouse(button, WM_LBUTTONDOWN, {5, 5});
    plat::test::Mouse(button, WM_LBUTTONUP, {5, 5});
    const auto reported = [&] { return plat::test::MessageBoxes().size() > shown; };
    return plat::test::PumpUntil(reported) && plat::test::MessageBoxes().back().text.Find(L"Completed!") != -1;
  };

  ASSERT_TRUE(backUp());
  const std::vector<std::string> backups = plat::ListFiles(out, ".sd");
  ASSERT_EQ(backups.size(), 1u);
  IIbpCtrl* reader = CreateIbpCtrl();
  ASSERT_EQ(reader->SetSource(CString(out + "/" + backups[0])), kSourceBackupFile);
  std::vector<std::int64_t> starts;
  for (IndexEntry* e = reader->OpenStore(); e; e = reader->GetNextEntry(e)) starts.push_back(e->StartTime());
  reader->Destroy();
  EXPECT_EQ(starts, (std::vector<std::int64_t>{Span(0).start, Span(2).start}));

  static_cast<CComboBox*>(disk.GetDlgItem(CDiskDlg::kBackupFormat))->SetCurSel(CDiskDlg::kAviFormat);
  ASSERT_TRUE(backUp());
  EXPECT_EQ(plat::ListFiles(out, ".avi").size(), 2u);
  dlg.DestroyWindow();
}

// The file holds no data of the last recording any more: the backup of all three completes and its
// report names that recording as its row shows it, with a warning.
TEST_F(TransportTest, ABackupThatLeftARecordingOutNamesItInItsReport) {
  ScopedEnvironment tz("TZ", "UTC");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0);
  desc.damage = {fixtures::Damage::TruncateIndexFile(0x2000000 + 2 * 0x1000000)};
  const std::string cut = dir_.File("cut.sd");
  ASSERT_TRUE(fixtures::BuildStore(desc, cut));
  SetIbpCtrlFactory(nullptr);
  CMainDlg& dlg = Start(1920, 1080);
  CDiskDlg& disk = dlg.GetDiskDlg();
  ASSERT_TRUE(disk.OpenSdFile(CString(cut)));
  disk.ShowForTask(CDiskDlg::kBackupTask);
  disk.GetDlgItem(CDiskDlg::kBackupDestination)->SetWindowText(CString(dir_.File("out")));
  for (int row = 0; row < 3; ++row) disk.RecordList().SetCheck(row, true);
  const std::size_t shown = plat::test::MessageBoxes().size();
  CWnd* button = disk.GetDlgItem(CDiskDlg::kBackupButton);
  plat::test::Mouse(button, WM_LBUTTONDOWN, {5, 5});
  plat::test::Mouse(button, WM_LBUTTONUP, {5, 5});
  ASSERT_TRUE(plat::test::PumpUntil([&] { return plat::test::MessageBoxes().size() > shown; }));
  const plat::test::MessageBoxCall box = plat::test::MessageBoxes().back();
  const CString row = disk.RecordList().GetItemText(2, 0) + L" - " + disk.RecordList().GetItemText(2, 1);
  EXPECT_NE(box.text.Find(L"Completed!\nThese recordings were left out, for none of their data could be read:\n" + row),
            -1) << box.text.ToUtf8();
  EXPECT_EQ(box.text.Find(disk.RecordList().GetItemText(1, 0)), -1) << box.text.ToUtf8();
  EXPECT_NE(box.type & MB_ICONWARNING, 0u);
  dlg.DestroyWindow();
}
