// The Qt widget of a standard control: a Qt widget class whose events pass through the window
// layer first (keys become messages for the dialog manager and the control's object), and whose
// own handling stays reachable as the control's default processing.
#pragma once

#include <QEvent>
#include <QKeyEvent>

#include "platform/wnd/KeyMap.h"
#include "platform/wnd/Window.h"

namespace plat {

template <class Base>
class ControlWidget : public Base {
 public:
  ControlWidget(Window& wnd, QWidget* parent) : Base(parent), handle_(wnd.handle) {}
  // The Qt widget's own handling of an event.
  bool BaseEvent(QEvent* e) { return Base::event(e); }
  // A key press of the message being handled, given to the Qt widget's own handling.
  void ForwardKey(int virtualKey, Qt::KeyboardModifiers modifiers) {
    bool keypad = false;
    const int key = QtKeyOf(virtualKey, &keypad);
    if (key == 0) return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers | (keypad ? Qt::KeypadModifier : Qt::NoModifier));
    BaseEvent(&press);
  }

 protected:
  bool event(QEvent* e) override {
    Window* w = WindowOf(handle_);
    if (w && HandleWidgetEvent(w, *this, e)) return true;
    return Base::event(e);
  }

 private:
  HWND handle_;
};

}  // namespace plat
