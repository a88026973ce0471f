// The day-view model over the recordings of a generated backup, in the PC's zone and in a zone an
// hour east: the days, hours and minutes they mark (one across midnight, two sharing a minute),
// the recording of a chunk, and the time of a chosen minute.
#include <gtest/gtest.h>

#include "platform/Time.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/FakeIbpCtrl.h"
#include "tests/support/ScopedEnvironment.h"
#include "ui/DayViewModel.h"

namespace {

std::int64_t March(int day, int hour, int minute, int second) {
  return plat::LocalToEpoch(2024, 3, day, hour, minute, second);
}

// Each recording of the store as the card dialog hands it on.
void AppendStore(enginetest::FakeIbpCtrl& engine, DayViewModel& model) {
  for (IndexEntry* e = engine.OpenStore(); e != nullptr; e = engine.GetNextEntry(e)) {
    model.AppendSpan({.entry = e, .start = e->StartTime(), .end = e->EndTime(), .firstChunk = e->FirstChunk()});
  }
}

}  // namespace

TEST(DayViewModelTest, GeneratedRecordingsMarkTheirDaysMinutesAndChunksInTheZoneShown) {
  ScopedEnvironment utc("TZ", "UTC");
  fixtures::ScratchDir dir("dayviewmodel");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 4.0);
  desc.recordings[0].start = March(5, 23, 59, 58);  // runs past midnight
  desc.recordings[1].start = March(6, 10, 5, 10);
  desc.recordings[2].start = March(6, 10, 5, 50);  // the same minute as the one before
  const auto sd = fixtures::BuildStore(desc, dir.File("days.sd"));
  ASSERT_TRUE(sd);
  enginetest::FakeIbpCtrl engine;
  ASSERT_TRUE(engine.UseStore(sd->path));
  DayViewModel model;
  AppendStore(engine, model);
  ASSERT_EQ(model.SpanCount(), 3);

  const app::DisplayZone pc = app::DisplayZone::PcZone();
  const app::DisplayZone east = app::DisplayZone::Fixed(3600);
  EXPECT_EQ(model.RecordedDays(pc), (std::vector<panels::Date>{{2024, 3, 5}, {2024, 3, 6}}));
  EXPECT_EQ(model.RecordedDays(east), (std::vector<panels::Date>{{2024, 3, 6}}));
  model.FillDay({2024, 3, 5}, pc);
  EXPECT_EQ(std::vector<int>({model.MinuteRecord(23, 58), model.MinuteRecord(23, 59), model.MinuteRecord(0, 0)}),
            std::vector<int>({-1, 0, -1}));
  model.FillDay({2024, 3, 6}, pc);
  EXPECT_EQ(std::vector<int>({model.MinuteRecord(0, 0), model.MinuteRecord(10, 5), model.MinuteRecord(10, 6)}),
            std::vector<int>({0, 2, -1}));  // the later of two recordings in one minute
  model.FillDay({2024, 3, 6}, east);
  EXPECT_EQ(std::vector<int>(
                {model.MinuteRecord(0, 59), model.MinuteRecord(1, 0), model.MinuteRecord(11, 5), model.HourMark(10)}),
            std::vector<int>({0, 0, 2, 0}));

  // A chunk belongs to the last recording that starts at or before it.
  const std::uint32_t first = sd->recordings[0].entry.first;
  const std::uint32_t third = sd->recordings[2].entry.first;
  EXPECT_EQ(std::vector<int>({model.SpanOfChunk(-1), model.SpanOfChunk(first - 1), model.SpanOfChunk(first),
                              model.SpanOfChunk(sd->recordings[1].entry.first - 1), model.SpanOfChunk(third),
                              model.SpanOfChunk(third + 1000)}),
            std::vector<int>({-1, -1, 0, 0, 2, 2}));

  // A minute plays only once both hour and minute are chosen; a recording time chooses its day,
  // hour and minute as the zone shows them.
  DayViewModel chosen;
  chosen.ChooseHour(11);
  EXPECT_FALSE(chosen.ChosenMinuteOf({2024, 3, 6}, east));
  ASSERT_TRUE(model.ChooseTime(desc.recordings[1].start.value(), east));
  EXPECT_EQ(model.ChosenDay(), (panels::Date{2024, 3, 6}));
  EXPECT_EQ(std::pair(model.ChosenHour(), model.ChosenMinute()), std::pair(11, 5));
  EXPECT_EQ(model.ChosenMinuteOf({2024, 3, 6}, east), March(6, 10, 5, 0));
  ASSERT_TRUE(model.ChooseTime(desc.recordings[0].start.value() + 3, pc));
  EXPECT_EQ(model.ChosenDay(), (panels::Date{2024, 3, 6}));
  EXPECT_EQ(model.ChosenMinuteOf({2024, 3, 5}, pc), March(5, 0, 0, 0));

  model.ClearSpans();
  EXPECT_EQ(model.SpanOfChunk(third), -1);
  EXPECT_TRUE(model.RecordedDays(pc).empty());
}
