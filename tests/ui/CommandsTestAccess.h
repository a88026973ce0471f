// What the tests of the main window's commands set and read of its state: the transport state
// that other parts of the window own, so that a command can be tried while a recording plays.
#pragma once

#include "ui/MainDlg.h"

struct MainDlgTestAccess {
  static void SetPlaying(CMainDlg& dlg, bool playing, bool paused, int speedLevel) {
    dlg.playing_ = playing;
    if (dlg.transport_.IsPaused() != paused) dlg.transport_.TogglePause();
    if (speedLevel == TransportCtrl::kNoLevel) {
      dlg.transport_.PlayBackward();
    } else {
      dlg.transport_.SetSpeedLevel(speedLevel);
    }
  }
  static void SetPasswordAccepted(CMainDlg& dlg) { dlg.passwordAccepted_ = true; }
  static void SetSnapshotBusy(CMainDlg& dlg, bool busy = true) { dlg.snapshotBusy_ = busy; }
  static DWORD SeekLockUntil(const CMainDlg& dlg) { return dlg.seekLockUntil_; }
  static CDigiStatic& SpeedDigits(CMainDlg& dlg) { return dlg.speedDigits_; }
};
