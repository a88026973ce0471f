#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

#include "OsdSamples.h"
#include "engine/video/OsdLayout.h"
#include "platform/gdi/GdiObjects.h"
#include "tests/support/ScopedEnvironment.h"

using namespace osdsamples;

namespace {

constexpr COLORREF kTimeColor = RGB(255, 255, 0);
constexpr COLORREF kRed = 0x0000FF;

struct Line {
  std::wstring text;
  int x;
  int y;
  bool operator==(const Line&) const = default;
};

void PrintTo(const Line& line, std::ostream* os) {
  *os << CString(line.text).ToUtf8() << " @ (" << line.x << ", " << line.y << ")";
}

std::vector<Line> Lines(const std::vector<OsdText>& texts) {
  std::vector<Line> lines;
  for (const OsdText& t : texts) lines.push_back({t.text.str(), t.x, t.y});
  return lines;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
  return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfCharSet == b.lfCharSet &&
         plat::FaceNameOf(a) == plat::FaceNameOf(b);
}

}  // namespace

TEST(OsdLayoutTest, CarDataLinesWithFontColourAndPlacement) {
  const OsdSettings settings = CarDataSettings();
  OsdFrame frame = FrameWithCarData(1280, 720);
  frame.carData.status = kCarStatusEmergencyBraking | kCarStatusBrakeOn;
  const std::vector<OsdText> texts = OsdLayout(settings, frame);
  // A left of -190 counts from the right edge; a top of 10 goes down in 20-pixel steps.
  const std::vector<Line> expected = {
      {L"Speed: 100.0 Km/h", 1090, 10},        {L"RPM: 2500", 1090, 30},
      {L"Engine Loading: 45%", 1090, 50},      {L"Battery Voltage: 13.8 V", 1090, 70},
      {L"Engine Temperature: 90 C", 1090, 90}, {L"Throttle Position:  7%", 1090, 110},
      {L"Emergency Braking", 1090, 130}};
  EXPECT_EQ(Lines(texts), expected);
  for (const OsdText& t : texts) {
    EXPECT_EQ(t.color, kEdrColor);
    EXPECT_TRUE(SameFont(t.font, *settings.edrFont));
  }
  EXPECT_EQ(settings.edrFont->lfHeight, 14);
  EXPECT_EQ(settings.edrFont->lfWeight, 900);
  EXPECT_EQ(plat::FaceNameOf(*settings.edrFont), L"Arial");
  EXPECT_EQ(plat::FaceNameOf(EdrFont(14, CString(std::wstring(40, L'x')))),
            CString(std::wstring(31, L'x')));

  // Without the emergency-braking bit the seventh line goes.
  frame.carData.status = kCarStatusBrakeOn;
  EXPECT_EQ(OsdLayout(settings, frame).size(), 6u);

  // A top of -130 puts the first line 130 pixels above the bottom and the rest upward; a left
  // of 0 or more counts from the left edge.
  OsdSettings bottom = settings;
  bottom.edrLeft = 16;
  bottom.edrTop = -130;
  const std::vector<Line> upward = Lines(OsdLayout(bottom, frame));
  ASSERT_EQ(upward.size(), 6u);
  for (size_t i = 0; i < upward.size(); ++i) {
    EXPECT_EQ(upward[i].x, 16);
    EXPECT_EQ(upward[i].y, 590 - 20 * static_cast<int>(i));
  }

  // A damaged settings file puts the text off the picture, nothing worse.
  OsdSettings far = settings;
  far.edrLeft = INT_MIN;
  far.edrTop = INT_MAX;
  far.timeMode = 2;
  far.timeTop = INT_MAX;
  for (const Line& line : Lines(OsdLayout(far, frame))) {
    EXPECT_TRUE(line.x < 0 || line.y > 720) << line.x << "," << line.y;
  }
}

TEST(OsdLayoutTest, NoCarDataTextBeforeCarDataOrWithoutItsFont) {
  OsdFrame frame = FrameWithCarData(1280, 720);
  frame.speed = 1.0;
  frame.carData.time = 0;
  EXPECT_TRUE(OsdLayout(CarDataSettings(), frame).empty());
  frame.carData.time = 1700000000;
  OsdSettings noFont = CarDataSettings();
  noFont.edrFont.reset();
  EXPECT_TRUE(OsdLayout(noFont, frame).empty());
  EXPECT_EQ(OsdLayout(CarDataSettings(), frame).size(), 6u);
}

TEST(OsdLayoutTest, SpeedAndTemperatureUnits) {
  OsdSettings settings = CarDataSettings();
  OsdFrame frame = FrameWithCarData(1280, 720);
  const auto firstAndFifth = [&] {
    const std::vector<OsdText> texts = OsdLayout(settings, frame);
    return std::make_pair(texts.at(0).text.str(), texts.at(4).text.str());
  };
  settings.speedUnit = 1;
  settings.temperatureUnit = 1;
  frame.carData.engineTemperature = 100;
  EXPECT_EQ(firstAndFifth(), std::make_pair(std::wstring(L"Speed: 62.1 Mile/h"),
                                            std::wstring(L"Engine Temperature: 212 F")));
  settings.speedUnit = 2;
  frame.carData.engineTemperature = -40;
  EXPECT_EQ(firstAndFifth(), std::make_pair(std::wstring(L"Speed: 54.0 Knot"),
                                            std::wstring(L"Engine Temperature: -40 F")));
  // Whole-number arithmetic: 37 C is 98.6 F, shown as 98.
  frame.carData.engineTemperature = 37;
  EXPECT_EQ(firstAndFifth().second, L"Engine Temperature: 98 F");
  // Any unit other than 0 is Fahrenheit; a speed unit that names none shows km/h.
  settings.temperatureUnit = 5;
  settings.speedUnit = 7;
  frame.carData.speed = 5;
  EXPECT_EQ(firstAndFifth(), std::make_pair(std::wstring(L"Speed: 5.0 Km/h"),
                                            std::wstring(L"Engine Temperature: 98 F")));
  settings.speedUnit = -1;
  EXPECT_EQ(firstAndFifth().first, L"Speed: 5.0 Km/h");
}

TEST(OsdLayoutTest, SpeedLabels) {
  EXPECT_EQ(SpeedLabel(0.5), CString(L"1/2x"));
  EXPECT_EQ(SpeedLabel(0.25), CString(L"1/4x"));
  EXPECT_EQ(SpeedLabel(0.0625), CString(L"1/16x"));
  EXPECT_EQ(SpeedLabel(1.0 / 32), CString(L"1/32x"));
  EXPECT_EQ(SpeedLabel(0.3), CString(L"1/3x"));
  EXPECT_EQ(SpeedLabel(2.0), CString(L"2x"));
  EXPECT_EQ(SpeedLabel(4.0), CString(L"4x"));
  EXPECT_EQ(SpeedLabel(16.0), CString(L"16x"));
  EXPECT_EQ(SpeedLabel(-1.0), CString(L"-1x"));
  EXPECT_EQ(SpeedLabel(1.0), std::nullopt);
  EXPECT_EQ(SpeedLabel(1.1), std::nullopt);
  EXPECT_EQ(SpeedLabel(-1.1), std::nullopt);
  // Other speeds at or below zero have no inverse to show.
  EXPECT_EQ(SpeedLabel(-2.0), CString(L"-2x"));
  EXPECT_EQ(SpeedLabel(0.0), CString(L"0x"));
  // A vanishing speed does not overflow the label.
  EXPECT_EQ(SpeedLabel(1e-300), CString(L"1/2147483647x"));
}

TEST(OsdLayoutTest, SpeedLabelPlacementFollowsPictureSize) {
  OsdSettings settings;
  settings.osdFont.lfHeight = 30;
  const auto label = [&](int width, int height, double speed) {
    OsdFrame frame;
    frame.width = width;
    frame.height = height;
    frame.speed = speed;
    const std::vector<OsdText> texts = OsdLayout(settings, frame);
    EXPECT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.at(0).color, kRed);
    EXPECT_TRUE(SameFont(texts.at(0).font, settings.osdFont));
    return Lines(texts).at(0);
  };
  EXPECT_EQ(label(352, 288, 0.25), (Line{L"1/4x", 30, 250}));
  EXPECT_EQ(label(640, 480, 4.0), (Line{L"4x", 42, 448}));
  EXPECT_EQ(label(1280, 720, -1.0), (Line{L"-1x", 42, 688}));
  // Narrower than 640 or lower than 480 takes the small offsets.
  EXPECT_EQ(label(639, 720, 2.0), (Line{L"2x", 30, 682}));
  EXPECT_EQ(label(1280, 479, 2.0), (Line{L"2x", 30, 441}));
  OsdFrame normal;
  normal.width = 1280;
  normal.height = 720;
  EXPECT_TRUE(OsdLayout(settings, normal).empty());
}

TEST(OsdLayoutTest, DateAndTimeInLocalTime) {
  OsdSettings settings;
  settings.timeMode = 1;
  settings.timeColor = kTimeColor;
  OsdFrame frame;
  frame.width = 1280;
  frame.height = 720;
  frame.frameTime = 1700000000;
  {
    const ScopedEnvironment utc("TZ", "UTC0");
    const std::vector<OsdText> texts = OsdLayout(settings, frame);
    EXPECT_EQ(Lines(texts), (std::vector<Line>{{L"2023-11-14 22:13:20", 0, 40}}));
    EXPECT_EQ(texts.at(0).color, kTimeColor);
    EXPECT_TRUE(SameFont(texts.at(0).font, DefaultOsdFont()));
  }
  {
    const ScopedEnvironment tokyo("TZ", "JST-9");
    settings.timeLeft = -300;
    settings.timeTop = -100;
    EXPECT_EQ(Lines(OsdLayout(settings, frame)),
              (std::vector<Line>{{L"2023-11-15 07:13:20", 980, 660}}));
  }
  // The default font: a 24-pixel cell of the default character set and no face.
  const LOGFONTW osd = DefaultOsdFont();
  EXPECT_EQ(osd.lfHeight, 24);
  EXPECT_EQ(osd.lfWeight, 0);
  EXPECT_EQ(osd.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(plat::FaceNameOf(osd), L"");
}

TEST(OsdLayoutTest, DiagnosticBlockAndSoundSyncLines) {
  OsdSettings settings;
  settings.timeMode = 2;
  settings.timeLeft = 8;
  settings.timeTop = 4;
  OsdFrame frame;
  frame.width = 1280;
  frame.height = 720;
  OsdFigures& f = frame.figures;
  f.videoTime = 123456789;
  f.audioTime = 123400000;
  f.picturesLastSecond = 25;
  f.bytesLastSecond = 262144;
  f.gopLength = 30;
  f.videoQueueItems = 7;
  f.videoQueueBytes = 524288;
  f.audioQueueItems = 12;
  f.audioQueueBytes = 16384;
  f.drift = -35;
  f.previousDelay = 120;
  const std::vector<Line> diagnostics = {{L" pts = 123456789 Apts =123400000", 8, 44},
                                         {L"fps: 25, bps: 2048 kbps, P/I: 30", 8, 68},
                                         {L"video: q =  7, c =  512 KB", 8, 92},
                                         {L"audio: q = 12, c =   16 KB", 8, 116}};
  EXPECT_EQ(Lines(OsdLayout(settings, frame)), diagnostics);

  // The sound-sync lines follow at the running position, also without a time text, and go
  // upward from a bottom position.
  settings.music = true;
  std::vector<Line> withMusic = diagnostics;
  withMusic.push_back({L"music Synchronous: -35 ms ", 8, 140});
  withMusic.push_back({L"m_musicWait : 120 ", 8, 164});
  EXPECT_EQ(Lines(OsdLayout(settings, frame)), withMusic);
  settings.timeMode = 0;
  settings.timeTop = -200;
  EXPECT_EQ(Lines(OsdLayout(settings, frame)),
            (std::vector<Line>{{L"music Synchronous: -35 ms ", 8, 560},
                               {L"m_musicWait : 120 ", 8, 536}}));
}
