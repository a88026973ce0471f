// The map page in the real web engine. The test serves its stand-in of the map service's JavaScript
// API at the API's own address (or nothing: no network), drives the page through CMapDlg and reads
// what the page left on the map.
#include <unistd.h>

#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "settings/AppPaths.h"
#include "tests/ui/map/MapTestSupport.h"
#include "ui/MapPage.h"

using maptest::RunUntil;

namespace {

// The google.maps members that the page uses, each documented in the service's API reference: the
// stand-in has these only and notes which the page used.
const QStringList kDocumentedMembers{"LatLng", "LatLng.equals", "MVCArray.push", "Map", "Map.getMapTypeId",
                                     "Map.panTo", "Marker", "Marker.setMap", "Point", "Polyline",
                                     "Polyline.getPath", "Polyline.setMap", "event.addListener"};

constexpr wchar_t kApiAddress[] = L"https://maps.googleapis.com/maps/api/js";

// How the map API's address answers: not at all (no network), with the stand-in at once, with the
// stand-in whose classes come when the test says (releaseStandIn), or never (a stalled network).
enum class Api { kNone, kStandIn, kLate, kStalled };

// What the program writes to its error output while it lives.
class ErrorOutput {
 public:
  ErrorOutput() : saved_(::dup(2)) {
    file_.open();
    std::fflush(stderr);
    ::dup2(file_.handle(), 2);
  }
  ~ErrorOutput() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
  }
  std::string Text() {
    std::fflush(stderr);
    QFile read(file_.fileName());
    return read.open(QIODevice::ReadOnly) ? read.readAll().toStdString() : std::string();
  }

 private:
  QTemporaryFile file_;
  int saved_;
};

class MapPageTest : public maptest::MapFolderTest {
 protected:
  // The page's engine starts when the page is first shown: with `show` false the dialog stays
  // hidden and no page is loaded.
  void Open(Api api, bool show = true) {
    plat::SetWebBrowserFactory([this, api](plat::IWebBrowserEvents& events) {
      auto made = plat::MakeQtWebBrowser(events);
      QFile standIn(QString(PLAYER_MAP_TESTS) + "/googlemaps-standin.js");
      if ((api == Api::kStandIn || api == Api::kLate) && standIn.open(QIODevice::ReadOnly)) {
        made->ServeResource(L"googlemaps.js", "text/javascript",
                            (api == Api::kLate ? "window.standInHeld = true;\n" : "") + standIn.readAll());
      }
      if (api == Api::kStalled) made->HoldUrl(kApiAddress);
      else made->ServeUrl(kApiAddress, L"googlemaps.js");
      browser = made.get();
      return made;
    });
    dlg = std::make_unique<CMapDlg>(owner);
    ASSERT_TRUE(dlg->Create(&parent));
    dlg->SetDockedRect(CRect(10, 10, 810, 610));
    if (show) Show();
  }
  void Show() {
    dlg->ShowWindow(SW_SHOW);
    ASSERT_TRUE(RunUntil([&] { return dlg->IsPageLoaded(); }));
  }
  std::string Read(LPCWSTR id) {
    std::optional<std::optional<CString>> result;
    browser->GetElementValue(id, [&](std::optional<CString> v) { result = v; });
    EXPECT_TRUE(RunUntil([&] { return result.has_value(); }));
    return result && *result ? (*result)->ToUtf8() : "(none)";
  }
  // The position text as the page writes it for the program's last fix.
  std::string PositionText() const {
    return QString::asprintf("%.6f N    %.6f E    90 km/h", dlg->GetLatitude(), dlg->GetLongitude()).toStdString();
  }
  QJsonObject State() { return QJsonDocument::fromJson(QByteArray::fromStdString(Read(L"standin_state"))).object(); }
  QStringList Markers() { return State()["markers"].toVariant().toStringList(); }
  void Page(LPCWSTR status) {
    browser->SetElementValue(L"map_status", status);
    browser->CallScript(L"refreshMap");
  }
  // A straight leg of fixes at 90 km/h from the end of the last one, one a second, each with its
  // engine time.
  void Leg(double heading, int seconds) {
    const fixtures::RouteDescription route{end.latitude, end.longitude, heading, 90.0};
    for (int s = 1; s <= seconds; ++s) {
      dlg->SetVideoTime(owner.first + ++clock);
      dlg->UpdateMapPosition(fixtures::RmcSentence(fixtures::RoutePosition(route, s),
                                                   maptest::kDriveStartUs + clock * 1'000'000LL, route.form), false);
    }
    end = fixtures::RoutePosition(route, seconds);
  }

  plat::IWebBrowser* browser = nullptr;
  fixtures::GpsFix end{25.05, 121.5};
  int clock = 0;
};

}  // namespace

TEST_F(MapPageTest, ThePageDrawsTheDriveWithItsHeadingsAndAClickedSegmentSeeks) {
  g_appConfig.WriteConfigString(L"m_default_lng", L"121.5");
  g_appConfig.WriteConfigString(L"m_default_lat", L"25.05");
  ASSERT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "TestKey"));  // a keyed page
  Open(Api::kStandIn);
  ASSERT_TRUE(RunUntil([&] { return State()["map"].isArray(); }));
  EXPECT_EQ(State()["map"].toArray(), (QJsonArray{25.05, 121.5, 16, "roadmap"}));
  Leg(90.0, 5);
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{});  // the first five fixes only clear the paths
  Leg(90.0, 1);
  EXPECT_EQ(Markers(), (QStringList{"Start Point player:start.png", "Car Point player:car-04.png"}));
  const QJsonObject once = State();
  dlg->UpdateMapPosition(fixtures::RmcSentence(end, maptest::kDriveStartUs, fixtures::GpsForm::kGprmc), false);
  EXPECT_EQ(State(), once);  // the same place again is not drawn twice

  for (const auto& [heading, icon] : std::vector<std::pair<double, QString>>{
           {135.0, "car-06"}, {200.0, "car-09"}, {300.0, "car-13"}, {11.0, "car-00"}, {11.5, "car-01"},
           {349.0, "car-15"}, {349.5, "car-00"}}) {
    Leg(heading, 6);
    EXPECT_EQ(Markers().last(), "Car Point player:" + icon + ".png") << heading;
  }
  EXPECT_EQ(Markers().first(), "Start Point player:start.png");
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{43});
  EXPECT_EQ(State()["segments"].toInt(), 42);
  EXPECT_EQ(Read(L"Position"), PositionText());
  QImage shot;  // the car at the centre of the map, once its picture is in
  EXPECT_TRUE(RunUntil([&] { return qBlue((shot = plat::test::Grab(&parent)).pixel(410, 322)) > 200; }));
  plat::test::SavePng(shot, "map_page_drive");

  const std::string lastTime = Read(L"videoTime");
  browser->CallScript(L"clickLastSegment");
  ASSERT_TRUE(RunUntil([&] { return !owner.seeks.empty(); }));
  EXPECT_EQ(owner.seeks, std::vector<std::int64_t>{std::stoll(lastTime)});
  EXPECT_NEAR(owner.seeks[0], owner.first + clock - 25, 1);  // 90 km/h / 3.6 before the last fix
  EXPECT_EQ(State()["segments"].toInt(), 0);

  Leg(0.0, 7);
  Page(L"stopped");
  Page(L"stopped");
  EXPECT_EQ(Markers().filter("End Point").size(), 1);
  EXPECT_EQ(Markers().last(), "End Point player:end.png");
  Page(L"clear");
  EXPECT_TRUE(Markers().isEmpty());
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{});
  EXPECT_EQ(State()["used"].toVariant().toStringList().join(' '), kDocumentedMembers.join(' '));
}

// The page first shown during a play draws what it would have drawn had it been there from the
// start: the track since the map last started over and the car where it is now.
TEST_F(MapPageTest, APageFirstShownDuringAPlayDrawsTheTrackSinceTheMapLastStartedOverAndTheCar) {
  Open(Api::kStandIn, false);
  Leg(90.0, 8);
  dlg->ClearTrack();  // a seek
  Leg(180.0, 9);
  EXPECT_FALSE(dlg->IsPageLoaded());
  Show();
  ASSERT_TRUE(RunUntil([&] { return State()["track"].isArray(); }));
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{4});  // the fixes from the sixth on since the seek
  EXPECT_EQ(State()["segments"].toInt(), 3);
  EXPECT_EQ(Markers(), (QStringList{"Start Point player:start.png", "Car Point player:car-08.png"}));
  EXPECT_EQ(Read(L"Position"), PositionText());
  Leg(180.0, 2);  // and goes on from there
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{6});
}

// Offline the page draws nothing but still shows where the car is, as text above the map area.
TEST_F(MapPageTest, WithoutTheMapApiThePageSaysSoAndStillShowsThePosition) {
  Open(Api::kNone);
  EXPECT_TRUE(RunUntil([&] { return Read(L"map_message") == "Internet connect fail!"; }));
  EXPECT_EQ(Read(L"default_lng") + Read(L"default_lat"), "0.0000000.000000");  // no centre in Config.ini
  Leg(90.0, 8);
  EXPECT_EQ(Read(L"map_status"), "running");
  EXPECT_EQ(Read(L"Position"), PositionText());
  EXPECT_EQ(Read(L"standin_state"), "(none)");
  EXPECT_EQ(Read(L"map_message"), "Internet connect fail!");
  QImage shot;  // the position's light text in the strip at the top, once it is painted
  const auto written = [&] {
    shot = plat::test::Grab(&parent);
    for (int x = 20; x < 400; ++x) {
      if (qGreen(shot.pixel(x, 23)) > 150) return true;
    }
    return false;
  };
  EXPECT_TRUE(RunUntil(written));
  plat::test::SavePng(shot, "map_page_offline");
}

// The API may come long after the page, even after the page has said it is out of reach: meanwhile
// the position text follows every fix from the first, and once the API calls back the map draws
// the track it missed. A click on the track asks
// the program, and the track changes only when the program seeks; a cleared track, the program's
// Stop and the end of a replay leave no position behind.
TEST_F(MapPageTest, ALateApiDrawsWhatItMissedAndTheTrackAndPositionChangeOnlyAsTheProgramSays) {
  ASSERT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "TestKey"));
  Open(Api::kLate);
  Leg(90.0, 1);
  EXPECT_EQ(Read(L"Position"), PositionText());
  Leg(90.0, 8);
  EXPECT_EQ(Read(L"Position"), PositionText());
  ASSERT_TRUE(RunUntil([&] { return State()["map"].isNull(); }));  // the API's script is in, its classes not
  ASSERT_TRUE(RunUntil([&] { return Read(L"map_message") == "Internet connect fail!"; }));  // its wait is over
  browser->CallScript(L"releaseStandIn");
  ASSERT_TRUE(RunUntil([&] { return State()["track"].toArray() == QJsonArray{4}; }));  // fixes six to nine
  EXPECT_EQ(Markers(), (QStringList{"Start Point player:start.png", "Car Point player:car-04.png"}));
  EXPECT_EQ(Read(L"map_message"), "");

  const QJsonObject drawn = State();
  browser->CallScript(L"clickLastSegment");  // its time lies before the recording: refused
  ASSERT_TRUE(RunUntil([&] { return owner.rangeAsks == 1; }));
  EXPECT_TRUE(owner.seeks.empty());
  EXPECT_EQ(State(), drawn);

  dlg->ClearTrack();  // a log dropped or another source opened
  EXPECT_EQ(Read(L"Position"), "");
  Leg(90.0, 7);
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{2});
  dlg->ClearMap();  // Stop
  EXPECT_EQ(Read(L"Position"), "");
  EXPECT_EQ(State()["track"].toArray(), QJsonArray{});
  EXPECT_TRUE(Markers().isEmpty());

  GpsTrack track;
  for (const std::string& s : maptest::Drive(10)) track.AddSentence(s);
  dlg->ShowTrackBaseLine(track, std::numeric_limits<std::int64_t>::max());
  dlg->SetReplaySpeedFactor(100.0);
  dlg->StartTrackReplay(0);
  ASSERT_TRUE(RunUntil([&] { return !dlg->IsReplayRunning(); }));
  EXPECT_EQ(Read(L"Position"), "");
  EXPECT_EQ(Markers().last(), "End Point player:end.png");
}

// A key that the service refuses is explained where the map would be, and what the service told
// the page's console reaches the program's error output.
TEST_F(MapPageTest, ARefusedKeyIsExplainedInTheMapAreaAndTheServiceErrorGoesToTheErrorOutput) {
  ASSERT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "RefusedKey7"));
  ErrorOutput errors;
  Open(Api::kStandIn);
  ASSERT_TRUE(RunUntil([&] { return Read(L"map_message") != ""; }));
  const std::string message = Read(L"map_message");
  EXPECT_NE(message.find("refused the map key"), std::string::npos) << message;
  EXPECT_NE(message.find("Map key command"), std::string::npos) << message;
  EXPECT_TRUE(RunUntil([&] { return errors.Text().find("\"RefusedKey7\" is refused") != std::string::npos; }));
  QImage shot;  // the message's red text over the middle of the map area
  const auto shown = [&] {
    shot = plat::test::Grab(&parent);
    for (int x = 100; x < 700; ++x) {
      for (int y = 200; y < 400; ++y) {
        if (qRed(shot.pixel(x, y)) > 200 && qGreen(shot.pixel(x, y)) < 120) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(RunUntil(shown));
  plat::test::SavePng(shot, "map_page_refused_key");
}

// A network that takes the API's request and never answers holds up neither the page nor the
// position text, and the page says the map is out of reach once its wait is over.
TEST_F(MapPageTest, OnAStalledNetworkThePageShowsThePositionAndSaysTheMapIsOutOfReach) {
  Open(Api::kStalled);
  Leg(90.0, 2);
  EXPECT_EQ(Read(L"Position"), PositionText());
  EXPECT_TRUE(RunUntil([&] { return Read(L"map_message") == "Internet connect fail!"; }));
  Leg(90.0, 1);
  EXPECT_EQ(Read(L"Position"), PositionText());
}
