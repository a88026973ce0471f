// Standard controls that are Qt widgets: the widget class whose events pass through the window
// layer first (keys become messages for the dialog manager and the control's object), with its
// own handling kept as the control's default processing, and the default processing that such
// controls share.
#pragma once

#include <QEvent>

#include "platform/wnd/Window.h"

namespace plat {

class ControlHost {
 public:
  virtual ~ControlHost() = default;
  // The Qt widget's own handling of an event.
  virtual bool BaseEvent(QEvent* e) = 0;
  // A key press of the message being handled, given to the Qt widget's own handling.
  void ForwardKey(int virtualKey, Qt::KeyboardModifiers modifiers);
  // A character of the message being handled, given to the Qt widget as a key press with that text:
  // the key press forwarded for its key down carries none, so that a box types each character once.
  void ForwardChar(wchar_t c);
};

template <class Base>
class ControlWidget : public Base, public ControlHost {
 public:
  ControlWidget(Window& wnd, QWidget* parent) : Base(parent), handle_(wnd.handle) { this->setFocusPolicy(Qt::StrongFocus); }
  bool BaseEvent(QEvent* e) override { return Base::event(e); }

 protected:
  bool event(QEvent* e) override {
    Window* w = WindowOf(handle_);
    if (w && HandleWidgetEvent(w, *this, e)) return true;
    return Base::event(e);
  }
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

// Fonts, keys, dialog codes and painting of a Qt control; a control's own messages come first.
class ControlProc : public ClassProc {
 public:
  LRESULT Proc(Window& wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  template <class W>
  W* Adopt(W* widget) {
    widget_ = widget;
    host_ = widget;
    return widget;
  }

 private:
  QWidget* widget_ = nullptr;
  ControlHost* host_ = nullptr;
};

// A control's notification to its parent: WM_COMMAND with the control's id and the code.
void NotifyParent(Window& wnd, WORD code);

// Owner drawing: WM_DRAWITEM to the parent, whose default processing gives the item to the
// control's object (DrawItem); a control without a parent gives it to its object directly.
void SendDrawItem(Window& wnd, DRAWITEMSTRUCT& item);

// The class of a standard control: its default processing and the object of a template control.
template <class Proc, class Object>
WindowClass StandardClass(const wchar_t* name, LPCWSTR cursor = IDC_ARROW) {
  WindowClass c;
  c.name = name;
  c.cursor = cursor ? LoadCursor(nullptr, cursor) : nullptr;
  c.makeProc = [] { return std::make_unique<Proc>(); };
  c.makeObject = [] { return new Object; };
  return c;
}

}  // namespace plat
