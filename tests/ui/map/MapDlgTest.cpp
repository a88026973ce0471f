// The map page's side of the protocol, on a fake browser: the inputs it writes and the functions it
// calls, what a chosen road does, placement and the replay worker.
#include "settings/AppPaths.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/ui/map/MapTestSupport.h"
#include "ui/MapPage.h"

using maptest::Drive;

namespace {

class MapDlgTest : public maptest::MapFolderTest {
 protected:
  void Open() {
    dlg = std::make_unique<CMapDlg>(owner);
    ASSERT_TRUE(dlg->Create(&parent));
    page = fakes.Last();
    for (LPCWSTR id : {L"map_lat", L"offset_lng", L"offset_lat", L"map_status", L"Index", L"videoTime"}) {
      page->values[id] = L"";
    }
    page->FinishLoad(true);
  }
  void Feed(const std::vector<std::string>& sentences) {
    for (const std::string& s : sentences) dlg->UpdateMapPosition(s, false);
  }
  int Count(LPCWSTR call) const { return static_cast<int>(std::count(page->calls.begin(), page->calls.end(), call)); }
  int Index() { return std::stoi(page->values[L"Index"].ToUtf8()); }

  plat::test::FakeWebBrowsers fakes;
  plat::test::FakeWebBrowser* page = nullptr;
  maptest::GateClock clock;  // outlives the map page and its replay
};

}  // namespace

TEST_F(MapDlgTest, FixesReachThePageFromTheSixthOnAndAChosenRoadSeeksOnlyInsideTheRecording) {
  Open();
  const auto drive = Drive(7);
  g_appConfig.WriteConfigInt(L"GPS_Offset_Auto", 0);
  g_appConfig.WriteConfigString(L"GPS_Offset_X", L"0.001");
  Feed({drive.begin(), drive.begin() + 6});
  EXPECT_EQ(Count(L"clearPaths"), 5);
  EXPECT_EQ(owner.updates, 1);
  EXPECT_NEAR(std::stod(page->values[L"map_lat"].ToUtf8()), fixtures::RoutePosition({.headingDeg = 0.0}, 5).latitude,
              1e-5);
  EXPECT_EQ(page->values[L"offset_lat"], L"0.001");  // X moves the latitude, Y the longitude
  EXPECT_EQ(page->values[L"offset_lng"], L"0");
  const double before = dlg->GetDistanceKm();
  Feed({drive[6], "$GPRMC,garbage*00"});
  EXPECT_NEAR(dlg->GetDistanceKm() - before, 0.01668, 0.0001);  // a second at 60 km/h
  // Car data at 36 km/h: the next segment carries the engine time less 36 / 3.6.
  dlg->UpdateMapPosition("$CAR,Fleet 7,label,x,A,E1215000000,N25002000,900,360,0,0,11111111", true);
  dlg->SetVideoTime(1000);
  dlg->UpdateMapPosition("$CAR,Fleet 7,label,x,A,E1215000000,N25003000,900,360,0,0,11111111", true);
  EXPECT_EQ(page->values[L"videoTime"], L"990");

  const int index = Index();
  page->PageCallsSelectRoad(-1);
  EXPECT_TRUE(owner.pending);
  page->PageCallsSelectRoad(1234);  // before the recording
  page->PageCallsSelectRoad(static_cast<int>(owner.last + 1));
  owner.playing = false;  // a replay of the event log's track: nothing seeks there
  page->calls.clear();
  page->PageCallsSelectRoad(static_cast<int>(owner.first + 10));
  EXPECT_EQ(Index(), index);
  EXPECT_EQ(Count(L"clearPaths"), 0);
  owner.playing = true;
  EXPECT_TRUE(owner.seeks.empty());
  page->calls.clear();
  page->PageCallsSelectRoad(static_cast<int>(owner.first + 10));
  EXPECT_EQ(owner.seeks, std::vector<std::int64_t>{owner.first + 10});
  EXPECT_FALSE(owner.pending);
  EXPECT_EQ(owner.listsCleared, 1);
  EXPECT_EQ(Index(), index + 1);
  EXPECT_EQ(Count(L"clearPaths"), 1);
  EXPECT_EQ(dlg->GetDistanceKm(), 0.0);
  page->calls.clear();
  Feed(Drive(5));  // the new track waits for five fixes again, showing only the position
  EXPECT_EQ(Count(L"clearPaths"), 5);
  EXPECT_EQ(Count(L"showPosition"), 5);
  EXPECT_EQ(Count(L"refreshMap"), 0);
}

TEST_F(MapDlgTest, TheKeyedPageIsLoadedAndItFloatsDocksAgainAndRefreshesWhileAsked) {
  ASSERT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "K"));
  Open();
  EXPECT_EQ(page->navigations, std::vector<CString>{app::MapPagePath()});
  dlg->SetDockedRect(CRect(20, 30, 420, 330));
  dlg->ShowWindow(SW_SHOW);
  const QRgb face = plat::test::Grab(&parent).pixel(200, 200);
  dlg->Float();
  CRect outer, place;
  parent.GetWindowRect(&outer);
  dlg->GetWindowRect(&place);
  EXPECT_EQ(dlg->GetStyle() & (WS_CHILD | WS_CAPTION), WS_CAPTION);
  EXPECT_EQ(place.TopLeft() - outer.TopLeft(), CSize(20, 30));
  dlg->ResetMap();  // a reset docks it
  EXPECT_TRUE(dlg->IsDocked() && (dlg->GetStyle() & WS_CHILD) && dlg->GetParent() == &parent);
  EXPECT_EQ(plat::test::Grab(&parent).pixel(200, 200), face);

  const int updates = owner.updates;
  dlg->SetRefresh(true);
  plat::test::AdvanceTime(2000);
  dlg->SetRefresh(false);
  plat::test::AdvanceTime(2000);
  EXPECT_EQ(owner.updates, updates + 2);
}

// The replay on a clock that the test moves: a point shows, then the worker waits 200 ms / speed
// factor; paused, it waits in steps of 10 ms however much time passes; it steps and gives way to a
// replay started anew.
TEST_F(MapDlgTest, TheReplayPausesStepsKeepsItsPaceAndGivesWayToANewOne) {
  Open();
  dlg->StartTrackReplay(0);
  EXPECT_FALSE(dlg->IsReplayRunning());  // no track yet
  EXPECT_EQ(owner.sliderRange, -1);
  GpsTrack track;
  for (const std::string& s : Drive(10)) track.AddSentence(s);
  dlg->ShowTrackBaseLine(track, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Count(L"BaseLine"), 10);

  std::vector<CString> statuses;
  owner.updated = [&] { statuses.push_back(page->values[L"map_status"]); };
  const auto shown = [&](std::vector<int> points) {
    return maptest::RunUntil([&] { return owner.sliderPositions == points; });
  };
  clock.previous = plat::SetTickClock(&clock);
  dlg->SetReplaySpeedFactor(2.0);
  dlg->StartTrackReplay(0);
  EXPECT_TRUE(shown({0}));
  dlg->PauseReplay(true);  // taken before the next point
  clock.EndWait(1);
  clock.EndWait(2);
  clock.AwaitWait(3);
  dlg->StepReplay();
  EXPECT_TRUE(shown({0, 1}));
  clock.AwaitWait(4);
  dlg->SetReplaySpeedFactor(3.0);
  clock.EndWait(4);  // paused again after the step
  clock.AwaitWait(5);
  dlg->PauseReplay(false);
  EXPECT_TRUE(shown({0, 1, 2}));
  EXPECT_EQ(statuses.back(), L"running");

  dlg->StartTrackReplay(3);
  EXPECT_TRUE(shown({0, 1, 2, 3}));
  for (std::size_t wait = 7; wait <= 13; ++wait) clock.EndWait(wait);
  ASSERT_TRUE(maptest::RunUntil([&] { return !dlg->IsReplayRunning(); }));
  EXPECT_EQ(owner.sliderPositions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(clock.Waits(), (std::vector<std::uint32_t>{100, 10, 10, 100, 10, 66, 66, 66, 66, 66, 66, 66, 66}));
  EXPECT_EQ(owner.sliderRange, 10);
  EXPECT_EQ(dlg->GetLatitude(), 0.0);
}
