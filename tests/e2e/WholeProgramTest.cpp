// The whole program's windows on the real engine, in real time, used as a driver uses them: a card
// comes in and its first recording plays, a snapshot is taken, the recorder's event log is
// dropped on the window, and two recordings are exported from the card dialog, one as an AVI file
// and two as a `.sd` backup; each file is read back.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>

#include "engine/IIbpCtrl.h"
#include "engine/store/CardStore.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/ComboBox.h"
#include "settings/AppConfig.h"
#include "testdata/EventLogFile.h"
#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/FakeDriveTable.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

using plat::test::PumpUntil;

constexpr int kCardDrive = 47;
// A whole export may take a minute on a loaded machine under the sanitizers.
constexpr std::chrono::seconds kJobDeadline{60};

void Click(CWnd& dialog, int id) {
  CWnd* button = dialog.GetDlgItem(id);
  plat::test::Mouse(button, WM_LBUTTONDOWN, {5, 5});
  plat::test::Mouse(button, WM_LBUTTONUP, {5, 5});
  plat::test::Pump();
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& ending) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& f : std::filesystem::directory_iterator(folder, ec)) {
    const std::string path = f.path().string();
    if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0) {
      found.push_back(path);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool LastBoxSaysCompleted() {
  const auto boxes = plat::test::MessageBoxes();
  return !boxes.empty() && boxes.back().text.Find(L"Completed!") != -1;
}

std::vector<fixtures::EventLogRecord> TripLog(int records) {
  std::vector<fixtures::EventLogRecord> log;
  for (int i = 0; i < records; ++i) {
    char time[32];
    std::snprintf(time, sizeof time, "2024-03-01 08:12:%02d", 30 + i);
    char gps[96];
    std::snprintf(gps, sizeof gps, "$GPRMC,0812%02d.00,A,2232.1000,N,11403.%04d,E,40.0,90.0,010324,,,A*00", 30 + i,
                  2000 + 100 * i);
    log.push_back({{"stime", time}, {"gps", gps}, {"vsp", "42"}, {"gsensorX", std::to_string(20 * i)}, {"gsensorY", "-30"}});
  }
  return log;
}

// The chunks of every recording that the backup lists are the card's, byte for byte; the
// recordings' first chunks in the backup's order.
std::vector<std::uint32_t> BackedUpRecordings(const std::string& backup, const fixtures::Layout& card) {
  CCardStore store;
  store.SetStoreSource(kSourceBackupFile, 0, backup);
  std::vector<std::uint32_t> firsts;
  if (!store.OpenStore()) return firsts;
  std::vector<std::uint8_t> chunk(kChunkSize);
  for (const IndexEntry* e : store.EntryList()) {
    for (const fixtures::RecordingInfo& r : card.recordings) {
      if (r.entry.first != e->FirstChunk()) continue;
      bool same = e->LastChunk() - e->FirstChunk() + 1 == r.chunks.size();
      for (std::uint32_t k = 0; same && k < r.chunks.size(); ++k) {
        same = store.ReadChunk(e->dataOffset + k * kChunkSize, chunk.data()) &&
               chunk == fixtures::ReadFileBytesAt(r.chunks[k].file, r.chunks[k].fileOffset, kChunkSize);
      }
      if (same) firsts.push_back(e->FirstChunk());
    }
  }
  return firsts;
}

// The program's settings in a scratch folder, its windows on the machine's clock and their pictures
// shown as the program shows them; the map page and the drive table are the harness's.
class WholeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    g_appConfig.SetAppFolder(CString(dir_.Path()));
    fakeClock_ = plat::SetTickClock(&plat::SystemClock());
  }
  void TearDown() override {
    plat::SetTickClock(fakeClock_);
    g_appConfig.SetAppFolder(programFolder_);
  }

  ScopedEnvironment env_{"TZ", "UTC"};
  fixtures::ScratchDir dir_{"e2e-whole"};
  plat::WindowPresenters presenters_;
  plat::test::FakeWebBrowsers browsers_;
  plat::test::FakeDriveTable drives_;

 private:
  const CString programFolder_ = g_appConfig.GetAppFolder();
  plat::IClock* fakeClock_ = nullptr;
};

}  // namespace

TEST_F(WholeProgramTest, ACardIsPlayedSnapshottedItsLogDroppedAndItsRecordingsExported) {
  const auto card = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kCard, 3, 4.0), dir_.File("card.img"));
  ASSERT_TRUE(card && fixtures::WriteEventLog(dir_.File("TRIP.LOG"), TripLog(20)));
  env_.Set(("PLAYER_DRIVE_" + std::to_string(kCardDrive)).c_str(), card->path.c_str());
  CMainDlg dlg;
  ASSERT_TRUE(dlg.Create(CMainDlg::kTemplate, nullptr));
  dlg.ShowWindow(SW_SHOW);
  browsers_.Last()->FinishLoad(true);
  IIbpCtrl& engine = *dlg.GetEngine();
  CDiskDlg& disk = dlg.GetDiskDlg();

  // The card comes in: its first recording plays in the channel window, the picture moving.
  drives_.Arrive({'E', "/media/driver/E/", "/dev/sdz47", kCardDrive, true});
  EXPECT_EQ(engine.GetSourcePath(), L"dvk2://" + CString(std::to_string(kCardDrive)));
  ASSERT_EQ(dlg.GetSpans().size(), 3u);
  const fixtures::EntryInfo& first = card->recordings[0].entry;
  ASSERT_TRUE(PumpUntil([&] { return engine.GetShownChunk(0) >= first.first; }));
  const QImage before = plat::test::Grab(&dlg.GetChannelWindow());
  EXPECT_TRUE(PumpUntil([&] { return plat::test::Grab(&dlg.GetChannelWindow()) != before; }));
  EXPECT_LE(engine.GetShownChunk(0), first.last);
  plat::test::SavePng(plat::test::Grab(&dlg), "e2e-card-playing");

  // A snapshot of the picture shown, enlarged by half.
  const std::string shots = dir_.File("shots");
  disk.GetDlgItem(CDiskDlg::kSnapshotFolder)->SetWindowText(CString(shots));
  Click(dlg, mainid::kSnapShot);
  const std::vector<std::string> snapshots = FilesEndingIn(shots, "_Ch1.bmp");
  ASSERT_EQ(snapshots.size(), 1u);
  const QImage snapshot(QString::fromStdString(snapshots[0]));
  EXPECT_EQ(snapshot.size(), QSize(engine.GetVideoWidth(0) * 3 / 2, engine.GetVideoHeight(0) * 3 / 2));

  // The trip's event log dropped on the window: playing stops, the records are listed and drawn.
  ASSERT_TRUE(plat::DropFiles(dlg.GetSafeHwnd(), {CString(dir_.File("TRIP.LOG"))}, {30, 30}));
  EXPECT_FALSE(dlg.IsPlaying());
  ASSERT_TRUE(PumpUntil([&] { return disk.EventList().GetItemCount() == 20; }));
  const std::vector<CString>& page = browsers_.Last()->calls;
  EXPECT_EQ(std::count(page.begin(), page.end(), CString(L"BaseLine")), 20);
  EXPECT_EQ(dlg.GetGsensorBar().Span(), 19);

  // The Backup button: recording 1 as an AVI file, then recordings 0 and 2 as a `.sd` backup.
  const std::string out = dir_.File("out");
  Click(dlg, mainid::kBackup);
  ASSERT_TRUE(disk.IsWindowVisible());
  disk.GetDlgItem(CDiskDlg::kBackupDestination)->SetWindowText(CString(out));
  static_cast<CComboBox*>(disk.GetDlgItem(CDiskDlg::kBackupFormat))->SetCurSel(CDiskDlg::kAviFormat);
  disk.RecordList().SetCheck(1);
  disk.SetRecordTimePicker(card->recordings[0].entry.start, 0);
  disk.SetRecordTimePicker(card->recordings[2].entry.end, 1);
  Click(disk, CDiskDlg::kBackupButton);
  ASSERT_TRUE(PumpUntil([&] { return !disk.aviExport; }, kJobDeadline));
  EXPECT_TRUE(LastBoxSaysCompleted());
  const std::vector<std::string> avis = FilesEndingIn(out, ".avi");
  ASSERT_EQ(avis.size(), 1u);
  EXPECT_EQ(fixtures::DecodeErrors(avis[0]), "");
  const fixtures::ProbedMedia media = fixtures::ProbeMedia(avis[0]);
  ASSERT_EQ(media.streams.size(), 2u);
  EXPECT_EQ(media.streams[0].Get("codec_name"), "h264");
  EXPECT_EQ(media.PacketsOf(0).size(), static_cast<size_t>(card->recordings[1].pictures));
  EXPECT_EQ(media.streams[1].Get("codec_name"), "pcm_s16le");
  EXPECT_EQ(FilesEndingIn(out, ".srt").size(), 1u);

  static_cast<CComboBox*>(disk.GetDlgItem(CDiskDlg::kBackupFormat))->SetCurSel(CDiskDlg::kSdFormat);
  disk.RecordList().SetCheck(0);
  disk.RecordList().SetCheck(1, FALSE);
  disk.RecordList().SetCheck(2);
  Click(disk, CDiskDlg::kBackupButton);
  ASSERT_TRUE(PumpUntil([&] { return !disk.jobRunning; }, kJobDeadline));
  EXPECT_TRUE(LastBoxSaysCompleted());
  const std::vector<std::string> backups = FilesEndingIn(out, ".sd");
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(BackedUpRecordings(backups[0], *card),
            (std::vector<std::uint32_t>{card->recordings[0].entry.first, card->recordings[2].entry.first}));
  plat::test::SavePng(plat::test::Grab(&dlg), "e2e-card-exported");
  dlg.DestroyWindow();
}
