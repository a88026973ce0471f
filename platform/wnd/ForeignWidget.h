// Qt widgets made elsewhere (the video picture, a web page) inside a window of the layer.
#pragma once

#include "platform/Message.h"

class QWidget;

namespace plat {

enum class ForeignInput {
  // The widget is the window's picture: the mouse over it and the keys are the window's own
  // messages (hit testing, capture, double clicks, PreTranslateMessage, WindowProc), as if the
  // widget were not there; it never takes the focus.
  kWindow,
  // The widget handles its own mouse and keys (a web page), after the pre-translation chain of
  // the window and its ancestors: what a PreTranslateMessage consumes goes no further. While a
  // window of the layer holds the capture, the mouse goes to that window instead.
  kWidget,
};

// Puts the widget into the window as a child that fills the client area, beneath the window's
// child windows, and follows the client area's size. The window's widget becomes its Qt parent,
// so it goes with the window. False when the window is gone or the widget is null. UI thread only.
bool EmbedWidget(HWND wnd, QWidget* widget, ForeignInput input);

}  // namespace plat
