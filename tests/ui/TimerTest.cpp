#include "controls/Messages.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

using Texts = std::vector<std::string>;

class TimerTest : public TransportTest {};

namespace {

bool Selected(CMainDlg& dlg, int row) {
  auto* list = dynamic_cast<CListCtrl*>(dlg.GetDlgItem(mainid::kRecordList));
  return list->GetItemState(row, LVIS_SELECTED) != 0;
}

}  // namespace

// The timer follows the recording shown: it selects it (sliders, card dialog bounds, row), moves
// the position and its tip, widens the range for a time past its end, and does nothing while a
// selection has locked it; seeks are refused for 500 ms after a selection.
TEST_F(TimerTest, TheTimerFollowsTheRecordingShownAndASelectionLocksTimerAndSeeks) {
  ScopedEnvironment tz("TZ", "Europe/Berlin");
  CMainDlg& dlg = OpenThree(4.0);
  auto& answers = fake_.engine().answers;
  EXPECT_EQ(dlg.FindCurrentRecord(), -1);
  answers.shownChunk = Span(0).firstChunk - 1;
  EXPECT_EQ(dlg.FindCurrentRecord(), -1);
  answers.shownChunk = Span(2).firstChunk;
  EXPECT_EQ(dlg.FindCurrentRecord(), 2);

  answers.shownChunk = Span(1).firstChunk + 1;
  answers.displayTime = Span(1).start + 2;
  plat::test::AdvanceTime(1000);
  CVxSkinSldButton& position = dlg.GetPositionSlider();
  EXPECT_EQ(position.GetRangeMin(), Span(1).start);
  EXPECT_EQ(position.GetRangeMax(), Span(1).end);
  EXPECT_EQ(position.GetPos(), Span(1).start + 2);
  EXPECT_EQ(PositionTip(), plat::ToQString(app::DisplayTimeText(Span(1).start + 2, dlg.GetDisplayZone())));
  EXPECT_TRUE(Selected(dlg, 1));
  EXPECT_FALSE(Selected(dlg, 0));
  EXPECT_EQ(dlg.GetDiskDlg().GetTimeBound(0), Span(1).start + dlg.GetUtcOffsetSeconds());
  EXPECT_EQ(dlg.GetDiskDlg().GetTimeBound(1), Span(1).end + dlg.GetUtcOffsetSeconds());

  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).start + 3);
  plat::test::AdvanceTime(499);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).start + 3);
  EXPECT_TRUE(fake_.engine().CallsNamed("Seek").empty());
  plat::test::AdvanceTime(1);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).end + 100);  // clamped to the recording
  EXPECT_EQ(TakeCommands().back(), "Seek(" + std::to_string(Span(1).end) + ")");

  answers.displayTime = Span(1).end + 50;
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(position.GetRangeMin(), Span(1).start);
  EXPECT_EQ(position.GetRangeMax(), Span(1).end + 50);
  EXPECT_EQ(position.GetPos(), Span(1).end + 50);
  EXPECT_TRUE(dlg.SelectRecord(2, false));
  EXPECT_FALSE(dlg.SelectRecord(2, false));
  answers.displayTime = Span(1).start + 1;
  dlg.SendMessage(WM_TIMER, CMainDlg::kTimerId);
  EXPECT_EQ(position.GetPos(), Span(1).end + 50);  // locked by the selection
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(position.GetRangeMin(), Span(1).start);
  EXPECT_EQ(position.GetPos(), Span(1).start + 1);
  EXPECT_FALSE(dlg.SelectRecord(7, false));
  answers.displayTime = Span(1).start + 2;  // a repaint runs a pass after it, between the ticks
  plat::test::AdvanceTime(500);
  dlg.Invalidate();
  plat::test::Pump();
  EXPECT_EQ(position.GetPos(), Span(1).start + 2);
}

// Next and previous file stop at the ends and restart the last recording when nothing is shown;
// a request to play the next one is taken once in 5 s and keeps the speed; a seek while paused
// after a step back steps back at the new place; the range slider sets the card dialog's bounds.
TEST_F(TimerTest, NextAndPreviousFilePlayNextRequestsPausedSeeksAndTheTimeRange) {
  CMainDlg& dlg = OpenThree(4.0);
  auto& answers = fake_.engine().answers;
  answers.shownChunk = Span(2).firstChunk;
  Click(mainid::kNextFile);
  answers.shownChunk = Span(0).firstChunk;
  Click(mainid::kPrevFile);
  EXPECT_TRUE(fake_.engine().CallsNamed("Play").empty());
  Click(mainid::kNextFile);
  EXPECT_EQ(fake_.engine().CallsNamed("Play").back().Text(), "Play(" + EntryText(1) + ", 0)");
  answers.shownChunk = -1;
  TakeCommands();
  Click(mainid::kNextFile);  // nothing shown: Stop, then Play opens the engine's recording again
  Texts calls = TakeCommands();
  EXPECT_EQ(calls.front(), "Close()");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Play(" + EntryText(1) + ", 0)"), calls.end());

  answers.shownChunk = Span(0).firstChunk;
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSpeedLevel, 6);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 0);  // within 200 ms of the start
  plat::test::AdvanceTime(200);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 1);
  calls = TakeCommands();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Play(" + EntryText(1) + ", 0)"), calls.end());
  EXPECT_EQ(calls.back(), "SetSpeed(4)");
  plat::test::AdvanceTime(4000);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 0);
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(dlg.SendMessage(WM_PLAYER_PLAYNEXT), 1);

  answers.currentEntry = Span(0).entry;
  plat::test::AdvanceTime(1000);
  Click(mainid::kPrevFrame);
  TakeCommands();
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderSeek, Span(1).start + 1);
  EXPECT_EQ(TakeCommands(), (Texts{"SetSpeed(1)", "SetPause(0)", "SetTimeZoneOffset(" +
                                       std::to_string(dlg.GetTimeZoneOffset()) + ")",
                                   "Play(" + EntryText(0) + ", 0)", "SetKeepProportion(0)",
                                   "Seek(" + std::to_string(Span(1).start + 1) + ")", "SetSpeed(-1.1)", "SetPause(0)"}));

  const QString tip = PositionTip();
  answers.shownChunk = -1;
  for (int kind : {0, 1, 6}) dlg.SendMessage(WM_SLIDER_DRAGGED, kind, Span(0).start + 3);
  EXPECT_EQ(PositionTip(), tip);
  dlg.GetTimeRangeSlider().SetPos(1, static_cast<int>(Span(0).end) - 1);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderTimeRange, 0);
  EXPECT_EQ(dlg.GetDiskDlg().GetTimeBound(1), Span(0).end - 1 + dlg.GetUtcOffsetSeconds());
}
