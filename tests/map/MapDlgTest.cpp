// The map page's side of the protocol, on a fake browser: which page it loads, the inputs it
// writes and the functions it calls, what a chosen road does, placement and the replay worker.
#include <QElapsedTimer>
#include <QFile>
#include <cstdint>
#include <limits>

#include "platform/browser/FakeWebBrowser.h"
#include "tests/map/MapTestSupport.h"
#include "ui/MapDlg.h"
#include "ui/MapPage.h"

using maptest::Drive;

namespace {

class MapDlgTest : public maptest::MapFolderTest {
 protected:
  void TearDown() override {
    dlg.reset();
    MapFolderTest::TearDown();
  }
  void Open() {
    dlg = std::make_unique<CMapDlg>(owner);
    ASSERT_TRUE(dlg->Create(&parent));
    page = fakes.Last();
    for (LPCWSTR id : {L"map_lng", L"map_lat", L"offset_lng", L"offset_lat", L"map_status", L"SpeedBar", L"AngleBar",
                       L"Index", L"videoTime", L"default_lng", L"default_lat"}) {
      page->values[id] = L"";
    }
    page->FinishLoad(true);
  }
  void Feed(const std::vector<std::string>& sentences) {
    for (const std::string& s : sentences) dlg->UpdateMapPosition(s, false);
  }
  static std::string Fix(double lat, double lng) {
    return fixtures::RmcSentence({lat, lng, 20.0, 90.0}, maptest::kDriveStartUs, fixtures::GpsForm::kGprmc);
  }

  plat::test::FakeWebBrowsers fakes;
  std::unique_ptr<CMapDlg> dlg;
  plat::test::FakeWebBrowser* page = nullptr;
};

const CString kTemplate = L":/mappage/mapdlg.htm";

}  // namespace

TEST_F(MapDlgTest, ThePageGetsItsCentreAndTheFixesFromTheSixthOn) {
  Open();
  EXPECT_EQ(page->navigations, std::vector<CString>{kTemplate});
  EXPECT_EQ(page->values[L"default_lng"], L"0.000000");
  EXPECT_EQ(page->values[L"default_lat"], L"0.000000");
  EXPECT_EQ(page->calls, std::vector<CString>{L"setMap"});

  page->calls.clear();
  const auto drive = Drive({.latitude = 25.05, .longitude = 121.5, .headingDeg = 0.0}, 6);
  Feed({drive.begin(), drive.begin() + 5});
  EXPECT_EQ(page->calls, std::vector<CString>(5, L"clearPaths"));
  EXPECT_EQ(owner.updates, 0);
  Feed({drive[5], "$GPRMC,garbage*00"});
  EXPECT_EQ(page->calls.back(), L"refreshMap");
  EXPECT_EQ(page->values[L"map_status"], L"running");
  EXPECT_EQ(page->values[L"offset_lat"], L"0");
  EXPECT_NEAR(std::stod(page->values[L"map_lat"].ToUtf8()),
              fixtures::RoutePosition({.latitude = 25.05, .headingDeg = 0.0}, 5).latitude, 1e-5);
  EXPECT_EQ(owner.updates, 1);

  // Manual offsets: X moves the latitude, Y the longitude.
  g_appConfig.WriteConfigInt(L"GPS_Offset_Auto", 0);
  g_appConfig.WriteConfigString(L"GPS_Offset_X", L"0.001");
  Feed({Fix(25.0, 121.5)});
  const double before = dlg->GetDistanceKm();
  Feed({Fix(25.001, 121.5)});
  EXPECT_EQ(page->values[L"offset_lat"], L"0.001");
  EXPECT_EQ(page->values[L"offset_lng"], L"0");
  EXPECT_NEAR(dlg->GetDistanceKm() - before, 0.1113, 0.0001);

  // A car-data line at 36 km/h: the next segment carries the time one second's driving earlier.
  dlg->UpdateMapPosition("$CAR,Fleet 7,label,x,A,E1215000000,N25002000,900,360,0,0,11111111", true);
  dlg->SetVideoTime(1000);
  dlg->UpdateMapPosition("$CAR,Fleet 7,label,x,A,E1215000000,N25003000,900,360,0,0,11111111", true);
  EXPECT_EQ(page->values[L"videoTime"], L"990");
  EXPECT_EQ(page->values[L"AngleBar"], L"90");
  EXPECT_EQ(dlg->GetCarInfo().name, L"Fleet7");
}

TEST_F(MapDlgTest, AChosenRoadSeeksOnlyInsideTheRecordingAndStartsTheTrackAgain) {
  Open();
  Feed(Drive({}, 8));
  const CString index = page->values[L"Index"];
  page->PageCallsSelectRoad(-1);
  EXPECT_TRUE(owner.pending);
  page->PageCallsSelectRoad(1234);  // before the recording
  owner.first = 1000;
  owner.last = 2000;
  page->PageCallsSelectRoad(2001);
  EXPECT_TRUE(owner.seeks.empty());
  EXPECT_GT(dlg->GetDistanceKm(), 0.0);

  page->calls.clear();
  page->PageCallsSelectRoad(1234);
  EXPECT_EQ(owner.seeks, std::vector<std::int64_t>{1234});
  EXPECT_FALSE(owner.pending);
  EXPECT_EQ(owner.listsCleared, 1);
  EXPECT_EQ(std::stoi(page->values[L"Index"].ToUtf8()), std::stoi(index.ToUtf8()) + 1);
  EXPECT_EQ(std::count(page->calls.begin(), page->calls.end(), L"clearPaths"), 1);
  EXPECT_EQ(dlg->GetLatitude(), 0.0);
  EXPECT_EQ(dlg->GetDistanceKm(), 0.0);
  Feed(Drive({}, 5));  // a new track begins: five fixes again before anything is drawn
  EXPECT_EQ(page->calls.back(), L"clearPaths");
}

TEST_F(MapDlgTest, TheKeyedPageIsLoadedWhenPresentAndTheTemplateOtherwise) {
  const CString file = mappage::PageFile();
  ASSERT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, file, "K"));
  Open();
  EXPECT_EQ(page->navigations, std::vector<CString>{file});
  page->FinishLoad(false);  // a page that does not load gives way to the template
  EXPECT_EQ(page->navigations.back(), kTemplate);

  // Floating, the page is a captioned pop-up at the owner's place plus the docked corner.
  dlg->SetDockedRect(CRect(20, 30, 420, 330));
  dlg->Float();
  CRect outer;
  CRect place;
  parent.GetWindowRect(&outer);
  dlg->GetWindowRect(&place);
  EXPECT_FALSE(dlg->GetStyle() & WS_CHILD);
  EXPECT_TRUE(dlg->GetStyle() & WS_CAPTION);
  EXPECT_EQ(place.left - outer.left, 20);
  dlg->SetDockedRect(CRect(10, 10, 410, 310));  // a floating page stays where it is
  CRect still;
  dlg->GetWindowRect(&still);
  EXPECT_EQ(still, place);
  dlg->ResetMap();  // a reset docks it
  EXPECT_TRUE(dlg->IsDocked());
  EXPECT_EQ(dlg->GetParent(), &parent);
  EXPECT_TRUE(dlg->GetStyle() & WS_CHILD);
  CRect docked;
  dlg->GetWindowRect(&docked);
  parent.ScreenToClient(&docked);
  EXPECT_EQ(docked, CRect(10, 10, 410, 310));
}

TEST_F(MapDlgTest, OneReplayRunsAtATimeAndAnEmptyTrackStartsNone) {
  Open();
  dlg->StartTrackReplay(0);
  EXPECT_FALSE(dlg->IsReplayRunning());
  EXPECT_EQ(owner.sliderRange, -1);

  GpsTrack track;
  for (const std::string& s : Drive({}, 8)) track.AddSentence(s);
  dlg->ShowTrackBaseLine(track, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(std::count(page->calls.begin(), page->calls.end(), L"BaseLine"), 8);
  dlg->StartTrackReplay(0);
  ASSERT_TRUE(maptest::RunUntil([&] { return owner.sliderPositions.size() >= 2; }));

  QElapsedTimer stopping;
  stopping.start();
  dlg->StartTrackReplay(3);
  EXPECT_LT(stopping.elapsed(), 1000);
  owner.sliderPositions.clear();
  ASSERT_TRUE(maptest::RunUntil([&] { return !dlg->IsReplayRunning(); }));
  EXPECT_EQ(owner.sliderPositions, (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(owner.sliderRange, 8);
  EXPECT_EQ(page->values[L"map_status"], L"running");
  EXPECT_EQ(dlg->GetLatitude(), 0.0);
  EXPECT_EQ(dlg->GetReplayStartPoint(), -1);
}
