// The main window's messages, commands, notifications and keys, each handed to its handler.
#include "controls/Messages.h"
#include "engine/state/EngineState.h"
#include "platform/devices/DeviceChange.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// Set in a key-down's lParam when the key was already down: the key repeats.
constexpr LPARAM kKeyWasDown = 1 << 30;

}  // namespace

LRESULT CMainDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      OnNotify(reinterpret_cast<NMHDR*>(lParam));
      break;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_PLAYER_SENSORDATA:
      return OnGsensorData(wParam, lParam);
    case WM_PLAYER_VIDEOSIZE:
      return OnVideoSize(wParam, lParam);
    case WM_PLAYER_END:
      return OnPlayerEnd(wParam, lParam);
    case WM_PLAYER_PLAYNEXT:
      return OnPlayNextRequest();
    case WM_SLIDER_PRESSED:
      return OnSliderPressed(wParam, lParam);
    case WM_PANEL_COMMAND:
      return OnPanelCommand(wParam, lParam);
    case WM_SLIDER_DRAGGED:
      return OnSliderDragged(wParam, lParam);
    case WM_BITMAPSLIDER_MOVED:
      OnBitmapSliderMoved(wParam, lParam);
      return 0;
    case WM_DEVICECHANGE:
      return OnDeviceChange(wParam, lParam);
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      break;
    case WM_EVENTLOG_LOADED:
      return OnEventLogLoaded(wParam);
    case WM_MOUSEWHEEL:
      OnMouseWheel(LOWORD(wParam), GET_WHEEL_DELTA_WPARAM(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
    case WM_QUERYOPEN:
      OnQueryOpen();
      break;
    case WM_PAINT: {
      const LRESULT painted = CVxSkinDialog::WindowProc(msg, wParam, lParam);
      OnPaint();
      QueueTimerPass();
      return painted;
    }
    case kMsgTimerPass:
      OnQueuedTimerPass();
      return 0;
    case WM_SIZE: {
      const LRESULT sized = CVxSkinDialog::WindowProc(msg, wParam, lParam);
      OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return sized;
    }
    case WM_MOUSEMOVE:
      OnMouseMove(static_cast<UINT>(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      break;
    default:
      break;
  }
  return CVxSkinDialog::WindowProc(msg, wParam, lParam);
}

void CMainDlg::OnCommand(int id) {
  switch (id) {
    // Transport, speed and volume.
    case mainid::kPlay: OnBnClickedPlay(); break;
    case mainid::kPause: OnBnClickedPause(); break;
    case mainid::kStop: OnBnClickedStop(); break;
    case mainid::kBackward: OnBnClickedBackward(); break;
    case mainid::kNextFrame: OnBnClickedNextFrame(); break;
    case mainid::kPrevFrame: OnBnClickedPrevFrame(); break;
    case mainid::kSlower: OnBnClickedSlower(); break;
    case mainid::kFaster: OnBnClickedFaster(); break;
    case mainid::kVolumeDown: OnBnClickedVolumeDown(); break;
    case mainid::kVolumeUp: OnBnClickedVolumeUp(); break;
    case mainid::kAudio1: OnBnClickedAudio1(); break;
    case mainid::kAudio2: OnBnClickedAudio2(); break;
    case mainid::kLayout4: OnBnClickedLayout4(); break;
    case mainid::kLayout8: OnBnClickedLayout8(); break;
    // Recordings.
    case mainid::kPrevFile: OnBnClickedPrevFile(); break;
    case mainid::kNextFile: OnBnClickedNextFile(); break;
    case mainid::kRangeStart: OnBnClickedRangeStart(); break;
    case mainid::kRangeEnd: OnBnClickedRangeEnd(); break;
    case mainid::kRestartRecord: OnBnClickedRestartRecord(); break;
    // Cards.
    case mainid::kBackup: OnBnClickedBackup(); break;
    case mainid::kPlayback:
    case mainid::kPlaybackTool: OnBnClickedPlayback(); break;
    case mainid::kBackupSelected: OnBnClickedBackupSelected(); break;
    // Tools and Config.ini toggles.
    case mainid::kSnapShot: OnBnClickedSnapShot(); break;
    case mainid::kFormat: OnBnClickedFormat(); break;
    case mainid::kConfiguration: OnBnClickedConfiguration(); break;
    case mainid::kWifi: OnBnClickedWifi(); break;
    case mainid::kCarType: OnBnClickedCarType(); break;
    case mainid::kPassengerMode: OnBnClickedPassengerMode(); break;
    case mainid::kBrakesMode: OnBnClickedBrakesMode(); break;
    case mainid::kMapKey: OnBnClickedMapKey(); break;
    case mainid::kFileManager: OnBnClickedFileManager(); break;
    case mainid::kFilePad: OnBnClickedFilePad(); break;
    // Panels.
    case mainid::kGsensorPanel: OnBnClickedGsensorPanel(); break;
    case mainid::kCalendarPanel: OnBnClickedCalendarPanel(); break;
    case mainid::kCompassPanel: OnBnClickedCompassPanel(); break;
    case mainid::kMapPage: OnBnClickedMapPage(); break;
    case mainid::kCarDataPanel: OnBnClickedCarDataPanel(); break;
    case mainid::kSlidePanel: OnBnClickedSlidePanel(); break;
    case mainid::kShowSpeedPanel: OnBnClickedShowSpeedPanel(); break;
    case mainid::kShowVolumePanel: OnBnClickedShowVolumePanel(); break;
    // The main area's views.
    case mainid::kRecordListTab:
    case mainid::kRecordListTab2: ShowRecordListArea(); break;
    case mainid::kMapTab:
    case mainid::kMapTab2: ShowMapArea(); break;
    case mainid::kSettingsTab:
    case mainid::kSettingsTab2: ShowSettingsArea(); break;
    case mainid::kSpeedView: OnBnClickedSpeedView(); break;
    case mainid::kRecordView: OnBnClickedRecordView(); break;
    case mainid::kMapView: ToggleMapView(); break;
    case mainid::kFullVideo: OnBnClickedFullVideo(false); break;
    case mainid::kFullVideoSwap: OnBnClickedFullVideo(true); break;
    case mainid::kSwapViews:
    case mainid::kSwapViews2: OnBnClickedSwapViews(); break;
    // The window.
    case mainid::kMinimize: OnBnClickedMinimize(); break;
    case mainid::kClose: OnBnClickedClose(); break;
    case mainid::kMenu: OnBnClickedMenu(); break;
    case mainid::kRestore: OnBnClickedRestore(); break;
    default: break;  // 1036 to 1039 and 1100 have no effect
  }
}

void CMainDlg::OnNotify(NMHDR* notify) {
  if (notify == nullptr) return;
  const int id = static_cast<int>(notify->idFrom);
  switch (id) {
    case mainid::kHourGrid0:
    case mainid::kHourGrid12:
      if (notify->code == static_cast<UINT>(NM_CLICK)) OnHourGridClick(id, notify);
      break;
    case mainid::kMinuteGrid0:
    case mainid::kMinuteGrid30:
      if (notify->code == static_cast<UINT>(NM_CLICK)) OnMinuteGridClick(id, notify);
      break;
    case mainid::kCalendar:
      if (notify->code == static_cast<UINT>(NM_MONTHCAL_DATECHANGE)) OnCalendarSelect();
      break;
    case mainid::kRecordList:
      if (notify->code == static_cast<UINT>(NM_DBLCLK)) PlayRecord(reinterpret_cast<NMITEMACTIVATE*>(notify)->iItem);
      break;
    default:
      break;
  }
}

// The space bar, Enter and Escape do nothing else in the window and its controls (Escape would
// otherwise end the program); the windows it owns keep them. Enter on the record list plays the
// recording chosen there; Escape leaves the full-video view. F6 shows or hides the version
// dialog, once per press, from the window and from the panels. The tips follow the mouse.
BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    const CWnd* target = CWnd::FromHandle(msg->hwnd);
    const bool own = target == this || IsChild(target);
    switch (static_cast<int>(msg->wParam)) {
      case VK_RETURN:
        if (target == &recordList_) PlayRecord(ChosenRecordRow());
        if (own) return TRUE;
        break;
      case VK_ESCAPE:
        if (own && fullVideo_) ToggleFullVideo(swapped_, true);
        if (own) return TRUE;
        break;
      case VK_SPACE:
        if (own) return TRUE;
        break;
      case VK_F6:
        if ((msg->lParam & kKeyWasDown) == 0) ToggleVersionInfo();
        return TRUE;
      default:
        break;
    }
  }
  if (msg->message == WM_MOUSEMOVE && tooltip_.GetSafeHwnd()) tooltip_.RelayEvent(msg);
  return CVxSkinDialog::PreTranslateMessage(msg);
}
