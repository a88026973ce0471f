// The engine's messages as the main window takes them from a fake engine: sensor blocks feed the
// graph's curve, the map page, the speed and the car data; the end of a backup says how it ended.
#include "cardtools/FormatDlg.h"
#include "config/dialogs/TabConfigDlg.h"
#include "engine/state/EngineState.h"
#include "platform/wnd/ComboBox.h"
#include "platform/ByteOrder.h"
#include "platform/wnd/PaintDC.h"
#include "recorder/RecorderDate.h"
#include "testdata/TestSignals.h"
#include "tests/ui/CommandsTestAccess.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

using Xyz = std::array<std::int16_t, 3>;

// The modal dialog that has the focus.
template <typename Dialog>
Dialog* Focused() {
  CWnd* w = CWnd::GetFocus();
  while (w != nullptr && dynamic_cast<Dialog*>(w) == nullptr) w = w->GetParent();
  return dynamic_cast<Dialog*>(w);
}
constexpr std::int64_t kBlockTime = 1709280750;

std::string Rmc(double latitude, double longitude, double kmh) {
  return fixtures::RmcSentence({latitude, longitude, kmh, 90.0}, kBlockTime * 1000000, fixtures::GpsForm::kGprmc);
}

// Each block a new chunk.
IndexBlockA5 Block(const std::vector<Xyz>& samples, const std::string& gps = "", int count = -1) {
  static std::uint32_t sequence = 0;
  IndexBlockA5 b;
  plat::StoreHost32(b.bytes.data(), kIndexBlockA5Magic);
  plat::StoreHost32(&b.bytes[4], ++sequence);
  RecorderDateFromTime(kBlockTime, &b.bytes[8]);
  b.bytes[kTrailerSampleCountAt] = static_cast<std::uint8_t>(count < 0 ? samples.size() : count);
  for (size_t i = 0; i < samples.size(); ++i) b.SetSample(static_cast<int>(i), samples[i]);
  std::copy_n(gps.begin(), std::min<size_t>(gps.size(), 2 * kTrailerGpsTextSize), &b.bytes[kTrailerGpsTextAt]);
  return b;
}

class SensorDataTest : public MainWindowTest {
 protected:
  void Send(const IndexBlockA5& block, DWORD afterMs = 0) {
    plat::test::Clock().Advance(afterMs);
    fake_.engine().answers.hasSensorBlock = true;
    std::copy(block.bytes.begin(), block.bytes.end(), fake_.engine().answers.sensorBlock.begin());
    dlg_->SendMessage(WM_PLAYER_SENSORDATA, 0, 0);
  }
  COLORREF GraphPixel(int x, int y) const {
    const ui::LayoutRect& area = ui::AreaRect(ui::Area::kGsensorGraph, 0);
    return plat::test::Pixel(dlg_.get(), area.left + x, area.top + y);
  }
};

}  // namespace

// The curve: x red, y green, z blue from x 40, at 100 - v * 57 / 512 in the 200-pixel graph; a
// sample beyond 512 is drawn as zero; the count byte never reads past the block; a block without
// samples still moves the map and the speed; the graph is painted at most every 150 ms.
TEST_F(SensorDataTest, SamplesDrawTheCurveAtMostEvery150MsAndTheFixMovesMapSpeedAndPosition) {
  Start(1920, 1080);
  Send(Block({{256, -256, 0}, {600, 0, 0}}));
  const std::vector<CMainDlg::GsensorPoint>& points = dlg_->GetGsensorPoints();
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(std::tie(points[1].x, points[1].y, points[1].z), std::make_tuple(0, 0, 0));
  EXPECT_EQ(GraphPixel(40, 72), 0x0000FFu);
  EXPECT_EQ(GraphPixel(40, 128), 0x00FF00u);
  EXPECT_EQ(GraphPixel(40, 100), 0xFF0000u);
  plat::test::SavePng(plat::test::Grab(dlg_.get()).copy(1508, 722, 400, 200), "sensor-graph-area");

  const IndexBlockA5 again = Block({{-512, 0, 0}});
  Send(again, 150);
  Send(again);  // a block met again adds nothing
  EXPECT_NE(GraphPixel(42, 157), 0x0000FFu) << "painted again within 150 ms";
  Send(Block(std::vector<Xyz>(50, {0, 0, 0}), "", 255), 1);
  EXPECT_EQ(GraphPixel(42, 157), 0x0000FFu);
  EXPECT_EQ(points.size(), 53u);

  EXPECT_FALSE(dlg_->HasFix());
  Send(Block({}, Rmc(-22.5, 1.5, 100.0)), 151);
  EXPECT_TRUE(dlg_->HasFix());
  EXPECT_DOUBLE_EQ(dlg_->GetLatitude(), -22.5);
  EXPECT_EQ(dlg_->GetMapDlg().GetLatitude(), -22.5);
  EXPECT_EQ(dlg_->GetSpeedText(), L"100");
  // "%9.6f  %c": the latitude at (35, 197), the longitude at (35, 182).
  CBitmap drawn, expected;
  for (CBitmap* b : {&drawn, &expected}) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    b->CreateBitmap(200, 220, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(b);
    if (b == &drawn) {
      dlg_->DrawPositionText(dc);
    } else {
      dc.SetBkMode(TRANSPARENT);
      dc.SetTextColor(0x0000FF);
      dc.TextOut(35, 197, L"22.500000  S");
      dc.TextOut(35, 182, L" 1.500000  E");
    }
    dc.SelectObject(old);
  }
  EXPECT_EQ(plat::ImageOf(drawn), plat::ImageOf(expected));
}

// Miles per hour (1), knots (2) or km/h; a text with "$," is a car-data line over both slots.
TEST_F(SensorDataTest, TheSpeedTakesTheOnScreenUnitAndACarDataLineFeedsTheCarDataPanel) {
  for (const auto& [unit, text] : {std::pair{1, L" 62"}, {2, L" 54"}}) {
    WriteConfig("SetEDR_Speed=" + std::to_string(unit) + "\n");
    Start(1920, 1080);
    Send(Block({}, Rmc(25.05, 121.5, 100.0)));
    EXPECT_EQ(dlg_->GetSpeedText(), text);
  }
  std::string line = "$,TAXI-42,DRV7,x,A,E1213456789,N25012345,900,620,0,1800,10110001,";
  line.resize(2 * kTrailerGpsTextSize, ' ');  // no terminator in either slot
  Send(Block({}, line));
  EXPECT_NEAR(dlg_->GetLatitude(), 25.012345, 1e-9);
  const IOdlg& car = dlg_->GetCarDataPanel();
  EXPECT_EQ(car.GetCarInfo(), L"TAXI-42");
  EXPECT_EQ(car.GetDriverId(), L"DRV7");
  EXPECT_EQ(car.GetRpm(), 1800.0);
}

// The car's own data of the picture shown outranks the GPS: the speed digits show the car's speed
// (as the on-screen text does), in the unit chosen later too; the car-data panel its engine speed
// and brake. Without car data the digits show the GPS speed; Format leaves nothing of either.
TEST_F(SensorDataTest, TheCarsOwnDataFeedsTheDigitsAndTheCarDataPanelUntilFormatClearsThem) {
  CMainDlg& dlg = Start(1920, 1080);
  const auto command = [&](int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
  CarDataRecord& car = fake_.engine().answers.carData;
  car = {.time = kBlockTime, .speed = 76, .rpm = 4405, .status = kCarStatusBrakePresent | kCarStatusBrakeOn};
  Send(Block({}, Rmc(25.05, 121.5, 80.0)), 151);
  EXPECT_EQ(dlg.GetSpeedText(), L" 76");
  const IOdlg& panel = dlg.GetCarDataPanel();
  EXPECT_EQ(panel.GetRpm(), 4405.0);
  EXPECT_TRUE(panel.IsInputOn(IOdlg::kBrakeInput));
  MainDlgTestAccess::SetPasswordAccepted(dlg);
  plat::test::WhileModal([&] {
    TabConfigDlg* config = Focused<TabConfigDlg>();
    ASSERT_NE(config, nullptr);
    dynamic_cast<CComboBox*>(config->GetDlgItem(TabConfigDlg::kSpeedUnitList))->SetCurSel(1);
    config->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  command(mainid::kConfiguration);
  EXPECT_EQ(dlg.GetSpeedText(), L" 47");  // 76 km/h in miles an hour
  car.time = 0;
  Send(Block({}, Rmc(25.05, 121.5, 80.0)), 151);
  EXPECT_EQ(dlg.GetSpeedText(), L" 50");
  plat::test::WhileModal([&] {
    Focused<CFormatDlg>()->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  command(mainid::kFormat);
  EXPECT_EQ(dlg.GetSpeedText(), L"  0");
  EXPECT_EQ(panel.GetRpm(), 0.0);
  EXPECT_FALSE(panel.IsInputOn(IOdlg::kBrakeInput));
}

// Only a backup's end (-1) is reported, and "Completed!" only when the engine wrote all of it.
TEST_F(SensorDataTest, TheEndOfABackupIsReportedByHowItEndedAndOtherEndsAreIgnored) {
  Start(1920, 1080);
  fake_.engine().SetSource(L"E:/");
  dlg_->GetDiskDlg().GetDlgItem(CDiskDlg::kBackupDestination)->SetWindowText(L"out/bk");
  CDiskDlg& disk = dlg_->GetDiskDlg();
  const auto endWith = [&](JobResult result, bool job, bool avi, LPARAM lParam) {
    fake_.engine().answers.jobResult = result;
    disk.jobRunning = job;
    disk.aviExport = avi;
    dlg_->SendMessage(WM_PLAYER_END, 0, lParam);
  };
  endWith(JobResult::kDone, true, false, 0);
  endWith(JobResult::kDone, true, true, -1);
  EXPECT_TRUE(plat::test::MessageBoxes().empty());
  endWith(JobResult::kDone, true, false, -1);
  endWith(JobResult::kFailed, true, false, -1);
  endWith(JobResult::kCancelled, true, false, -1);
  endWith(JobResult::kDone, false, false, -1);
  const std::vector<plat::test::MessageBoxCall> boxes = plat::test::MessageBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, LR"(Backup "E:/" to "out/bk" Completed!)");
  EXPECT_EQ(boxes[0].caption, L"Dravik2 Player");
  EXPECT_EQ(boxes[1].text, L"Backup \"E:/\" to \"out/bk\"\nThe backup could not be completed");
  EXPECT_EQ(boxes[2].text, L"Backup \"E:/\" to \"out/bk\"\nThe backup was stopped before its end");
  EXPECT_FALSE(disk.jobRunning);

  fake_.engine().answers.videoWidth = 1280;
  fake_.engine().answers.videoHeight = 720;
  dlg_->SendMessage(WM_PLAYER_VIDEOSIZE, 0, 0);
  EXPECT_EQ(dlg_->GetChannelWindow().GetWindowText(), L"Channel-01 1280x720");
}
