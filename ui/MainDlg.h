// CMainDlg: the player's one main window (template 149), run modally for the whole life of the
// program. It owns the playback engine, the channel window, the card dialog, the map page, the
// side panels, the lists, grids, calendar, sliders and the G-sensor bar, and lays itself out for
// one of three UI modes (1920, 1440 or 1024 pixels wide).
//
// Its work is split by concern over several files: construction, modes, configuration and
// shutdown (MainDlg.cpp, MainDlgModes.cpp, MainDlgConfig.cpp), message dispatch
// (MainDlgDispatch.cpp), transport (MainDlgTransport.cpp), the timer and recordings
// (MainDlgTimer.cpp), sensor data (MainDlgSensor.cpp), cards (MainDlgCards.cpp), the day view
// (MainDlgDayView.cpp) and the other commands, views and window handling (MainDlgCommands.cpp,
// MainDlgViews.cpp, MainDlgWindow.cpp).
//
// The engine may be missing (it could not be made): the window then ends at once, and every
// operation treats a null engine as "nothing plays".
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "cardtools/CardDialogOwner.h"
#include "cardtools/DiskDlg.h"
#include "cardtools/FileManager.h"
#include "cardtools/FilePad.h"
#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/MonthCalCtrlEx.h"
#include "controls/VxSkinButton.h"
#include "controls/VxSkinDialog.h"
#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "controls/grid/GridCtrl.h"
#include "engine/gps/CarDataFrame.h"
#include "engine/store/IndexBlock.h"
#include "layout/MainLayout.h"
#include "platform/OleDateTime.h"
#include "platform/OutputFile.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/DragDrop.h"
#include "platform/wnd/ListCtrl.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "recorder/CardBlocks.h"
#include "settings/DisplayTime.h"
#include "ui/GsensorBar.h"
#include "ui/MapDlg.h"
#include "ui/CardSourceCtrl.h"
#include "ui/DayViewModel.h"
#include "ui/MapOwner.h"
#include "ui/PanelDlg.h"
#include "ui/TransportCtrl.h"
#include "ui/VersionInfo.h"
#include "ui/panels/CalendarPanel.h"
#include "ui/panels/CompassPanel.h"
#include "ui/panels/ControlPanels.h"
#include "ui/panels/GsensorPanel.h"
#include "ui/panels/IOdlg.h"
#include "ui/panels/SpeedVolumePanels.h"
#include "ui/panels/VideoCtrlPanel.h"
#include "users/AdoConnection.h"

class CFormatDlg;

// The program's name: the main window's title (translated) and the caption of its message boxes.
inline constexpr wchar_t kApplicationName[] = L"Dravik2 Player";
// The icon of the program's windows, large and small.
inline constexpr wchar_t kProgramIcon[] = L"program";

class CMainDlg : public CVxSkinDialog, public ICardSourceView, public IMapOwner, public ITransportObserver {
 public:
  static constexpr UINT kTemplate = 149;
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerPeriodMs = 1000;
  // The passes of step repeat and channel visibility run on UI-thread timers of their own, which
  // shutdown stops with the position timer.
  static constexpr UINT_PTR kStepRepeatTimerId = 2;
  static constexpr UINT_PTR kVisibilityTimerId = 3;
  static constexpr int kSpeedLevels = TransportCtrl::kSpeedLevels;
  static constexpr int kNormalSpeedLevel = TransportCtrl::kNormalSpeedLevel;
  static constexpr int kLoudestVolume = TransportCtrl::kLoudestVolume;

  // One G-sensor sample of the curve in the graph area.
  struct GsensorPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t z = 0;
  };

  // What the command line asks for at start, in order.
  struct StartAction {
    enum Kind { kOpenBackup, kScanDrives } kind;
    CString path;  // the backup of kOpenBackup
  };
  // "-f PATH" and "-F PATH" open the backup; any other argument beginning with '-' scans the
  // drives once; other arguments are skipped. With no argument at all, one scan.
  static std::vector<StartAction> StartActionsOf(const std::vector<CString>& arguments);

  explicit CMainDlg(CWnd* parent = nullptr);
  ~CMainDlg() override;

  // The program's arguments after its name, before the window is made.
  void SetArguments(std::vector<CString> arguments) { arguments_ = std::move(arguments); }

  // ---- Construction and shutdown (MainDlg.cpp)
  BOOL OnInitDialog() override;
  BOOL DestroyWindow() override;
  // Enter and Escape reach the main window through the dialog keys: they do nothing here.
  void OnOK() override;
  void OnCancel() override;
  // Ends the program unless the format or configuration dialog is open; closing the window from
  // the window manager does the same.
  void OnBnClickedClose();
  void OnClose() override { OnBnClickedClose(); }

  // ---- What other windows and subsystems read
  bool HasCardDrive() const { return cardSource_.GetCardDriveNumber() != CardSourceCtrl::kNoDrive; }
  bool IsDefaultSourceMode() const;
  bool IsAltSourceMode() const;
  int GetDstHours() const { return cardSource_.GetDstHours(); }
  std::int64_t GetTimeZoneOffset() const { return cardSource_.GetTimeZoneOffset(); }
  // Back to the PC's own zone: recordings show the recorder's own clock (settings/DisplayTime.h).
  void ClearTimeZoneOffset();
  std::int64_t GetUtcOffsetSeconds() const { return cardSource_.GetUtcOffsetSeconds(); }
  // Selects a row of the time-zone table; an index outside it selects the PC's own zone.
  void SetTimeZoneIndex(int index);
  // The zone of the card's configuration block and Config.ini ("TimeZoneEx", "TimeZone"), given
  // to the engine.
  void LoadTimeZone();
  // The copy of the opened card's configuration block.
  void SetCardConfig(const CardConfigBlock& block) { cardConfig_ = block; }
  // How the windows show recording times (settings/DisplayTime.h).
  app::DisplayZone GetDisplayZone() const { return cardSource_.GetDisplayZone(); }
  int GetUiMode() const { return uiMode_; }
  bool IsNoMark() const { return noMark_; }
  UINT GetBackgroundBitmap() const { return backgroundBitmap_; }
  UINT GetSecondBitmap() const { return secondBitmap_; }
  const CardConfigBlock& GetCardConfig() const { return cardConfig_; }
  const std::vector<RecordSpanEntry>& GetSpans() const { return dayView_.Spans(); }
  // The spans and the day shown of them, which the day view, the calendar and the timer share.
  const DayViewModel& DayView() const { return dayView_; }
  const std::array<int, 10>& GetCameraWords() const { return cameraWords_; }
  CDiskDlg& GetDiskDlg() { return diskDlg_; }
  CMapDlg& GetMapDlg() { return mapDlg_; }
  CPanelDlg& GetChannelWindow() { return channelWindow_; }
  GsensorBar& GetGsensorBar() { return gsensorBar_; }
  CVxSkinSldButton& GetPositionSlider() { return positionSlider_; }
  CVxSkinSldButton2& GetTimeRangeSlider() { return timeRangeSlider_; }
  VideoCtrlPanel& GetVideoCtrlPanel() { return videoCtrlPanel_; }
  GsensorPanel& GetGsensorPanel() { return gsensorPanel_; }
  CalendarPanel& GetCalendarPanel() { return calendarPanel_; }
  CompassPanel& GetCompassPanel() { return compassPanel_; }
  SpeedDlg& GetSpeedDlg() { return speedDlg_; }
  VolumeDlg& GetVolumeDlg() { return volumeDlg_; }
  CCtrlPanel& GetCtrlPanel() { return ctrlPanel_; }
  CClosePanel& GetClosePanel() { return closePanel_; }
  IOdlg& GetCarDataPanel() { return ioDlg_; }
  CVersionInfo& GetVersionInfo() { return versionInfo_; }

  // ---- The card source (ui/CardSourceCtrl.h): the card dialog's owner, which holds the source's
  // engine, drive, zone and spans and hands the window its own part
  CardSourceCtrl& CardSource() { return cardSource_; }
  IIbpCtrl* GetEngine() { return engine_; }
  bool OpenCard(const CString& drivePath) override;
  void SetCardDriveNumber(int driveNo) { cardSource_.SetCardDriveNumber(driveNo); }
  void AppendRecordSpan(const RecordSpanEntry& span, const RecordRowTexts& row) {
    cardSource_.AppendRecordSpan(span, row);
  }
  void ClearRecordSpans() { cardSource_.ClearRecordSpans(); }
  void OnRecordSpanAppended(int n, const RecordRowTexts& row) override;
  void OnRecordSpansCleared() override;
  void StopPlayback() override;
  bool IsPlaying() const override { return playing_; }
  void EnableMainControls(bool enable) override;
  // The video area on the screen.
  CRect GetCardDialogArea() const override;

  // ---- The map page's owner (ui/MapOwner.h)
  void SetMapSelectionPending(bool pending) override { mapSelectionPending_ = pending; }
  void ClearMapSelectionList() override { gsensorPoints_.clear(); }
  bool GetRecordingTimeRange(std::int64_t& first, std::int64_t& last) const override;
  bool SeekMapTime(std::int64_t time) override;
  bool HoldsCourse() const override { return gsensorBar_.GetHold(); }
  void OnMapUpdated() override;
  bool IsReplayView() const override { return mapView_; }
  void SetReplaySliderRange(int pointCount) override { positionSlider_.SetRange(0, pointCount); }
  void SetReplaySliderPos(int point) override { positionSlider_.SetPos(point); }

  // ---- Transport, speed and volume (MainDlgTransport.cpp; the state is the transport
  // controller's, which the window and the panels observe)
  TransportCtrl& Transport() { return transport_; }
  void OnBnClickedPlay();
  void OnBnClickedPause();
  void OnBnClickedStop();
  void OnBnClickedBackward();
  void OnBnClickedNextFrame();
  void OnBnClickedPrevFrame();
  void OnBnClickedSlower();
  void OnBnClickedFaster();
  void OnBnClickedVolumeDown();
  void OnBnClickedVolumeUp();
  void OnBnClickedAudio1();
  void OnBnClickedAudio2();
  void OnBnClickedLayout4();
  void OnBnClickedLayout8();
  // 1 (the one picture, the map at its own place), 4 or 8 cells.
  void SetChannelLayout(int cells);
  int GetChannelLayout() const { return nowChannel_; }
  // Level 0..8 (clamped) to the transport controller, which the sliders and panels follow;
  // returns it.
  int SetSpeedLevel(int level);
  void ResetSpeedSlider();
  // A percent volume 0..100 of a panel's slider.
  void SetVolumeLevel(int value);
  int GetVolumeLevel() const { return transport_.GetVolumeLevel(); }
  void OnBitmapSliderMoved(WPARAM id, LPARAM position);
  void InitVolumeControls();
  void TogglePause();
  // Places the caption panel at the window's bottom-left and redraws.
  void RefreshCaptionPanel();
  // The step repeat runs while a frame button is held; the channel-visibility pass hides the
  // channel window while it has no pictures (a pass that waits first looks after 3 s).
  void StartStepRepeat();
  void StepRepeatTick();
  void StartChannelVisibility();
  void ChannelVisibilityPass();
  // The attenuation of a volume level 0..27 in hundredths of a decibel: 0 for 27, -4320 for 0.
  static std::int32_t LevelAttenuation(int level);

  // ---- Timer, recordings and the slider messages (MainDlgTimer.cpp)
  void OnTimer(UINT_PTR id);
  int FindCurrentRecord() const;
  bool SelectRecord(int n, bool moveViews);
  bool PlayRecord(int n) override;
  bool StartRecord(IndexEntry* entry, std::int64_t from, std::int64_t to);
  void OnBnClickedPrevFile();
  void OnBnClickedNextFile();
  LRESULT OnSliderPressed(WPARAM kind, LPARAM value);
  LRESULT OnPanelCommand(WPARAM kind, LPARAM value);
  LRESULT OnSliderDragged(WPARAM kind, LPARAM value);
  LRESULT OnPlayNextRequest();
  void OnBnClickedRangeStart();
  void OnBnClickedRangeEnd();
  void HighlightCurrentRecordRow();
  // A position pass asked for while painting, run once the paint is over.
  void QueueTimerPass();

  // ---- Sensor data and engine messages (MainDlgSensor.cpp, MainDlgGraph.cpp)
  LRESULT OnGsensorData(WPARAM wParam, LPARAM lParam);
  LRESULT OnVideoSize(WPARAM wParam, LPARAM channel);
  LRESULT OnPlayerEnd(WPARAM wParam, LPARAM lParam);
  void OnBackupDone();
  void DrawGsensorGraph(CDC& dc);
  void DrawGsensorCurve(CDC& dc, int axis, COLORREF colour);
  void DrawPositionText(CDC& dc);
  void DrawSpeed(CDC& dc);
  // The current GPS fix, which the compass and the position text show; without a fix (HasFix
  // false) the position is 0, 0.
  bool HasFix() const { return hasFix_; }
  double GetLatitude() const { return latitude_; }
  double GetLongitude() const { return longitude_; }
  double GetCourse() const { return course_; }
  double GetSpeedKmh() const { return speedKmh_; }
  // The samples of the graph's curve, oldest first, and the speed read-out's text.
  const std::vector<GsensorPoint>& GetGsensorPoints() const { return gsensorPoints_; }
  const CString& GetSpeedText() const { return speedText_; }

  // ---- Cards, device changes, dropped files, password (MainDlgCards.cpp)
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  // The first dropped file: a ".log" opens as the recorder's event log, anything else as a backup.
  void OnDropFiles(HDROP drop);
  // The drive scan of a card arrival (also run once at start by the command line): with
  // "AutoPlay", no card selected and no backup file open, the candidate drives are opened in turn
  // and the first that holds recordings plays its first one.
  void ScanDrivesForCard();
  // True when the card has no password or the user gives a matching account; block defaults to
  // the opened card's and parent to the main window.
  bool CheckCardPassword(const CardConfigBlock* block = nullptr, CWnd* parent = nullptr);
  bool IsPasswordAccepted() const { return passwordAccepted_; }
  // Forgets the open source: the card dialog's, the engine's and the selected card drive.
  void ClearRecordView();
  void OnBnClickedBackup();
  void OnBnClickedPlayback();

  // ---- Day view, record list and settings list (MainDlgDayView.cpp)
  // Days, hours and minutes are those of the recordings' shown times (settings/DisplayTime.h).
  void InitLists();
  void InitGridsAndCalendar();
  void ClearDayMarks();
  void SetupHourGrid(CGridCtrl& grid);
  void SetupMinuteGrid(CGridCtrl& grid);
  // Marks the minutes and hours of the day that shown recordings cover and recolours the grids.
  void FillDay(const COleDateTime& date);
  void ColourHourGrids();
  void ColourMinuteGrids();
  void MarkRecordedDays();
  void RefreshSelectedDay();
  // The day view moves to a recording time (0: nothing): its day, hour and minute are chosen.
  void MoveCalendarTo(std::int64_t time);
  // Seeks to the chosen hour and minute of the day.
  void PlayAtMinute(const COleDateTime& date);
  void FocusGridCell(int hour, int minute);
  void OnHourGridClick(int gridId, NMHDR* notify);
  void OnMinuteGridClick(int gridId, NMHDR* notify);
  void OnCalendarSelect();
  // The recording of each minute of the selected day, -1 for none.
  int GetMinuteRecord(int hour, int minute) const;

  // ---- Other commands, panel toggles and window handling (MainDlgCommands.cpp: tools and
  // toggles; MainDlgViews.cpp: panels and views; MainDlgWindow.cpp: the window's own handling)
  // "<folder>img-YYYY-MM-DD_hh-mm-ss_<tick modulo 1000>_Ch": the engine turns the last three
  // characters into "_Ch1.bmp".
  static CString SnapshotFileName(const CString& folder, const COleDateTime& now, DWORD tick);
  void OnBnClickedSnapShot();
  void ReportSnapshotFailure(const CString& file);
  void OnBnClickedFormat();
  void OnBnClickedConfiguration();
  void OnBnClickedWifi();
  void OnBnClickedCarType();
  void OnBnClickedPassengerMode();
  void OnBnClickedBrakesMode();
  void OnBnClickedMapKey();
  void OnBnClickedFileManager();
  void OnBnClickedFilePad();
  void OnBnClickedBackupSelected();
  void OnBnClickedRestartRecord();
  void OnBnClickedGsensorPanel();
  void OnBnClickedCalendarPanel();
  void OnBnClickedCompassPanel();
  void OnBnClickedMapPage();
  void OnBnClickedCarDataPanel();
  void OnBnClickedSlidePanel();
  void ShowRecordListArea();
  void ShowMapArea();
  void ShowSettingsArea();
  void OnBnClickedSpeedView();
  void OnBnClickedRecordView();
  void ToggleMapView();
  void OnBnClickedFullVideo(bool swap);
  void OnBnClickedSwapViews();
  void OnBnClickedShowSpeedPanel();
  void OnBnClickedShowVolumePanel();
  void OnBnClickedMinimize();
  // A small menu that shows or hides the panels without a button of their own.
  void OnBnClickedMenu();
  bool IsMenuPanelShown(int id) const;
  void ToggleMenuPanel(int id);
  void OnBnClickedRestore();
  void ResetCardDefaults();
  void ToggleFullVideo(bool swap, bool hideControls);
  void ShowControls(bool show);
  void ToggleVersionInfo();
  void OnMouseWheel(UINT keys, int delta, CPoint screen);
  CPoint ToChannelPoint(const CRect& channel, CPoint point) const;
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnMouseMove(UINT keys, CPoint point);
  void OnMouseLeave();
  void OnQueryOpen();
  // A band over the video area that says why nothing opened or plays: an English text of the
  // language files, shown translated; empty takes it away. A recording that starts, or a source
  // that lists recordings, takes it away too.
  void ShowNotice(const CString& key);
  // The same line with a text that is translated already.
  void ShowNoticeText(const CString& text);
  const CString& GetNotice() const { return notice_; }
  // A read of the event log ended: its rows are shown when they are the latest read's.
  LRESULT OnEventLogLoaded(WPARAM read);
  // Records the time of the user's last action and re-places the caption panel.
  void OnUserActivity();

  // ---- Message dispatch (MainDlgDispatch.cpp)
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  // ---- Construction steps (MainDlg.cpp)
  void SetProgramIcons();
  bool CreateEngine();
  void CreateChildDialogs();
  void CreatePanels();
  void LinkPanelSliders();
  void PlaceSidePanels();
  void RunStartActions();
  void OpenBackupAtStart(const CString& path);
  CVxSkinButton* SkinButton(int id);
  void ShowItem(int id, bool show);
  void StopOwnedWork();

  // ---- UI modes and layout (MainDlgModes.cpp)
  void SelectUiMode();
  // Everything placed, skinned and sized for the chosen mode, in the order of the start-up.
  void LayOutMode();
  void SelectModeSkins();
  void PlaceModeControls();
  void PlaceModeControl(const ui::MainControl& control);
  void InitSpeedDigits();
  void PlaceSpeedDigits();
  void PlaceMapPage();
  // The map page's own place in the mode, where it stands outside the channel layouts.
  CRect StoredMapRect() const;
  void LayGsensorBar();
  void SizeToBackground();

  // ---- Day view (MainDlgDayView.cpp)
  static void ColourGridCell(CGridCtrl& grid, int column, int mark);

  // ---- Other commands and window handling (MainDlgCommands.cpp, MainDlgViews.cpp,
  // MainDlgWindow.cpp)
  CString SnapshotFolderText() const;
  void ResumeAfterSnapshot(int level);
  void ShowSnapshot(const CString& path);
  void DrawLastSnapshot(CDC& dc);
  void DrawNotice(CDC& dc);
  bool LoadSnapshotPicture(CSize size);
  void ApplyEdrUnits(int speedUnit, int temperatureUnit);
  void PlaceSlidePanels();
  void KeepInsideWindow(CWnd& panel);
  void HidePanelsUnder(CSidePanel& panel);
  void HideSlidePanels();
  void ShowAreaTab(int area);
  void SetMapTabsEnabled(bool enable);
  CRect BesideListRect() const;
  bool MainListShown() const;
  void PlaceViews();
  void RedrawVideoArea();
  // Every control that the full-video view may hide.
  std::vector<CWnd*> AllControls();

  // ---- Placement and stacking (MainDlgPlacement.cpp)
  // The full-video buttons, Close and Minimise: the full-video view keeps them above the picture.
  static bool IsFullVideoControl(int id);
  void RaiseFullVideoControls();
  CRect FullVideoRect(bool large) const;
  // Every docking of the map page goes through here.
  void DockMapPage(const CRect& rect);
  void ShowPanelBelowButton(CSidePanel& panel, int buttonId);

  // ---- Preferences (MainDlgConfig.cpp)
  void LoadOsdConfig();
  void LoadChannelConfig();
  void LoadDisplayConfig();
  void OpenDebugCsv();

  // ---- Command dispatch (MainDlgDispatch.cpp)
  void OnCommand(int id);
  void OnNotify(NMHDR* notify);

  // ---- Cards (MainDlgCards.cpp)
  bool MayScanForCard() const;
  bool OpenFirstCardWithRecordings();
  void ForgetRemovedCard();
  void SelectCardDriveEntry(const CString& path);
  void OpenEventLog(const CString& path);
  void ShowEventLog();
  void OpenDroppedBackup(const CString& path);
  // ---- Transport helpers (MainDlgTransport.cpp)
  void PlayReplay();
  void ReopenCurrentEntry();
  void PlayChosenRecording();
  // The end of the data of a play: the next Play opens the recording shown again.
  void OnPlayEnded();
  void CloseEngine();
  void StepFrame(double speed);
  void ApplyVolumeLevel(int level);
  void SetChannelAudio(int channel, int boxId);
  bool IsButtonHeld(int id) const;
  bool IsFrameButtonHeld() const;
  // What the window's own sliders show of the transport controller.
  void OnSpeedChanged(int level, double speed) override;
  void OnVolumeChanged(int level) override;
  void OnPauseChanged(bool paused) override;
  void OnVisibilityWaitDone();

  // ---- Timer and recording helpers (MainDlgTimer.cpp)
  static constexpr UINT kMsgTimerPass = WM_APP + 0x149;
  void OnQueuedTimerPass();
  void FollowPlayback();
  void ShowPosition(int pos);
  void SetPositionTip(const CString& text);
  bool IsSpan(int n) const;
  void MarkRecordRow(int n);
  // The record list's selected row, else its focused one; -1 for none.
  int ChosenRecordRow() const;
  void RangeToPicker(int thumb);
  void SeekFromSlider(int value);
  void SeekReplay(int point);
  void SetRangeEndAtPlayTime(int thumb);
  void SetBarsToRecording();

  // ---- Engine and time zone (Part of construction)
  IIbpCtrl* engine_ = nullptr;
  int uiMode_ = 0;
  bool noMark_ = false;
  UINT backgroundBitmap_ = 0;
  UINT secondBitmap_ = 0;
  std::array<CRect, 3> videoRect_;
  CardConfigBlock cardConfig_;
  std::array<int, 10> cameraWords_{};
  std::array<CString, 3> versionTexts_;
  int currentVersion_ = 0;
  std::vector<CString> arguments_;

  // ---- Transport
  TransportCtrl transport_;
  bool reopenPending_ = false;
  bool replayRestart_ = false;
  int nowChannel_ = 1;  // the channel layout: 1, 4 or 8 cells
  bool playing_ = false;
  bool mapView_ = false;
  bool visibilityPending_ = false;
  bool visibilityWaitFirst_ = false;
  // Whether PrevFrame and NextFrame are held is their buttons' own pressed state (IsPressed).
  bool stepRepeatBusy_ = false;
  DWORD lastStep_ = 0;
  DWORD stepPeriod_ = 0;
  bool visibilityWaiting_ = false;  // the 3 s wait of a visibility pass is running
  int shownAtStop_ = -1;            // the recording shown when playback last stopped
  bool playEnded_ = false;          // the engine showed the end of the data and waits

  // ---- Timer and recordings
  DWORD seekLockUntil_ = 0;
  int currentSpan_ = -1;
  int selectedSpan_ = -2;
  bool dragging_ = false;
  DWORD autoNextNotBefore_ = 0;
  bool autoNextDone_ = false;
  bool formatDialogOpen_ = false;
  bool configDialogOpen_ = false;
  CFormatDlg* formatDialog_ = nullptr;
  bool timerPassQueued_ = false;
  CString positionTip_;

  // ---- Sensor data
  void AddGsensorSamples(const IndexBlockA5& block);
  void WriteDebugCsv(const IndexBlockA5& block, const std::array<std::int16_t, 3>& sample);
  void UpdateMapFromBlock(const IndexBlockA5& block);
  void TakeMapFix();
  void TakeCarData();
  void ForgetSensorValues();
  void RefreshGpsPanels();
  void SetJobProgressFromBlock(const IndexBlockA5& block);
  // The most points the curve holds: the graph's width less its margins; 0 or less keeps none.
  int GsensorPointCap() const;
  CSize GraphSize() const;

  IndexBlockA5 sensorBlock_;
  std::uint32_t lastSampledBlock_ = 0;
  std::vector<GsensorPoint> gsensorPoints_;
  int graphLimit_ = 40;
  DWORD lastGraphPaint_ = 0;
  double speedKmh_ = 0.0;
  bool hasCarData_ = false;
  CarDataRecord carData_;
  CString speedText_;
  bool hasFix_ = false;
  double latitude_ = 0.0;
  double longitude_ = 0.0;
  double course_ = 0.0;
  bool keepProportion_ = false;
  plat::OutputFile gsensorCsv_;
  int edrSpeedUnit_ = 0;
  int edrTemperatureUnit_ = 0;
  bool hasUnitPicture_ = false;
  UINT unitPicture_ = 0;

  // ---- Cards
  bool passwordAccepted_ = false;
  CString cardPath_;
  CString cardPathCopy_;
  CString scanPath_;
  std::string scanDevice_;  // the device of the scanned card's disk, when the drive table holds it
  DWORD logicalDrives_ = 0;

  // ---- Day view: the spans of the open source and the day shown of them
  DayViewModel dayView_;
  CardSourceCtrl cardSource_{dayView_, *this};

  // ---- Other commands and window handling
  bool snapshotBusy_ = false;
  bool snapshotShown_ = false;
  CString lastSnapshot_;
  bool recordView_ = false;
  bool mapArea_ = false;
  bool fullVideo_ = false;
  bool swapped_ = false;
  int activeAreaTab_ = 2;  // 1 map, 2 record list, 3 settings list
  bool panelsShown_ = false;
  bool mapSelectionPending_ = false;
  CRect storedWindowRect_;
  CSize storedSize_;
  UINT storedSizeType_ = 0;
  bool firstSize_ = true;
  DWORD lastActivity_ = 0;
  CRect videoRectBeforeFull_;
  CRect mapRectBeforeFull_;
  std::vector<CWnd*> hiddenControls_;  // what the full-video view hid
  CBitmap snapshotPicture_;            // the last snapshot as drawn
  CString notice_;                     // translated; empty for none
  CFont noticeFont_;
  bool formatCleared_ = false;  // Format forgot the source, and nothing was opened since
  // Tests of these commands set the transport state that other parts of the window own.
  friend struct MainDlgTestAccess;

  // ---- Child objects, in the order of construction (destroyed in reverse)
  CDiskDlg diskDlg_;
  IOdlg ioDlg_;
  CMapDlg mapDlg_;
  FileManager fileManager_;
  FilePad filePad_;
  CListCtrl recordList_;
  CListCtrl settingsList_;
  CPanelDlg channelWindow_;
  CDigiStatic speedDigits_;
  std::map<int, CVxSkinButton> buttons_;
  CBitmapSlider volumeBitmapSlider_;
  CVxSkinSldButton positionSlider_;
  CVxSkinSldButton2 timeRangeSlider_;
  CVxSkinSldButton volumeSlider_;
  CVxSkinSldButton speedSlider_;
  CVxSkinSldButton hiddenSlider_;
  CMonthCalCtrlEx calendar_;
  std::array<CGridCtrl, 4> grids_;
  VideoCtrlPanel videoCtrlPanel_;
  CCtrlPanel ctrlPanel_;
  GsensorPanel gsensorPanel_;
  CompassPanel compassPanel_;
  CalendarPanel calendarPanel_;
  CClosePanel closePanel_;
  SpeedDlg speedDlg_;
  VolumeDlg volumeDlg_;
  CVersionInfo versionInfo_;
  CAdoConnection adoConnection_;
  GsensorBar gsensorBar_;
  CToolTipCtrl tooltip_;
  CBitmap graphBitmap_;
  CBitmap positionTextBitmap_;
};
