// The card dialog with the real engine and a stand-in main window: a generated backup and a
// generated card image (drive 37) listed with their times, a file that is no store refused, the
// tasks, modes and progress, and a picture of the dialog with a card listed.
#include <gtest/gtest.h>

#include "platform/Time.h"
#include "settings/AppConfig.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/cardtools/CardToolsTestSupport.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"

namespace {

constexpr const char* kZone = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr std::int64_t kSummerStart = 1719828000;  // 2024-07-01 10:00:00 UTC

CString Local(std::int64_t t) { return CString(plat::LocalDateTimeText(t).value_or("")); }

// Every recording of the layout listed in the dialog and handed to the owner, in order.
void ExpectListed(CDiskDlg& dlg, const FakeOwner& owner, const fixtures::Layout& layout) {
  const size_t n = layout.recordings.size();
  ASSERT_EQ(dlg.RecordList().GetItemCount(), static_cast<int>(n));
  ASSERT_EQ(owner.spans.size(), n);
  for (size_t i = 0; i < n; ++i) {
    const fixtures::EntryInfo& e = layout.recordings[i].entry;
    const int row = static_cast<int>(i);
    const RecordSpanEntry& span = owner.spans[i];
    EXPECT_EQ(dlg.RecordList().GetItemText(row, 0) + dlg.RecordList().GetItemText(row, 1), Local(e.start) + Local(e.end));
    EXPECT_EQ(owner.rows[i].start, Local(e.start));
    EXPECT_EQ(std::vector<std::int64_t>({span.start, span.end, span.startPosition, span.firstChunk}),
              std::vector<std::int64_t>({e.start, e.end, 0, e.first}));
    ASSERT_NE(span.entry, nullptr);
    EXPECT_EQ(span.entry->FirstChunk(), e.first);
  }
  EXPECT_EQ(dlg.GetTimeBound(0), layout.recordings.front().entry.start + owner.utcOffset);
  EXPECT_EQ(dlg.GetTimeBound(1), layout.recordings.back().entry.end + owner.utcOffset);
}

}  // namespace

TEST(DiskDlgTest, OpensABackupAndACardAndListsTheirRecordingsWithTheirTimes) {
  plat::test::Reset();
  ScopedEnvironment env("TZ", kZone);
  fixtures::ScratchDir dir("diskdlg");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0), dir.File("trip.sd"));
  fixtures::StoreDescription cardDesc = fixtures::Recordings(fixtures::StoreKind::kCard, 3, 2.0);
  cardDesc.recordings[0].start = kSummerStart;
  const auto card = fixtures::BuildStore(cardDesc, dir.File("card.img"));
  ASSERT_TRUE(sd && card);
  env.Set("PLAYER_DRIVE_37", card->path.c_str());
  g_appConfig.SetAppFolder(CString(dir.Path()));
  g_appConfig.WriteConfigString(L"BackupPath", CString(dir.File("backups")));

  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  FakeOwner owner;
  owner.utcOffset = 3600;
  CDiskDlg dlg(owner, &main);
  owner.dialog = &dlg;
  ASSERT_TRUE(dlg.Create(CDiskDlg::kTemplate, &main));
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_EQ(dlg.GetDlgItem(CDiskDlg::kBackupDestination)->GetWindowText(), CString(dir.File("backups")));

  ASSERT_TRUE(dlg.OpenSdFile(CString(sd->path)));
  EXPECT_EQ(dlg.RecordList().GetItemText(0, 0), L"2024-03-01 09:12:30");  // the recorder's own clock
  ExpectListed(dlg, owner, *sd);
  EXPECT_EQ(dlg.GetSourceText(), CString(sd->path));

  // A file that is no store leaves the engine's source and both lists as they were.
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("broken.sd"), std::vector<std::uint8_t>(70000, 0x5A)));
  EXPECT_FALSE(dlg.OpenSdFile(CString(dir.File("broken.sd"))));
  EXPECT_FALSE(dlg.OpenCardByPath(L"//./PhysicalDrive38"));
  EXPECT_EQ(owner.engine->GetSourcePath(), CString(sd->path));
  ExpectListed(dlg, owner, *sd);

  owner.utcOffset = 0;
  ASSERT_TRUE(dlg.OpenCardByPath(L"//./PhysicalDrive37"));
  EXPECT_EQ(owner.driveNumber, 37);
  EXPECT_EQ(owner.engine->GetSourcePath(), L"dvk2://37");
  EXPECT_EQ(dlg.RecordList().GetItemText(0, 0), L"2024-07-01 12:00:00");  // summer time
  ExpectListed(dlg, owner, *card);

  // Another zone chosen: rows and pickers show the recording times moved by that zone, once.
  owner.displayZone = app::DisplayZone::Fixed(9 * 3600);
  owner.utcOffset = 9 * 3600;
  ASSERT_TRUE(dlg.OpenCardByPath(L"//./PhysicalDrive37"));
  EXPECT_EQ(dlg.RecordList().GetItemText(0, 0), L"2024-07-01 19:00:00");
  std::int64_t picked = 0;
  ASSERT_TRUE(dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(CDiskDlg::kStartPicker))->GetTime(picked));
  EXPECT_EQ(Local(picked), L"2024-07-01 19:00:00");
  owner.displayZone = app::DisplayZone::PcZone();

  // Backup task: check boxes and the backup part; the same task again hides the dialog.
  dlg.ShowForTask(CDiskDlg::kBackupTask);
  EXPECT_EQ(dlg.GetWindowText(), L"Backup");
  EXPECT_TRUE(dlg.RecordList().GetExtendedStyle() & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(dlg.GetDlgItem(CDiskDlg::kBackupButton)->IsWindowVisible());
  dlg.RecordList().SetCheck(0);
  dlg.RecordList().SetCheck(2);
  dlg.RecordList().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  dlg.SetProgress(40);
  plat::test::Pump();
  const QImage shown = plat::test::Grab(&dlg);
  EXPECT_FALSE(plat::test::SavePng(shown, "cardtools-card-dialog").isEmpty());
  CRect full;
  dlg.GetClientRect(&full);
  dlg.ShowForTask(CDiskDlg::kBackupTask);
  EXPECT_FALSE(dlg.IsWindowVisible());

  // Playback of a backup file: no check boxes, no backup part, a shorter window.
  dlg.SelectBackupFileMode();
  dlg.ShowForTask(CDiskDlg::kPlaybackTask);
  EXPECT_EQ(dlg.GetWindowText(), L"Open an existing file");
  EXPECT_FALSE(dlg.RecordList().GetExtendedStyle() & LVS_EX_CHECKBOXES);
  EXPECT_FALSE(dlg.GetDlgItem(CDiskDlg::kBackupButton)->IsWindowVisible());
  CRect shorter;
  dlg.GetClientRect(&shorter);
  EXPECT_LT(shorter.Height(), full.Height());
  EXPECT_EQ(dlg.GetCurrentDriveText(), L"");

  // Progress: the position within the time range, up to 90 %, nothing outside it or for an empty
  // range.
  owner.playing = true;
  owner.timeZoneOffset = 3600;
  dlg.SetRecordTimePicker(kSummerStart + 3600, 0);
  dlg.SetRecordTimePicker(kSummerStart + 3600 + 100, 1);
  for (const std::int64_t at : {kSummerStart + 50, kSummerStart + 500}) dlg.UpdateProgressFromPosition(at);
  EXPECT_EQ(dlg.ProgressBar().GetPos(), 45);
  dlg.SetRecordTimePicker(kSummerStart + 3600, 1);
  dlg.UpdateProgressFromPosition(kSummerStart);
  EXPECT_EQ(dlg.ProgressBar().GetPos(), 45);

  dlg.CloseSource();
  EXPECT_EQ(dlg.RecordList().GetItemCount(), 0);
  EXPECT_TRUE(owner.spans.empty());
  EXPECT_FALSE(dlg.ReopenSource());
  dlg.DestroyWindow();
}
