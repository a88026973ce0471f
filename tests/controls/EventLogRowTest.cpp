#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "controls/EventLogRow.h"

TEST(EventLogRowTest, AFreshRowIsAPlainRecordAndOutOfRangeFlagsReadFlagZero) {
  EventLogRow row;
  EXPECT_EQ(row.GetFlag(0), 1);
  for (int i = 1; i < kEventFlagCount; ++i) EXPECT_EQ(row.GetFlag(i), 0) << i;
  EXPECT_EQ(row.taxi, 0);
  EXPECT_EQ(row.kind, 0);
  EXPECT_EQ(row.position[0], '\0');

  row.flags[0] = 0;
  row.flags[5] = 1;
  row.taxi = 1;
  row.kind = 6;
  EXPECT_EQ(row.GetFlag(13), 0);
  EXPECT_EQ(row.GetFlag(-1), 0);
  EXPECT_EQ(row.GetFlag(5), 1);
  row.flags[0] = 1;
  EXPECT_EQ(row.GetFlag(13), 1);
  EXPECT_EQ(row.GetFlag(1000), 1);

  row.Reset();
  EXPECT_EQ(row.GetFlag(5), 0);
  EXPECT_EQ(row.taxi, 0);
  EXPECT_EQ(row.kind, 0);
}

TEST(EventLogRowTest, EventColoursFollowTheFlagTableWithGreyForMinusOne) {
  EXPECT_EQ(GetEventColor(-1), 0xAAAAAAu);
  EXPECT_EQ(GetEventColor(0), 0x000000u);
  EXPECT_EQ(GetEventColor(1), 0x923F9Cu);
  EXPECT_EQ(GetEventColor(4), 0x24BF82u);
  EXPECT_EQ(GetEventColor(5), GetEventColor(6));
  EXPECT_EQ(GetEventColor(12), 0x9D9E00u);
  EXPECT_EQ(GetEventColor(13), 0u);
  EXPECT_EQ(GetEventColor(-2), 0u);
}

TEST(EventLogRowTest, TriggerTextsSetTheirFlagsAndFlagZeroOnlyWhenNoneIsSet) {
  EventLogRow row;
  EventLogTriggers t;
  t.event = "100";
  row.SetEventFlags(t);
  EXPECT_EQ(row.GetFlag(4), 1);
  EXPECT_EQ(row.GetFlag(0), 0);
  for (int i : {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12}) EXPECT_EQ(row.GetFlag(i), 0) << i;

  t.event = "011";
  t.gSensorTrigger = "1";
  t.overspeedTrigger = "1";
  t.idleTrigger = "1";
  t.otherExternal = "1";
  t.mobileLdws = "1";
  t.mobileFcw = "2";
  t.headwayWarning = true;
  row.SetEventFlags(t);
  for (int i : {1, 2, 3, 5, 7, 8, 9, 10, 12}) EXPECT_EQ(row.GetFlag(i), 1) << i;
  for (int i : {0, 4, 6, 11}) EXPECT_EQ(row.GetFlag(i), 0) << i;
  t.mobileFcw = "1";
  row.SetEventFlags(t);
  EXPECT_EQ(row.GetFlag(11), 1);
  EXPECT_EQ(row.GetFlag(12), 0);

  // A record without a trigger, with an event text of zeros or a short one, is plain again.
  row.SetEventFlags(EventLogTriggers{"0", "0", "0", "0", "0", "0", "0", false});
  EXPECT_EQ(row.GetFlag(0), 1);
  for (int i = 1; i < kEventFlagCount; ++i) EXPECT_EQ(row.GetFlag(i), 0) << i;
}

TEST(EventLogRowTest, ALongPositionTextIsCutTo79BytesAndTerminated) {
  EventLogRow row;
  std::memset(row.position, 'x', sizeof(row.position));
  const std::string gps(100, 'G');
  row.SetPosition(gps);
  EXPECT_EQ(std::strlen(row.position), 79u);
  EXPECT_EQ(std::string(row.position), gps.substr(0, 79));
  row.SetPosition("$GPRMC,1");
  EXPECT_STREQ(row.position, "$GPRMC,1");
  EXPECT_EQ(row.position[kEventPositionSize - 1], '\0');
  row.SetPosition("");
  EXPECT_STREQ(row.position, "");
}
