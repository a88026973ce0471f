#include "platform/wnd/SysMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/gdi/GdiQt.h"

namespace {

QSize g_screenOverride;

QRect ScreenRect(bool available) {
  if (!g_screenOverride.isEmpty()) return QRect(QPoint(), g_screenOverride);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return available ? screen->availableGeometry() : screen->geometry();
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return ScreenRect(false).width();
    case SM_CYSCREEN:
      return ScreenRect(false).height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 17;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    default:
      return 0;
  }
}

BOOL SystemParametersInfo(UINT action, UINT, void* param, UINT) {
  if (action != SPI_GETWHEELSCROLLLINES || !param) return FALSE;
  *static_cast<UINT*>(param) = 3;
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

namespace plat {

void SetScreenSize(int width, int height) { g_screenOverride = QSize(width, height); }

CRect WorkArea() {
  const QRect r = ScreenRect(true);
  return ToCRect(r);
}

}  // namespace plat
