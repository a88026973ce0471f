#include "controls/Messages.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

class TimerTest : public TransportTest {};

// The timer follows the recording shown: it selects it (sliders, card dialog bounds, its row
// alone), moves the position and its tip, widens the range for a time past its end, and does
// nothing while a selection has locked it; seeks wait 500 ms after a selection; a repaint runs
// a pass once it is over.
TEST_F(TimerTest, TheTimerFollowsTheRecordingShownAndASelectionLocksTimerAndSeeks) {
  ScopedEnvironment tz("TZ", "Europe/Berlin");
  CMainDlg& dlg = OpenThree(4.0);
  auto& answers = fake_.engine().answers;
  CVxSkinSldButton& position = dlg.GetPositionSlider();
  using Slider = std::array<std::int64_t, 3>;  // range and position
  const auto slider = [&] { return Slider{position.GetRangeMin(), position.GetRangeMax(), position.GetPos()}; };
  auto* list = dynamic_cast<CListCtrl*>(dlg.GetDlgItem(mainid::kRecordList));
  answers.shownChunk = Span(0).firstChunk - 1;
  EXPECT_EQ(dlg.FindCurrentRecord(), -1);
  answers.shownChunk = Span(1).firstChunk + 1;
  answers.displayTime = Span(1).start + 2;
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(slider(), (Slider{Span(1).start, Span(1).end, Span(1).start + 2}));
  EXPECT_EQ(PositionTip(), plat::ToQString(app::DisplayTimeText(Span(1).start + 2, dlg.GetDisplayZone())));
  EXPECT_TRUE(list->GetItemState(1, LVIS_SELECTED) && !list->GetItemState(0, LVIS_SELECTED));
  EXPECT_EQ(dlg.GetDiskDlg().GetTimeBound(1), Span(1).end + dlg.GetUtcOffsetSeconds());

  plat::test::AdvanceTime(499);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).start + 3);
  EXPECT_TRUE(fake_.engine().CallsNamed("Seek").empty());
  plat::test::AdvanceTime(1);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).end + 100);  // clamped to the recording
  EXPECT_EQ(TakeCommands().back(), "Seek(" + std::to_string(Span(1).end) + ")");

  answers.displayTime = Span(1).end + 50;
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(slider(), (Slider{Span(1).start, Span(1).end + 50, Span(1).end + 50}));
  EXPECT_TRUE(dlg.SelectRecord(2, false));
  EXPECT_FALSE(dlg.SelectRecord(2, false));
  answers.displayTime = Span(1).start + 1;
  dlg.SendMessage(WM_TIMER, CMainDlg::kTimerId);
  EXPECT_EQ(position.GetRangeMin(), Span(2).start);
  plat::test::AdvanceTime(500);
  dlg.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(slider(), (Slider{Span(1).start, Span(1).end, Span(1).start + 1}));
}

// Next and previous file stop at the ends and restart the engine's recording when nothing is
// shown; a play-next request is taken once in 5 s and keeps the speed; a seek while paused after
// a step back steps back at the new place; the range slider's end thumb sets the card dialog's.
TEST_F(TimerTest, NextAndPreviousFilePlayNextRequestsPausedSeeksAndTheTimeRange) {
  CMainDlg& dlg = OpenThree(4.0);
  auto& answers = fake_.engine().answers;
  answers.shownChunk = Span(2).firstChunk;
  Click(mainid::kNextFile);
  answers.shownChunk = Span(0).firstChunk;
  Click(mainid::kPrevFile);
  EXPECT_TRUE(TakeCommands().empty());
  Click(mainid::kNextFile);
  EXPECT_TRUE(Has(TakeCommands(), PlayOf(1)));
  answers.shownChunk = -1;
  Click(mainid::kNextFile);
  Texts calls = TakeCommands();
  EXPECT_TRUE(calls.front() == "Close()" && Has(calls, PlayOf(1)));

  answers.shownChunk = Span(0).firstChunk;
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSpeedLevel, 6);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 0);  // within 200 ms of the start
  plat::test::AdvanceTime(200);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 1);
  calls = TakeCommands();
  EXPECT_TRUE(Has(calls, PlayOf(1)) && calls.back() == "SetSpeed(4)");
  plat::test::AdvanceTime(4999);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 0);
  plat::test::AdvanceTime(1);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 1);

  answers.currentEntry = Span(0).entry;
  plat::test::AdvanceTime(1000);
  Click(mainid::kPrevFrame);
  TakeCommands();
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).start + 1);
  calls = TakeCommands();
  EXPECT_EQ(Texts(calls.end() - 3, calls.end()), (Texts{"Seek(" + std::to_string(Span(1).start + 1) + ")", "SetSpeed(-1.1)", "SetPause(0)"}));
  EXPECT_TRUE(Has(calls, PlayOf(0)));

  dlg.GetTimeRangeSlider().SetPos(1, static_cast<int>(Span(0).end) - 1);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderTimeRange, 0);
  EXPECT_EQ(dlg.GetDiskDlg().GetTimeBound(1), Span(0).end - 1 + dlg.GetUtcOffsetSeconds());
}
