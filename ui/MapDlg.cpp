#include "ui/MapDlg.h"

#include <utility>

#include "engine/gps/DecimalNumber.h"
#include "platform/File.h"
#include "platform/gdi/GdiQt.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "ui/MapPage.h"

namespace {

constexpr UINT kBrowserId = 1000;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 1000;
constexpr DWORD kFloatingStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kDockedStyle = WS_CHILD | WS_BORDER;
// The most steps kept for a page not loaded yet: an hour of fixes a second, a few minutes where
// every chunk brings a fix of its own; older ones are dropped (about 1 MB at most).
constexpr std::size_t kMostMissedSteps = 4000;

double ConfigDecimal(LPCWSTR key) {
  return ParseDecimalPrefix(g_appConfig.ReadConfigString(key, L"").ToUtf8());
}

CString IntegerText(std::int32_t value) {
  CString text;
  text.Format(L"%d", value);
  return text;
}

}  // namespace

CMapDlg::CMapDlg(IMapOwner& owner)
    : CDialog(kTemplate, nullptr),
      owner_(owner),
      defaultLng_(ConfigDecimal(L"m_default_lng")),
      defaultLat_(ConfigDecimal(L"m_default_lat")) {
  carInfo_.name = LoadLanguageString(L"TestCarInfo");
}

CMapDlg::~CMapDlg() { DestroyWindow(); }

BOOL CMapDlg::Create(CWnd* parent) {
  parent_ = parent;
  return CDialog::Create(kTemplate, parent);
}

// The replay and the page go before the window that they report to.
BOOL CMapDlg::DestroyWindow() {
  replay_.Stop();
  browser_.reset();
  pageLoaded_ = false;
  return m_hWnd != nullptr ? CDialog::DestroyWindow() : FALSE;
}

BOOL CMapDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  Dock();
  SetRefresh(refreshing_);
  browser_ = plat::MakeWebBrowser(*this);
  CRect client;
  GetClientRect(&client);
  if (!browser_->Create(this, client, kBrowserId)) {
    browser_.reset();
    return TRUE;
  }
  ServeMarkers();
  LoadPage();
  return TRUE;
}

void CMapDlg::ServeMarkers() {
  for (const mappage::MarkerPicture& picture : mappage::MarkerPictures()) {
    browser_->ServeResource(plat::FromQString(picture.name), "image/png", picture.png);
  }
}

// The user's keyed page when there is one, else the built-in template.
void CMapDlg::LoadPage() {
  const CString file = app::MapPagePath();
  if (plat::IsOtherThanFile(file.ToUtf8())) {
    plat::ReportUnusedFile(file.ToUtf8(), "it is not a regular file; the map page without a key is shown");
  }
  usingTemplate_ = !plat::FileExists(file.ToUtf8()) || !browser_->Navigate(file);
  if (usingTemplate_) browser_->Navigate(plat::FromQString(mappage::TemplateAddress()));
}

void CMapDlg::OnDocumentComplete(const CString&) {
  pageLoaded_ = true;
  written_.clear();
  CString lng;
  CString lat;
  lng.Format(L"%f", defaultLng_);
  lat.Format(L"%f", defaultLat_);
  SetInput(L"default_lng", lng);
  SetInput(L"default_lat", lat);
  CallPageScript(L"setMap");
  TellMissedSteps();
}

void CMapDlg::TellMissedSteps() {
  for (const MissedStep& step : std::exchange(missed_, {})) {
    switch (step.kind) {
      case MissedStep::Kind::kUpdate:
        WritePage(step.fields);
        CallPageScript(L"refreshMap");
        break;
      case MissedStep::Kind::kInput:
        SetInput(step.name, step.value);
        break;
      case MissedStep::Kind::kScript:
        CallPageScript(step.name);
        break;
    }
  }
}

void CMapDlg::OnNavigateError(const CString&) {
  if (usingTemplate_ || !browser_) return;
  usingTemplate_ = true;
  browser_->Navigate(plat::FromQString(mappage::TemplateAddress()));
}

// The page sends the video time of the segment that the user clicked; only a time of the open
// recording moves the engine, and the track starts over only when the engine went there.
void CMapDlg::OnSelectRoad(int videoTime) {
  if (videoTime == -1) {
    owner_.SetMapSelectionPending(true);
    return;
  }
  std::int64_t first = 0;
  std::int64_t last = 0;
  if (!owner_.GetRecordingTimeRange(first, last) || videoTime < first || videoTime > last) return;
  if (!owner_.SeekMapTime(videoTime)) return;
  owner_.SetMapSelectionPending(false);
  owner_.ClearMapSelectionList();
  ClearTrack();
}

void CMapDlg::CallPageScript(LPCWSTR name) {
  if (pageLoaded_) browser_->CallScript(name);
  else Miss({MissedStep::Kind::kScript, {}, name, {}});
}

void CMapDlg::SetInput(LPCWSTR id, const CString& value) {
  if (!pageLoaded_) {
    Miss({MissedStep::Kind::kInput, {}, id, value});
    return;
  }
  const auto [at, added] = written_.try_emplace(id, value);
  if (!added && at->second == value) return;
  at->second = value;
  browser_->SetElementValue(id, value);
}

void CMapDlg::Miss(MissedStep step) {
  missed_.push_back(std::move(step));
  if (missed_.size() > kMostMissedSteps) missed_.pop_front();
}

// Doubles as the framework's data exchange writes them.
void CMapDlg::SetInputNumber(LPCWSTR id, double value) {
  CString text;
  text.Format(L"%.15g", value);
  SetInput(id, text);
}

void CMapDlg::WritePage(const PageFields& fields) {
  SetInputNumber(L"map_lng", fields.lng);
  SetInputNumber(L"map_lat", fields.lat);
  SetInputNumber(L"offset_lng", fields.offsetLng);
  SetInputNumber(L"offset_lat", fields.offsetLat);
  SetInput(L"map_status", fields.status);
  SetInputNumber(L"SpeedBar", fields.speed);
  SetInputNumber(L"AngleBar", fields.angle);
  SetInput(L"Index", IntegerText(fields.index));
  SetInput(L"videoTime", IntegerText(fields.videoTime));
}

void CMapDlg::OnUpdatePage() {
  if (pageLoaded_) {
    WritePage(fields_);
    CallPageScript(L"refreshMap");
  } else {
    Miss({MissedStep::Kind::kUpdate, fields_, {}, {}});
  }
  owner_.OnMapUpdated();
}

void CMapDlg::SetRefresh(bool on) {
  refreshing_ = on;
  if (!m_hWnd) return;
  if (on) SetTimer(kRefreshTimer, kRefreshMs);
  else KillTimer(kRefreshTimer);
}

LRESULT CMapDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kMsgUpdatePage:
      OnUpdatePage();
      return 0;
    case CMapReplay::kMsgPoint:
      if (replay_.IsCurrent(lParam)) ShowReplayPoint(wParam);
      return 0;
    case CMapReplay::kMsgEnd:
      if (replay_.IsCurrent(lParam)) {
        StopReplay();
        EndTrack();
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimer) UpdatePage();
      return 0;
    case WM_SIZE:
      PlaceBrowser();
      break;
    default:
      break;
  }
  return CDialog::WindowProc(msg, wParam, lParam);
}

void CMapDlg::PlaceBrowser() {
  if (!browser_) return;
  CRect client;
  GetClientRect(&client);
  browser_->Wnd().MoveWindow(&client, TRUE);
}

// A page already docked only moves: taking it out of its parent and back would reload nothing
// but make the browser redraw.
void CMapDlg::Dock() {
  docked_ = true;
  if (!m_hWnd) return;
  if ((GetStyle() & WS_CHILD) == 0) {
    ModifyStyle(kFloatingStyle, kDockedStyle);
    SetParent(parent_);
  }
  MoveWindow(&dockedRect_, TRUE);
}

void CMapDlg::Float() {
  docked_ = false;
  if (!m_hWnd || parent_ == nullptr) return;
  CRect owner;
  parent_->GetWindowRect(&owner);
  ModifyStyle(kDockedStyle, kFloatingStyle);
  SetParent(parent_);
  MoveWindow(owner.left + dockedRect_.left, owner.top + dockedRect_.top, dockedRect_.Width(), dockedRect_.Height(),
             TRUE);
}

void CMapDlg::SetDockedRect(const CRect& rect) {
  dockedRect_ = rect;
  if (m_hWnd && docked_) MoveWindow(&dockedRect_, TRUE);
}
