// The map page's track: fixes of the recording that plays, the distance driven, the offsets of
// the road map, and the replay and base line of a track from the event log.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/gps/DecimalNumber.h"
#include "engine/gps/GpsOffsetTable.h"
#include "settings/AppConfig.h"
#include "ui/MapDlg.h"

namespace {

// The first fixes of a track are often still settling; the page only clears its paths for them.
constexpr int kFixesBeforeTrack = 5;
constexpr double kPi = 3.1415926;
constexpr double kEarthRadiusKm = 6378.137;

double Radians(double degrees) { return degrees * kPi / 180.0; }

double GreatCircleKm(double lat1, double lng1, double lat2, double lng2) {
  const double halfLat = std::sin(Radians(lat1 - lat2) / 2);
  const double halfLng = std::sin(Radians(lng1 - lng2) / 2);
  const double a = halfLat * halfLat + std::cos(Radians(lat1)) * std::cos(Radians(lat2)) * halfLng * halfLng;
  return 2 * std::asin(std::sqrt(a)) * kEarthRadiusKm;
}

// The page keeps times as 32-bit numbers.
std::int32_t VideoTime(double time) {
  return static_cast<std::int32_t>(std::clamp<double>(time, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

const std::vector<GpsPoint>& FirstSegment(const GpsTrack& track) {
  static const std::vector<GpsPoint> kNone;
  return track.Segments().empty() ? kNone : track.Segments().front().points;
}

// The index of the point-th point that carries a time, within the points.
int ReplayStartIndex(const std::vector<GpsPoint>& points, int point) {
  int timed = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].timeValue == 0) continue;
    if (timed == point) return static_cast<int>(i);
    ++timed;
  }
  return point <= 0 ? 0 : static_cast<int>(points.size()) - 1;
}

}  // namespace

void CMapDlg::UpdateMapPosition(std::string_view text, bool carDataLine) {
  if (text == lastFixText_) return;
  double lat = 0.0;
  double lng = 0.0;
  double speed = 0.0;
  double course = 0.0;
  if (!ParseFix(text, carDataLine, lat, lng, speed, course)) return;
  lastFixText_ = text;
  fields_.lat = lat;
  fields_.lng = lng;
  fields_.speed = speed;
  if (!owner_.HoldsCourse()) fields_.angle = course;
  AddDistance(lat, lng);
  if (fixCount_ < kFixesBeforeTrack) {
    ++fixCount_;
    ClearPaths();
    ShowPosition();
    return;
  }
  SetOffsets(lng, lat);
  fields_.status = L"running";
  UpdatePage();
}

bool CMapDlg::ParseFix(std::string_view text, bool carDataLine, double& lat, double& lng, double& speed,
                       double& course) {
  if (!carDataLine) return ParseRmcPosition(text, lat, lng, speed, course);
  if (!ParseCarInfoLine(text, carInfo_, LoadLanguageString(L"TestCarInfo"))) return false;
  lat = carInfo_.latitude;
  lng = carInfo_.longitude;
  speed = carInfo_.valueA;
  course = carInfo_.valueB;
  return true;
}

void CMapDlg::AddDistance(double lat, double lng) {
  if (lastLat_ != kNoPosition) distanceKm_ += GreatCircleKm(lastLat_, lastLng_, lat, lng);
  lastLat_ = lat;
  lastLng_ = lng;
}

// "GPS_Offset_X" moves the latitude and "GPS_Offset_Y" the longitude.
void CMapDlg::SetOffsets(double lng, double lat) {
  if (g_appConfig.ReadConfigInt(L"GPS_Offset_Auto", 1) == 1) {
    const std::optional<GpsOffset> found = GlobalGpsOffsetTable().Find(lng, lat);
    fields_.offsetLng = found ? found->longitude : 0.0;
    fields_.offsetLat = found ? found->latitude : 0.0;
    return;
  }
  fields_.offsetLat = ParseDecimalPrefix(g_appConfig.ReadConfigString(L"GPS_Offset_X", L"").ToUtf8());
  fields_.offsetLng = ParseDecimalPrefix(g_appConfig.ReadConfigString(L"GPS_Offset_Y", L"").ToUtf8());
}

void CMapDlg::SetVideoTime(std::int64_t time) {
  fields_.videoTime = VideoTime(static_cast<double>(time) - fields_.speed / 3.6);
}

// A page not yet loaded has nothing to be told of the track before: it starts over here.
void CMapDlg::ResetMap() {
  if (!pageLoaded_) missed_.clear();
  lastFixText_.clear();
  ++fields_.index;
  fields_.offsetLng = 0.0;
  fields_.offsetLat = 0.0;
  fields_.speed = 0.0;
  fields_.angle = 0.0;
  UpdatePage();
  fixCount_ = 0;
  ClearPaths();
  UpdatePage();
  Dock();
}

// The position goes first, so that the page's reset already shows none.
void CMapDlg::ClearTrack() {
  ForgetPosition();
  ResetMap();
  lastLat_ = kNoPosition;
  lastLng_ = kNoPosition;
  distanceKm_ = 0.0;
  replayStart_ = -1;
  track_.Clear();
}

void CMapDlg::ShowTrackBaseLine(const GpsTrack& track, std::int64_t time) {
  track_ = track;
  CallPageScript(L"clearBaseLine");
  for (const GpsPoint& point : FirstSegment(track_)) {
    if (point.timeValue > time) break;
    if (point.invalid) continue;
    SetVideoTime(point.timeValue);
    SetInputNumber(L"map_lat", point.latitude);
    SetInputNumber(L"map_lng", point.longitude);
    CallPageScript(L"BaseLine");
  }
  CallPageScript(L"BaseLineEnd");
}

void CMapDlg::StartTrackReplay(int point) {
  StopReplay();
  ResetMap();
  const std::vector<GpsPoint>& points = FirstSegment(track_);
  if (point == -1 || points.empty() || !m_hWnd) return;
  owner_.SetReplaySliderRange(static_cast<int>(points.size()));
  replay_.Start(m_hWnd, points, ReplayStartIndex(points, point));
}

void CMapDlg::StopReplay() {
  if (!replay_.Stop()) return;
  ForgetPosition();
  replayStart_ = -1;
}

// The position text shows the first fixes of a track already, though they draw nothing.
void CMapDlg::ShowPosition() {
  SetInputNumber(L"map_lat", fields_.lat);
  SetInputNumber(L"map_lng", fields_.lng);
  SetInputNumber(L"SpeedBar", fields_.speed);
  CallPageScript(L"showPosition");
}

void CMapDlg::ForgetPosition() {
  fields_.lng = 0.0;
  fields_.lat = 0.0;
  fields_.speed = 0.0;
}

void CMapDlg::ClearMap() {
  ForgetPosition();
  fields_.status = L"clear";
  UpdatePage();
}

void CMapDlg::EndTrack() {
  ForgetPosition();
  EndReplayLine();
}

// The page ends the line drawn so far: the track's play or replay is over.
void CMapDlg::EndReplayLine() {
  fields_.status = L"stopped";
  UpdatePage();
}

// A replayed point is shown like a live fix, with its own time for the segment drawn to it. The
// replay ends when the owner no longer shows it.
void CMapDlg::ShowReplayPoint(WPARAM index) {
  if (!owner_.IsReplayView()) {
    StopReplay();
    return;
  }
  const GpsPoint& point = replay_.Point(index);
  fields_.lat = point.latitude;
  fields_.lng = point.longitude;
  fields_.speed = point.speed;
  fields_.angle = point.course;
  fields_.videoTime = VideoTime(static_cast<double>(point.timeValue));
  fields_.status = L"running";
  UpdatePage();
  owner_.SetReplaySliderPos(static_cast<int>(index));
}
