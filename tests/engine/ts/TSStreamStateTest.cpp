// What the reader keeps about a transport stream besides its units: the frame rate and group
// length, the sensor block built from the sensor texts, and the folder's list of files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ts/FindFilePath.h"
#include "engine/ts/TSFrameRate.h"
#include "engine/ts/TSSensorText.h"
#include "platform/File.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/TsBuilder.h"

namespace {

std::vector<std::uint8_t> Head(int byte82) {
  std::vector<std::uint8_t> head(8192, 0xFF);
  head[82] = static_cast<std::uint8_t>(byte82);
  return head;
}

// The rate measured over 30 units at the given real rate.
int MeasuredAt(double fps, std::uint64_t firstPts = 900000) {
  CTSFrameRate rate;
  const auto head = Head(0xFF);
  rate.StartFile(head.data(), head.size());
  for (int i = 0; i < CTSFrameRate::kMeasuredUnits; ++i) {
    EXPECT_FALSE(rate.Known());
    EXPECT_EQ(rate.Rate(), 30);
    rate.TakeStamp(firstPts + static_cast<std::uint64_t>(std::llround(i * 90000.0 / fps)));
  }
  EXPECT_TRUE(rate.Known());
  return rate.Rate();
}

std::string Text(const std::string& numbers, const std::string& gps = "") {
  std::string t = numbers;
  if (!gps.empty()) {
    t.resize(kSensorGpsOffset, ' ');
    t += gps;
  }
  return t;
}

void Apply(IndexBlockA5& block, const std::string& text) {
  ApplySensorText(block, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::int16_t LeanAfter(const IndexBlockA5& block, int sample) {
  std::int16_t v;
  std::memcpy(&v, &block.bytes[44 + static_cast<std::size_t>(sample) * 6 + 6], 2);
  return v;
}

}  // namespace

TEST(TSFrameRate, DeclaredByByte82OrMeasuredAndSnapped) {
  CTSFrameRate rate;
  for (int declared : {1, 25, 120}) {
    const auto head = Head(declared);
    rate.StartFile(head.data(), head.size());
    EXPECT_TRUE(rate.Known());
    EXPECT_EQ(rate.Rate(), declared);
  }
  // 0xFF declares nothing; neither do 0 (which would give a rate of 0) and 121.
  for (int undeclared : {0xFF, 0, 121}) {
    const auto head = Head(undeclared);
    rate.StartFile(head.data(), head.size());
    EXPECT_FALSE(rate.Known()) << undeclared;
    EXPECT_EQ(rate.Rate(), 30);
  }
  const auto head = Head(25);
  rate.StartFile(head.data(), 82);  // too short to hold byte 82
  EXPECT_FALSE(rate.Known());

  // Pictures are paced at the recording rate nearest to the one measured.
  const struct {
    double fps;
    int rate;
  } measured[] = {{19, 15}, {23.976, 24}, {24, 24}, {25, 25}, {29.97, 30}, {30, 30},
                  {50, 50}, {59.94, 60}, {60, 60}, {1000, 60}, {0.5, 15}};
  for (const auto& m : measured) EXPECT_EQ(MeasuredAt(m.fps), m.rate) << m.fps;

  // Equal stamps measure nothing: the count starts again.
  rate.StartFile(Head(0xFF).data(), 8192);
  for (int i = 0; i < CTSFrameRate::kMeasuredUnits; ++i) rate.TakeStamp(5000);
  EXPECT_FALSE(rate.Known());
  for (int i = 0; i < CTSFrameRate::kMeasuredUnits; ++i) rate.TakeStamp(5000 + static_cast<std::uint64_t>(i) * 1800);
  EXPECT_EQ(rate.Rate(), 50);
  // Stamps read backward measure the same.
  rate.StartFile(Head(0xFF).data(), 8192);
  for (int i = CTSFrameRate::kMeasuredUnits; i > 0; --i) rate.TakeStamp(static_cast<std::uint64_t>(i) * 3600);
  EXPECT_EQ(rate.Rate(), 25);
}

TEST(TSFrameRate, GroupLengthAtTheSecondKeyFrameAfterTheRateIsKnown) {
  CTSFrameRate rate;
  const auto head = Head(30);
  rate.StartFile(head.data(), head.size());
  rate.TakePicture(false, false);  // before the first key frame: not counted
  rate.TakePicture(true, false);   // a key frame without a parameter set does not count
  EXPECT_EQ(rate.GopSeconds(), 0);
  rate.TakePicture(true, true);
  for (int i = 0; i < 59; ++i) rate.TakePicture(false, false);
  EXPECT_EQ(rate.GopSeconds(), 0);
  rate.TakePicture(true, true);
  EXPECT_EQ(rate.GopSeconds(), 2);
  rate.TakePicture(true, true);
  EXPECT_EQ(rate.GopSeconds(), 2);  // found once per file

  rate.StartFile(head.data(), head.size());
  rate.TakePicture(true, true);
  for (int i = 0; i < 10; ++i) rate.TakePicture(false, false);
  rate.RestartCounts();  // a seek: the count starts again
  rate.TakePicture(true, true);
  rate.TakePicture(true, true);
  EXPECT_EQ(rate.GopSeconds(), 1);  // at least one second

  // While the rate is measured nothing is counted.
  rate.StartFile(Head(0xFF).data(), 8192);
  rate.TakePicture(true, true);
  rate.TakePicture(true, true);
  EXPECT_EQ(rate.GopSeconds(), 0);
}

TEST(TSSensorText, SamplesLeanAndGpsTextIntoTheSensorBlock) {
  IndexBlockA5 block;
  const std::string rmc = "$GPRMC,081230,A,2503.0000,N,12130.0000,E,30.0,90.0,010324,,,A*6C";
  Apply(block, Text("X:0.5 Y:-0.25 Z:1.0 L:120", rmc));
  EXPECT_EQ(block.Magic(), kIndexBlockA5Magic);
  EXPECT_EQ(block.SampleCount(), 1);
  EXPECT_EQ(block.Sample(0), (std::array<std::int16_t, 3>{256, -128, 512}));
  EXPECT_EQ(LeanAfter(block, 0), 90);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GpsText(0)), rmc.size()), rmc);
  EXPECT_EQ(block.bytes[344 + rmc.size()], 0);  // the payload ended: zeros, nothing read past it

  // A text without "$G" keeps the GPS text; values too large for 16 bits are held at the limits.
  Apply(block, "Z:-100 X:99.9 L:-91.5");
  EXPECT_EQ(block.SampleCount(), 2);
  EXPECT_EQ(block.Sample(1), (std::array<std::int16_t, 3>{32767, 0, -32768}));
  EXPECT_EQ(LeanAfter(block, 1), -90);
  EXPECT_EQ(block.bytes[344], '$');

  // A "$G" text shorter than the GPS offset clears the GPS area; the text stops at a zero byte
  // and after 300 bytes.
  std::string shortGps = "$G X:1";
  Apply(block, shortGps);
  EXPECT_EQ(block.bytes[344], 0);
  EXPECT_EQ(block.Sample(2)[0], 512);
  std::string hidden("X:2", 3);
  hidden += std::string(1, '\0') + "Y:3";
  Apply(block, hidden);
  EXPECT_EQ(block.Sample(3), (std::array<std::int16_t, 3>{1024, 0, 0}));
  std::string late(300, ' ');
  late += "X:1";
  Apply(block, late);
  EXPECT_EQ(block.Sample(4)[0], 0);

  // The count wraps to 0 at 50; the lean after the last triple would fall into the GPS text.
  Apply(block, Text("X:0.1 L:5", rmc));
  for (int i = 6; i < 49; ++i) Apply(block, "Y:0.5 L:7");
  EXPECT_EQ(block.SampleCount(), 49);
  EXPECT_EQ(LeanAfter(block, 48), 7);
  Apply(block, "Y:0.5 L:7");
  EXPECT_EQ(block.SampleCount(), 0);
  EXPECT_EQ(block.Sample(49)[1], 256);
  EXPECT_EQ(block.bytes[344], '$');
  Apply(block, "X:-1");
  EXPECT_EQ(block.SampleCount(), 1);
  EXPECT_EQ(block.Sample(0)[0], -512);
}

TEST(TSFileList, TsFilesOfTheFolderSortedWithoutRegardToCase) {
  fixtures::ScratchDir dir("tslist");
  for (const char* name : {"b.ts", "A.ts", "c.TS", "a2.ts", "notes.txt", "d.ts.bak", "B.ts"}) {
    ASSERT_TRUE(fixtures::WriteFileBytes(dir.File(name), {0x47}));
  }
  ASSERT_TRUE(plat::MakeDirs(dir.File("e.ts")));  // a folder is not a file
  EXPECT_EQ(ListTsFiles(dir.Path()), (std::vector<std::string>{dir.File("A.ts"), dir.File("a2.ts"),
                                                                dir.File("B.ts"), dir.File("b.ts"),
                                                                dir.File("c.TS")}));

  CFindFilePath first(dir.File("A.ts"));
  ASSERT_TRUE(first.Start());
  EXPECT_EQ(first.Previous(), std::nullopt);
  EXPECT_EQ(first.Next(), dir.File("a2.ts"));
  CFindFilePath last(dir.File("c.TS"));
  ASSERT_TRUE(last.Start());
  EXPECT_EQ(last.Previous(), dir.File("b.ts"));
  EXPECT_EQ(last.Next(), std::nullopt);
  CFindFilePath gone(dir.File("zz.ts"));
  ASSERT_TRUE(gone.Start());
  EXPECT_EQ(gone.Files().size(), 5u);
  EXPECT_EQ(gone.Next(), std::nullopt);
}
