// What the main window shows: the side panels, the main area (record list, map or settings list),
// the map view, the full-video view and the sliding control panels.
#include <algorithm>

#include "platform/Time.h"
#include "platform/wnd/Menu.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// The sliding panels: the video control panel down the left edge, the control bar beside it.
constexpr int kPanelInset = 3;
constexpr int kVideoPanelMaxWidth = 480;
constexpr int kControlBarHeight = 170;
constexpr int kPanelCorner = 4;
// The map page's track replay takes this long to stop before the page moves.
constexpr std::uint32_t kMapPlaceWaitMs = 10;

bool HasVisibleStyle(const CWnd& wnd) { return wnd.GetSafeHwnd() != nullptr && (wnd.GetStyle() & WS_VISIBLE) != 0; }

// The Menu's items: the panels that have no button of their own, each shown or hidden by the
// command of its hidden button.
struct MenuPanel {
  int id;
  const wchar_t* text;
};
constexpr MenuPanel kMenuPanels[] = {
    {mainid::kSlidePanel, L"Control Panels"}, {mainid::kCompassPanel, L"Compass Button"},
    {mainid::kCarDataPanel, L"Car Data"},     {mainid::kFileManager, L"Backup Files"},
    {mainid::kFilePad, L"File Pad"},
};

void Show(CWnd& wnd, bool show) {
  if (wnd.GetSafeHwnd()) wnd.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// A list of the main area is shown over the video, whose top-left corner it shares.
void ShowOverVideo(CWnd& list) {
  if (list.GetSafeHwnd()) {
    list.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

// The tab buttons: each area has an active and an inactive look, one of them shown.
struct AreaTab {
  int active;
  int inactive;
};
constexpr AreaTab kAreaTabs[] = {{mainid::kMapTab, mainid::kMapTab2},
                                 {mainid::kRecordListTab, mainid::kRecordListTab2},
                                 {mainid::kSettingsTab, mainid::kSettingsTab2}};

void ClipRounded(CWnd& panel, int width, int height) {
  CRgn region;
  region.CreateRoundRectRgn(0, 0, width + 1, height + 1, kPanelCorner, kPanelCorner);
  panel.SetWindowRgn(&region, TRUE);
}

}  // namespace

void CMainDlg::OnBnClickedGsensorPanel() {
  HidePanelsUnder(gsensorPanel_);
  gsensorPanel_.Toggle(-1);
}

void CMainDlg::OnBnClickedCalendarPanel() {
  HidePanelsUnder(calendarPanel_);
  calendarPanel_.Toggle(-1);
}

// The compass follows the map page's position: the page refreshes while the compass shows.
void CMainDlg::OnBnClickedCompassPanel() {
  const bool showing = !HasVisibleStyle(compassPanel_);
  mapDlg_.SetRefresh(showing);
  Show(mapDlg_, true);
  if (showing) KeepInsideWindow(compassPanel_);
  HidePanelsUnder(compassPanel_);
  compassPanel_.Toggle(-1);
}

// A side panel that opens where another one shows takes its place, as the speed and volume panels
// take turns. In the smallest mode no two of the calendar, the G-sensor panel and the compass fit
// apart beside the record list (the calendar alone is nearly as wide as that area, and any two
// stacked are taller than it, with the tool bar above and the transport row below): one laid over
// another would hide its days, its range slider or its position, and the user could not reach
// what lies under it. A panel being hidden leaves the others as they are.
void CMainDlg::HidePanelsUnder(CSidePanel& panel) {
  if (!panel.GetSafeHwnd() || HasVisibleStyle(panel)) return;
  CRect place;
  panel.GetWindowRect(&place);
  for (CSidePanel* other : {static_cast<CSidePanel*>(&calendarPanel_), static_cast<CSidePanel*>(&gsensorPanel_),
                            static_cast<CSidePanel*>(&compassPanel_)}) {
    CRect at;
    if (other == &panel || !other->GetSafeHwnd() || !HasVisibleStyle(*other)) continue;
    other->GetWindowRect(&at);
    if (!CRect().IntersectRect(place, at)) continue;
    if (other == &compassPanel_) mapDlg_.SetRefresh(false);
    other->Toggle(CSidePanel::kHidden);
  }
}

// A panel placed for the largest mode is moved back inside the window's right and bottom edges,
// which in the smaller modes lie left of and above it.
void CMainDlg::KeepInsideWindow(CWnd& panel) {
  if (!panel.GetSafeHwnd()) return;
  CRect window, r;
  GetWindowRect(&window);
  panel.GetWindowRect(&r);
  const int x = std::max(window.left, std::min(r.left, window.right - r.Width()));
  const int y = std::max(window.top, std::min(r.top, window.bottom - r.Height()));
  if (x != r.left || y != r.top) panel.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainDlg::OnBnClickedMapPage() {
  mapDlg_.SetRefresh(!mapDlg_.IsRefreshing());
  Show(mapDlg_, true);
}

// The car-data panel shows centred over the window, with its data drawn afresh.
void CMainDlg::OnBnClickedCarDataPanel() {
  if (!ioDlg_.GetSafeHwnd()) return;
  if (HasVisibleStyle(ioDlg_)) {
    ioDlg_.Toggle(0);
    return;
  }
  ioDlg_.ShowCentered();
  ioDlg_.Invalidate();
  ioDlg_.Toggle(5);
}

void CMainDlg::OnBnClickedShowSpeedPanel() {
  ShowPanelBelowButton(speedDlg_, mainid::kShowSpeedPanel);
  volumeDlg_.Toggle(0);
}

void CMainDlg::OnBnClickedShowVolumePanel() {
  ShowPanelBelowButton(volumeDlg_, mainid::kShowVolumePanel);
  speedDlg_.Toggle(0);
}

// The video control panel and the control bar slide in over the window; they slide out again
// only while a recording is open.
void CMainDlg::OnBnClickedSlidePanel() {
  if (!panelsShown_) {
    if (!videoCtrlPanel_.GetSafeHwnd() || !ctrlPanel_.GetSafeHwnd()) return;
    PlaceSlidePanels();
    videoCtrlPanel_.Toggle(5);
    ctrlPanel_.Toggle(5);
    panelsShown_ = true;
  } else if (playing_) {
    HideSlidePanels();
  }
}

void CMainDlg::HideSlidePanels() {
  for (CSidePanel* panel : {static_cast<CSidePanel*>(&videoCtrlPanel_), static_cast<CSidePanel*>(&ctrlPanel_)}) {
    CRect r;
    panel->GetWindowRect(&r);
    ClipRounded(*panel, r.Width(), r.Height());
    panel->Toggle(0);
  }
  panelsShown_ = false;
}

// The Menu button lists the panels without a button of their own, a shown one ticked; the chosen
// one is shown, or hidden when it was shown.
void CMainDlg::OnBnClickedMenu() {
  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  for (const MenuPanel& item : kMenuPanels) {
    const UINT ticked = IsMenuPanelShown(item.id) ? MF_CHECKED : 0;
    menu.AppendMenu(MF_STRING | ticked, static_cast<UINT_PTR>(item.id), LoadLanguageString(item.text));
  }
  CRect button;
  if (const CWnd* menuButton = GetDlgItem(mainid::kMenu)) menuButton->GetWindowRect(&button);
  const UINT_PTR chosen = menu.TrackPopupMenu(TPM_RIGHTALIGN | TPM_RETURNCMD, button.right, button.bottom, this);
  if (chosen != 0) ToggleMenuPanel(static_cast<int>(chosen));
}

bool CMainDlg::IsMenuPanelShown(int id) const {
  switch (id) {
    case mainid::kSlidePanel: return panelsShown_;
    case mainid::kCompassPanel: return HasVisibleStyle(compassPanel_);
    case mainid::kCarDataPanel: return HasVisibleStyle(ioDlg_);
    case mainid::kFileManager: return HasVisibleStyle(fileManager_);
    case mainid::kFilePad: return HasVisibleStyle(filePad_);
    default: return false;
  }
}

// The Menu hides what it showed also while nothing plays, unlike the slide command itself.
void CMainDlg::ToggleMenuPanel(int id) {
  const bool shown = IsMenuPanelShown(id);
  switch (id) {
    case mainid::kSlidePanel:
      if (shown) {
        HideSlidePanels();
      } else {
        OnBnClickedSlidePanel();
      }
      break;
    case mainid::kCompassPanel:
      OnBnClickedCompassPanel();
      break;
    case mainid::kCarDataPanel:
      OnBnClickedCarDataPanel();
      break;
    case mainid::kFileManager:
      if (shown) {
        Show(fileManager_, false);
      } else {
        OnBnClickedFileManager();
      }
      break;
    case mainid::kFilePad:
      if (shown) {
        Show(filePad_, false);
      } else {
        OnBnClickedFilePad();
      }
      break;
    default:
      break;
  }
}

// The video control panel takes the side it was shifted to, the control bar the rest of the bottom;
// the map page moves up when the control bar would cover its bottom.
void CMainDlg::PlaceSlidePanels() {
  CRect window;
  GetWindowRect(&window);
  const bool right = videoCtrlPanel_.GetSide() == VideoCtrlPanel::kRightSide;
  const auto place = [&](CWnd& panel, int x, int y, int width, int height) {
    panel.MoveWindow(right ? window.left + window.right - x - width : x, y, width, height);
    ClipRounded(panel, width, height);
  };
  const int width = std::min(window.Width() - 21, kVideoPanelMaxWidth) + kPanelInset;
  const int height = window.Height() - 5;
  place(videoCtrlPanel_, window.left + kPanelInset, window.top + kPanelInset, width, height);
  const int barTop = window.top + height - kControlBarHeight + kPanelInset;
  // The bar ends as far inside the window's far edge as the video control panel starts from its
  // near one (4 px past the edge would cut its rounded corners off the window).
  place(ctrlPanel_, window.left + width, barTop, window.Width() - width - kPanelInset, kControlBarHeight);
  if (!mapDlg_.GetSafeHwnd()) return;
  CRect map;
  mapDlg_.GetWindowRect(&map);
  const int overlap = map.bottom - barTop;
  if (overlap <= 0) return;
  if (mapDlg_.IsDocked()) {
    CRect docked = mapDlg_.GetDockedRect();
    docked.OffsetRect(0, -overlap);
    DockMapPage(docked);
  } else {
    map.OffsetRect(0, -overlap);
    mapDlg_.MoveWindow(&map);
  }
}

void CMainDlg::ShowRecordListArea() {
  mapArea_ = false;
  ShowOverVideo(recordList_);
  Show(mapDlg_, false);
  Show(settingsList_, false);
  ShowAreaTab(2);
  PlaceViews();
}

// A full-video view keeps the map page hidden behind the video. Otherwise the map page lies over
// the picture, whose bottom right corner it takes in the one-picture layout (the on-screen text
// lies along the picture's top and at its bottom left), so that it is seen while a recording plays.
void CMainDlg::ShowMapArea() {
  mapArea_ = true;
  mapDlg_.SetRefresh(false);
  Show(recordList_, false);
  Show(settingsList_, false);
  if (!fullVideo_ && !swapped_) {
    ShowOverVideo(mapDlg_);
  } else {
    Show(mapDlg_, false);
  }
  ShowAreaTab(1);
  PlaceViews();
}

void CMainDlg::ShowSettingsArea() {
  mapArea_ = false;
  ShowOverVideo(settingsList_);
  Show(recordList_, false);
  Show(mapDlg_, false);
  ShowAreaTab(3);
  PlaceViews();
}

// The active area's tab shows its active look, the others their inactive one.
void CMainDlg::ShowAreaTab(int area) {
  activeAreaTab_ = area;
  for (int i = 0; i < 3; ++i) {
    const bool active = i + 1 == area;
    ShowItem(kAreaTabs[i].active, active);
    ShowItem(kAreaTabs[i].inactive, !active);
  }
}

// The record list takes the area and the speed read-out steps aside; the map cannot be chosen.
void CMainDlg::OnBnClickedSpeedView() {
  ShowItem(mainid::kSpeedView, false);
  ShowItem(mainid::kRecordView, true);
  Show(speedDigits_, false);
  recordView_ = true;
  ShowRecordListArea();
  SetMapTabsEnabled(false);
}

void CMainDlg::OnBnClickedRecordView() {
  ShowItem(mainid::kSpeedView, true);
  ShowItem(mainid::kRecordView, false);
  recordView_ = false;
  Show(speedDigits_, true);
  ShowMapArea();
  SetMapTabsEnabled(true);
}

void CMainDlg::SetMapTabsEnabled(bool enable) {
  for (int id : {mainid::kMapTab, mainid::kMapTab2}) {
    if (CWnd* tab = GetDlgItem(id)) tab->EnableWindow(enable);
  }
  ShowItem(mainid::kMapTab, true);
  ShowItem(mainid::kMapTab2, false);
}

// The map view: the map page beside the record list, which stays shown, replays the event log's
// track while no video shows; a second click ends it and takes the map page away.
void CMainDlg::ToggleMapView() {
  RefreshSelectedDay();
  calendar_.Invalidate();
  mapDlg_.SetRefresh(false);
  const bool ending = mapView_;
  OnBnClickedStop();
  plat::TickClock().SleepMs(kMapPlaceWaitMs);
  if (!HasVisibleStyle(recordList_) && !HasVisibleStyle(settingsList_)) ShowRecordListArea();
  DockMapPage(BesideListRect());
  mapView_ = !ending;
  Show(mapDlg_, mapView_);
  if (mapDlg_.GetSafeHwnd()) mapDlg_.SendMessage(CMapDlg::kMsgUpdatePage, 0);
  RedrawVideoArea();
  RefreshCaptionPanel();
}

CRect CMainDlg::BesideListRect() const {
  const ui::LayoutRect& r = ui::AreaRect(ui::Area::kBesideList, uiMode_);
  return CRect(r.left, r.top, r.right, r.bottom);
}

bool CMainDlg::MainListShown() const { return HasVisibleStyle(recordList_) || HasVisibleStyle(settingsList_); }

void CMainDlg::RedrawVideoArea() {
  for (CWnd* wnd : {static_cast<CWnd*>(&positionSlider_), static_cast<CWnd*>(&timeRangeSlider_),
                    static_cast<CWnd*>(&speedSlider_), static_cast<CWnd*>(&volumeSlider_),
                    static_cast<CWnd*>(&channelWindow_)}) {
    if (wnd->GetSafeHwnd()) wnd->Invalidate();
  }
}

// A second click leaves the view at any time, also after the recording has ended.
void CMainDlg::OnBnClickedFullVideo(bool swap) {
  if (fullVideo_ || playing_) ToggleFullVideo(swap, true);
}

// On: the video takes the whole window (swap), or a small picture at the top right with the map
// page in the video area beside it. Off: everything goes back where it was.
void CMainDlg::ToggleFullVideo(bool swap, bool hideControls) {
  if (fullVideo_) {
    channelWindow_.SetEmbeddedRect(videoRectBeforeFull_);
    DockMapPage(mapRectBeforeFull_);
    fullVideo_ = false;
    swapped_ = false;
    ShowControls(true);
  } else if (channelWindow_.GetSafeHwnd()) {
    swapped_ = swap;
    if (hideControls) ShowControls(false);
    videoRectBeforeFull_ = channelWindow_.GetEmbeddedRect();
    mapRectBeforeFull_ = mapDlg_.GetSafeHwnd() ? mapDlg_.GetDockedRect() : CRect();
    DockMapPage(FullVideoRect(true));
    channelWindow_.SetEmbeddedRect(FullVideoRect(swap));
    channelWindow_.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RaiseFullVideoControls();
    fullVideo_ = true;
  }
  Invalidate();
}

// The channel window and a second view share one rectangle; with one channel there is no second
// view to exchange places with.
void CMainDlg::OnBnClickedSwapViews() { RedrawVideoArea(); }

// Hiding remembers which controls showed and the area tab; showing brings exactly those back.
void CMainDlg::ShowControls(bool show) {
  if (show) {
    for (CWnd* control : hiddenControls_) Show(*control, true);
    hiddenControls_.clear();
    if (activeAreaTab_ == 1) ShowMapArea();
    if (activeAreaTab_ == 2) ShowRecordListArea();
    if (activeAreaTab_ == 3) ShowSettingsArea();
    return;
  }
  const int tab = mapArea_ ? 1 : HasVisibleStyle(settingsList_) ? 3 : 2;
  ShowMapArea();
  activeAreaTab_ = tab;
  for (CWnd* control : AllControls()) {
    if (!HasVisibleStyle(*control)) continue;
    hiddenControls_.push_back(control);
    Show(*control, false);
  }
}

std::vector<CWnd*> CMainDlg::AllControls() {
  std::vector<CWnd*> controls{&recordList_, &settingsList_, &speedDigits_, &volumeBitmapSlider_};
  for (const ui::MainControl& c : ui::kMainControls) {
    if (IsFullVideoControl(c.id)) continue;
    if (CWnd* item = GetDlgItem(c.id)) controls.push_back(item);
  }
  return controls;
}
