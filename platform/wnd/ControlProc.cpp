#include "platform/wnd/ControlProc.h"

#include <QKeyEvent>

#include "platform/wnd/KeyMap.h"

namespace plat {

void ControlHost::ForwardKey(int virtualKey, Qt::KeyboardModifiers modifiers) {
  bool keypad = false;
  const int key = QtKeyOf(virtualKey, &keypad);
  if (key == 0) return;
  QKeyEvent press(QEvent::KeyPress, key, modifiers | (keypad ? Qt::KeypadModifier : Qt::NoModifier));
  BaseEvent(&press);
}

void ControlHost::ForwardChar(wchar_t c) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(static_cast<char16_t>(c))));
  BaseEvent(&press);
}

void NotifyParent(Window& w, WORD code) {
  if (w.parent) w.parent->Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w.id), code), reinterpret_cast<LPARAM>(w.handle));
}

void SendDrawItem(Window& w, DRAWITEMSTRUCT& item) {
  const auto l = reinterpret_cast<LPARAM>(&item);
  if (w.parent) {
    w.parent->Send(WM_DRAWITEM, w.id, l);
  } else if (w.object) {
    LRESULT result = 0;
    w.object->OnChildNotify(WM_DRAWITEM, w.id, l, &result);
  }
}

LRESULT ControlProc::Proc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      DefaultProc(w, msg, wParam, lParam);
      widget_->setFont(FontOf(w));
      w.PlaceWidget();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      host_->ForwardKey(static_cast<int>(wParam), ModifiersOfKeyState());
      return 0;
    case WM_CHAR:
      // Control characters (Ctrl+A, Backspace, Return) came with their key down already.
      if (wParam >= 0x20) host_->ForwardChar(static_cast<wchar_t>(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT:
      return 0;
    default:
      return DefaultProc(w, msg, wParam, lParam);
  }
}

}  // namespace plat
