// The card-source controller as the card dialog's owner, on the fake engine with a generated
// backup: the recordings the dialog lists land in the day-view model in order, their rows and
// times in the controller's zone, a backup forgets the card drive, and what only a window can do
// (stop, list a row, play, lock its controls) reaches the window in the order the dialog asks it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardtools/DiskDlg.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/FakeIbpCtrl.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestHarness.h"
#include "ui/CardSourceCtrl.h"

namespace {

// The window's side: every request as text; a play succeeds.
class WindowRecorder : public ICardSourceView {
 public:
  bool OpenCard(const CString& drivePath) override {
    told.push_back("open " + drivePath.ToUtf8());
    return false;
  }
  void OnRecordSpanAppended(int n, const RecordRowTexts& row) override {
    told.push_back("row " + std::to_string(n) + " " + row.start.ToUtf8());
  }
  void OnRecordSpansCleared() override { told.push_back("cleared"); }
  void StopPlayback() override { told.push_back("stop"); }
  bool IsPlaying() const override { return false; }
  bool PlayRecord(int n) override {
    told.push_back("play " + std::to_string(n));
    return true;
  }
  void EnableMainControls(bool enable) override { told.push_back(enable ? "controls on" : "controls off"); }
  CRect GetCardDialogArea() const override { return {}; }
  std::vector<std::string> Take() { return std::exchange(told, {}); }
  std::vector<std::string> told;
};

}  // namespace

TEST(CardSourceCtrlTest, TheCardDialogListsABackupIntoTheModelAndHandsTheWindowItsPart) {
  plat::test::Reset();
  ScopedEnvironment utc("TZ", "UTC");
  fixtures::ScratchDir dir("cardsource");
  const auto sd = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 3.0), dir.File("trip.sd"));
  ASSERT_TRUE(sd);
  enginetest::FakeIbpCtrl engine;
  ASSERT_TRUE(engine.UseStore(sd->path));
  DayViewModel model;
  WindowRecorder window;
  CardSourceCtrl source(model, window);
  source.SetEngine(&engine);
  source.SetTimeZoneOffset(3600);
  source.SetDstHours(1);
  source.SetCardDriveNumber(37);

  plat::test::SpyWnd main;
  ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 1280, 800)));
  CDiskDlg dialog(source, &main);
  ASSERT_TRUE(dialog.Create(CDiskDlg::kTemplate, &main));

  // Rows show the chosen zone without the card's daylight saving; the dialog's bounds take both.
  const std::vector<std::string> listed{"stop", "cleared", "row 0 2024-03-01 09:12:30", "row 1 2024-03-01 09:13:33"};
  for (int open = 0; open < 2; ++open) {
    ASSERT_TRUE(dialog.OpenSdFile(CString(sd->path)));
    EXPECT_EQ(window.Take(), listed);
    ASSERT_EQ(model.SpanCount(), 2);  // opened again, not appended twice
  }
  EXPECT_EQ(model.Span(1).firstChunk, sd->recordings[1].entry.first);
  EXPECT_EQ(dialog.GetTimeBound(0), sd->recordings[0].entry.start + 2 * 3600);
  EXPECT_EQ(source.GetCardDriveNumber(), CardSourceCtrl::kNoDrive);

  // A double click on the second row plays it through the window, and the dialog steps aside.
  dialog.ShowForTask(CDiskDlg::kPlaybackTask);
  NMITEMACTIVATE click{};
  click.hdr.idFrom = CDiskDlg::kRecordList;
  click.hdr.code = static_cast<UINT>(NM_DBLCLK);
  click.iItem = 1;
  dialog.SendMessage(WM_NOTIFY, CDiskDlg::kRecordList, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(window.Take(), std::vector<std::string>{"play 1"});
  EXPECT_FALSE(dialog.IsWindowVisible());
  dialog.EnableControls(false);
  EXPECT_EQ(window.Take(), std::vector<std::string>{"controls off"});

  // Closing the source forgets the model's spans with the dialog's rows.
  dialog.CloseSource();
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"stop", "cleared"}));
  EXPECT_EQ(model.SpanCount(), 0);
  dialog.DestroyWindow();
}
