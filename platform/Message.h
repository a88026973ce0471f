// Window handles and message delivery as seen from code that has no window of its own (the
// engine and its threads). The window layer installs the router that carries messages to its
// windows; tests install one that records them. Without a router, messages go nowhere.
#pragma once

#include "platform/Types.h"

struct HWND__;
using HWND = HWND__*;

constexpr UINT WM_USER = 0x0400;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

namespace plat {

class IMessageRouter {
 public:
  virtual ~IMessageRouter() = default;
  // Queues a message for the window's thread; callable from any thread, never blocks.
  virtual bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Delivers a message and waits for its result. From another thread than the window's, it
  // waits until the window's thread has handled it; a message to a window that is gone returns 0.
  virtual LRESULT Send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Shows or hides a window; from another thread the change is carried to the window's thread.
  virtual bool Show(HWND wnd, int command) = 0;
  // Releases every send that waits for the window thread, each answered 0 (see SendAbortScope).
  virtual void AbortSends() {}
};

// While one exists, a send from another thread returns 0 at once instead of waiting for the
// window thread, and sends that wait are released. A window thread that waits for a worker to
// end holds one, so that a worker blocked in a send to it can never deadlock it.
class SendAbortScope {
 public:
  SendAbortScope();
  ~SendAbortScope();
  SendAbortScope(const SendAbortScope&) = delete;
  SendAbortScope& operator=(const SendAbortScope&) = delete;
};
bool SendsAborted();

// Installs the router (null removes it) and returns the previous one.
IMessageRouter* SetMessageRouter(IMessageRouter* router);
IMessageRouter* MessageRouter();

}  // namespace plat

BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL ShowWindow(HWND wnd, int command);
