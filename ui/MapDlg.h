// CMapDlg: the map page (template 131), which shows the GPS track of the recording on a web map
// in the embedded browser. It sits inside the main window as a bordered child (docked) or floats
// as a captioned, sizeable pop-up, and is made hidden with the main window's other child dialogs.
//
// The program writes the page's hidden inputs and calls its script functions by name (the page,
// "mapdlg.htm" from the settings folder or else the built-in template, draws with the map
// service's JavaScript API); the page answers only through external.OnSelectRoad(videoTime). Two sources feed it:
// the fixes of the recording that plays (UpdateMapPosition, with the video time) and the replay
// of a track from the event log, walked by a worker that posts each point to the UI thread.
//
// The browser's engine starts only when the page is first shown. Until the page has loaded, what
// it would have been told since the track last started over is kept (the newest steps, up to a
// bound) and told when it has, so the page first shown draws the track and the position as if it
// had been there all along. The page is told only what changed: a recorder repeats its last fix in
// the sensor block of every chunk until the next one, and an input keeps what it was written.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gps/CarInfoLine.h"
#include "engine/gps/GpsTrack.h"
#include "platform/browser/WebBrowser.h"
#include "platform/wnd/Dialog.h"
#include "ui/MapOwner.h"
#include "ui/MapReplay.h"

class CMapDlg : public CDialog, private plat::IWebBrowserEvents {
 public:
  static constexpr UINT kTemplate = 131;
  // Sent to the dialog itself after its fields change: they are written into the page, the page
  // redraws ("refreshMap") and the owner refreshes its panels.
  static constexpr UINT kMsgUpdatePage = 0x47B;

  explicit CMapDlg(IMapOwner& owner);
  ~CMapDlg() override;

  using CDialog::Create;
  // The map page as a hidden child of the owner's window, docked at its rectangle.
  BOOL Create(CWnd* parent);
  BOOL DestroyWindow() override;

  // --- the recording that plays
  // One GPS sentence ($GPRMC/$GNRMC) or car-data line of a sensor block. The first five fixes of a
  // track only clear the page; from the sixth on the car is drawn. A text that does not parse
  // changes nothing.
  void UpdateMapPosition(std::string_view text, bool carDataLine);
  // The engine time of the sensor block; the segment drawn next carries it less the current speed
  // in metres per second (time - km/h / 3.6, truncated), and a click on it seeks there.
  void SetVideoTime(std::int64_t time);
  // A new line on the page: the track starts again from the next fix, offsets, speed and course
  // are 0; the page docks.
  void ResetMap();
  // When a recording starts, stops or is sought: the map is reset and the position, distance,
  // replay start point and replay track are forgotten.
  void ClearTrack();
  void ClearPaths() { CallPageScript(L"clearPaths"); }
  // Playback stopped: the markers go with the track, and the position text.
  void ClearMap();
  // The play came to its end: the track ends at the last place drawn and no position shows.
  void EndTrack();

  // --- the event log's track
  // Keeps a copy of the track for the replay and hands its points up to the time to the page's
  // base-line functions.
  void ShowTrackBaseLine(const GpsTrack& track, std::int64_t time);
  // Stops a running replay and resets the map; then, unless point is -1, replays the track's first
  // segment from its point-th timed point. An empty track starts none.
  void StartTrackReplay(int point);
  bool IsReplayRunning() const { return replay_.IsRunning(); }
  // The running replay paused or resumed (the owner's Pause in the map view), or stepped one point
  // (it pauses after it).
  void PauseReplay(bool paused) { replay_.Pause(paused); }
  bool IsReplayPaused() const { return replay_.IsPaused(); }
  void StepReplay() { replay_.Step(); }
  // Points follow each other 200 ms / factor apart; 1 until set.
  void SetReplaySpeedFactor(double factor) { replay_.SetSpeedFactor(factor); }
  // Where the next replay starts; -1 for none.
  int GetReplayStartPoint() const { return replayStart_; }
  void SetReplayStartPoint(int point) { replayStart_ = point; }

  // While on, the page and the owner's panels are refreshed every second from the fields.
  void SetRefresh(bool on);
  bool IsRefreshing() const { return refreshing_; }

  // --- placement
  void Dock();
  // A pop-up at the owner window's position plus the docked rectangle's top-left corner.
  void Float();
  bool IsDocked() const { return docked_; }
  const CRect& GetDockedRect() const { return dockedRect_; }
  // Left, top, right and bottom in the owner's client area; a docked page moves there.
  void SetDockedRect(const CRect& rect);

  // --- what the owner shows
  double GetLatitude() const { return fields_.lat; }
  double GetLongitude() const { return fields_.lng; }
  double GetSpeed() const { return fields_.speed; }  // km/h
  double GetCourse() const { return fields_.angle; }
  double GetDistanceKm() const { return distanceKm_; }
  const CarInfo& GetCarInfo() const { return carInfo_; }
  bool IsPageLoaded() const { return pageLoaded_; }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  // The values of the page's hidden inputs.
  struct PageFields {
    double lng = 0.0;
    double lat = 0.0;
    double offsetLng = 0.0;
    double offsetLat = 0.0;
    CString status = L"stopped";
    double speed = 0.0;
    double angle = 0.0;
    std::int32_t index = -1;
    std::int32_t videoTime = 0;
  };

  // A step that the page missed before it loaded: the fields written and a redraw, an input
  // written (name and value), or a script function called (name only).
  struct MissedStep {
    enum class Kind { kUpdate, kInput, kScript } kind;
    PageFields fields;
    CString name;
    CString value;
  };

  void OnDocumentComplete(const CString& url) override;
  void OnNavigateError(const CString& url) override;
  void OnSelectRoad(int videoTime) override;

  void LoadPage();
  void ServeMarkers();
  void PlaceBrowser();
  void CallPageScript(LPCWSTR name);
  void SetInput(LPCWSTR id, const CString& value);
  void SetInputNumber(LPCWSTR id, double value);
  void WritePage(const PageFields& fields);
  void TellMissedSteps();
  void Miss(MissedStep step);
  void UpdatePage() { SendMessage(kMsgUpdatePage, 0); }
  void OnUpdatePage();

  bool ParseFix(std::string_view text, bool carDataLine, double& lat, double& lng, double& speed,
                double& course);
  void AddDistance(double lat, double lng);
  void SetOffsets(double lng, double lat);
  void ShowPosition();
  void ForgetPosition();
  void ShowReplayPoint(WPARAM index);
  void EndReplayLine();
  void StopReplay();

  IMapOwner& owner_;
  CWnd* parent_ = nullptr;
  std::unique_ptr<plat::IWebBrowser> browser_;
  bool pageLoaded_ = false;
  bool usingTemplate_ = false;
  std::deque<MissedStep> missed_;
  std::map<CString, CString> written_;  // what the loaded page's inputs hold, by id
  std::string lastFixText_;             // the text of the fix last taken

  PageFields fields_;
  double defaultLng_ = 0.0;
  double defaultLat_ = 0.0;
  double lastLat_ = kNoPosition;
  double lastLng_ = kNoPosition;
  double distanceKm_ = 0.0;
  int fixCount_ = 0;
  CarInfo carInfo_;

  GpsTrack track_;
  CMapReplay replay_;
  int replayStart_ = -1;
  bool refreshing_ = false;

  bool docked_ = true;
  CRect dockedRect_{513, 62, 1015, 438};
};
