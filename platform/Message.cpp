#include "platform/Message.h"

#include <atomic>

namespace {
std::atomic<plat::IMessageRouter*> g_router{nullptr};
std::atomic<int> g_abortScopes{0};
}

namespace plat {

IMessageRouter* SetMessageRouter(IMessageRouter* router) { return g_router.exchange(router); }
IMessageRouter* MessageRouter() { return g_router.load(); }

SendAbortScope::SendAbortScope() {
  ++g_abortScopes;
  if (IMessageRouter* r = MessageRouter()) r->AbortSends();
}

SendAbortScope::~SendAbortScope() { --g_abortScopes; }

bool SendsAborted() { return g_abortScopes.load() > 0; }

}  // namespace plat

BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  plat::IMessageRouter* r = plat::MessageRouter();
  return r && wnd && r->Post(wnd, msg, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  plat::IMessageRouter* r = plat::MessageRouter();
  return r && wnd ? r->Send(wnd, msg, wParam, lParam) : 0;
}

BOOL ShowWindow(HWND wnd, int command) {
  plat::IMessageRouter* r = plat::MessageRouter();
  return r && wnd && r->Show(wnd, command) ? TRUE : FALSE;
}
