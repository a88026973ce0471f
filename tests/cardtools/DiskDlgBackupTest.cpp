// The Backup button of the card dialog with the real engine: what it refuses, a `.sd` backup of
// the ticked recordings that the engine reopens and the player plays, a second backup that does
// not overwrite the first, and AVI files, one per recording, that ffmpeg decodes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/File.h"
#include "settings/AppConfig.h"
#include "testdata/MediaProbe.h"
#include "testdata/ScratchDir.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"
#include "tests/cardtools/CardToolsTestSupport.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"

namespace {

void Click(CDiskDlg& dlg, int id) {
  CWnd* button = dlg.GetDlgItem(id);
  plat::test::Mouse(button, WM_LBUTTONDOWN, {5, 5});
  plat::test::Mouse(button, WM_LBUTTONUP, {5, 5});
  plat::test::Pump();
}

// Waits in real time (the window harness's clock does not move by itself) while `busy` holds.
template <typename Busy>
bool WaitWhile(Busy busy) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (busy()) {
    if (std::chrono::steady_clock::now() > until) return false;
    plat::test::Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::string Stem(std::int64_t utc) {
  std::tm tm{};
  const std::time_t t = utc;
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &tm);
  return text;
}

CString LastMessage() {
  const auto boxes = plat::test::MessageBoxes();
  return boxes.empty() ? CString() : boxes.back().text;
}

}  // namespace

TEST(DiskDlgBackupTest, ABackupAndAnAviExportFromTheDialogWriteFilesThatPlay) {
  plat::test::Reset();
  ScopedEnvironment env("TZ", "UTC");
  fixtures::ScratchDir dir("diskbackup");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 1.5), dir.File("trip.sd"));
  ASSERT_TRUE(sd);
  const auto& recs = sd->recordings;
  const std::string out = dir.File("out");
  g_appConfig.SetAppFolder(CString(dir.Path()));
  g_appConfig.WriteConfigString(L"BackupPath", CString(out));
  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  FakeOwner owner;
  CDiskDlg dlg(owner, &main);
  owner.dialog = &dlg;
  ASSERT_TRUE(dlg.Create(CDiskDlg::kTemplate, &main));
  ASSERT_TRUE(dlg.OpenSdFile(CString(sd->path)));
  dlg.ShowForTask(CDiskDlg::kBackupTask);

  Click(dlg, CDiskDlg::kBackupButton);
  EXPECT_EQ(LastMessage(), L"Please select the recordings to back up");
  dlg.RecordList().SetCheck(0);
  dlg.RecordList().SetCheck(2);
  dlg.SetRecordTimePicker(recs[2].entry.end, 0);
  dlg.SetRecordTimePicker(recs[0].entry.start, 1);
  Click(dlg, CDiskDlg::kBackupButton);
  EXPECT_EQ(LastMessage(), L"The end time must be later than the start time");
  EXPECT_EQ(owner.engine->GetJobResult(), JobResult::kNone);

  // A `.sd` backup of the ticked recordings; the owner's end handler would enable the controls.
  dlg.SetRecordTimePicker(recs[0].entry.start, 0);
  dlg.SetRecordTimePicker(recs[2].entry.end, 1);
  for (int round = 0; round < 2; ++round) {
    Click(dlg, CDiskDlg::kBackupButton);
    EXPECT_TRUE(dlg.jobRunning);
    EXPECT_FALSE(owner.mainEnabled);
    EXPECT_FALSE(dlg.GetDlgItem(CDiskDlg::kBackupButton)->IsWindowEnabled());
    ASSERT_TRUE(WaitWhile([&] { return owner.engine->GetJobResult() == JobResult::kRunning; }));
    EXPECT_EQ(owner.engine->GetJobResult(), JobResult::kDone);
    dlg.jobRunning = false;
    dlg.EnableControls(true);
  }
  const std::string backup = out + "/" + Stem(recs[0].entry.start) + ".sd";
  EXPECT_TRUE(plat::FileExists(out + "/" + Stem(recs[0].entry.start) + "_1.sd"));
  IIbpCtrl* again = CreateIbpCtrl();
  ASSERT_EQ(again->SetSource(CString(backup)), kSourceBackupFile);
  std::vector<std::int64_t> starts;
  for (IndexEntry* e = again->OpenStore(); e; e = again->GetNextEntry(e)) starts.push_back(e->StartTime());
  again->Destroy();
  EXPECT_EQ(starts, (std::vector<std::int64_t>{recs[0].entry.start, recs[2].entry.start}));
  int status = -1;
  const std::string played = fixtures::RunCommand(
      "TZ=UTC " + std::string(PLAYCARD_PATH) + " " + fixtures::Quoted(backup) + " --entry 1 --json 2>/dev/null", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(played.find("\"pictures\": 0,"), std::string::npos);
  EXPECT_NE(played.find("\"pictures\": "), std::string::npos) << played;

  // An AVI export of the last two recordings, one file each.
  static_cast<CComboBox*>(dlg.GetDlgItem(CDiskDlg::kBackupFormat))->SetCurSel(CDiskDlg::kAviFormat);
  dlg.RecordList().SetCheck(0, FALSE);
  dlg.RecordList().SetCheck(1);
  Click(dlg, CDiskDlg::kBackupButton);
  EXPECT_TRUE(dlg.aviExport);
  EXPECT_EQ(dlg.progressMode, 1);
  ASSERT_TRUE(WaitWhile([&] { return dlg.aviExport; }));
  EXPECT_FALSE(dlg.jobRunning);
  EXPECT_TRUE(owner.mainEnabled);
  EXPECT_EQ(dlg.ProgressBar().GetPos(), 100);
  EXPECT_NE(LastMessage().Find(L"Completed!"), -1);
  for (const std::int64_t start : {recs[1].entry.start, recs[2].entry.start}) {
    const std::string avi = out + "/" + Stem(start) + ".avi";
    EXPECT_EQ(fixtures::DecodeErrors(avi), "");
    const fixtures::ProbedMedia media = fixtures::ProbeMedia(avi);
    ASSERT_FALSE(media.streams.empty());
    EXPECT_EQ(media.streams[0].Get("codec_type"), "video");
    EXPECT_FALSE(media.PacketsOf(0).empty());
  }
  dlg.DestroyWindow();
}
