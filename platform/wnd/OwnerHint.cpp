// The owner of a top-level window as an X window manager reads it (ICCCM's WM_TRANSIENT_FOR),
// written straight to the X server: elsewhere (the offscreen platform of the tests, Wayland) Qt's
// transient parent is all there is.
#include "platform/wnd/OwnerHint.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

namespace plat {

void WriteTransientFor(QWidget& owned, QWidget& owner) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;
  const xcb_window_t ownerId = static_cast<xcb_window_t>(owner.winId());
  xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(owned.winId()),
                      XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
  xcb_flush(x11->connection());
}

}  // namespace plat
