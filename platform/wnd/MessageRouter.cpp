// Window handles, queued messages and sends between threads.
//
// A handle names one window for its whole life and is never reused, so a message to a window
// that is gone finds nothing and is dropped. Posted messages are Qt events to one receiver on the
// window thread, which keeps them in order across windows. A send from another thread is an event
// of high priority whose sender waits until the window thread has run it, or until the window
// goes, or until sends are aborted.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/Time.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

const QEvent::Type kPostedEvent = static_cast<QEvent::Type>(QEvent::User + 101);
const QEvent::Type kSendEvent = static_cast<QEvent::Type>(QEvent::User + 102);
const QEvent::Type kShowEvent = static_cast<QEvent::Type>(QEvent::User + 103);

struct SendRequest {
  MSG msg;
  bool claimed = false;  // the window thread runs it; it can no longer be aborted
  bool done = false;
  LRESULT result = 0;
};

class PostedEvent : public QEvent {
 public:
  PostedEvent(const MSG& m, bool fromOtherThread) : QEvent(kPostedEvent), msg(m), acrossThreads(fromOtherThread) {}
  MSG msg;
  bool acrossThreads;  // the pointer position is taken when the message is dispatched
};

class SendEvent : public QEvent {
 public:
  explicit SendEvent(std::shared_ptr<SendRequest> r) : QEvent(kSendEvent), request(std::move(r)) {}
  std::shared_ptr<SendRequest> request;
};

class ShowEvent : public QEvent {
 public:
  ShowEvent(HWND w, int c) : QEvent(kShowEvent), wnd(w), command(c) {}
  HWND wnd;
  int command;
};

std::atomic<std::uintptr_t> g_nextHandle{0x10000};
std::atomic<std::uint64_t> g_activity{0};
std::map<HWND, std::shared_ptr<Window>> g_windows;  // window thread only
std::vector<Window*> g_topLevels;                    // bottom first

std::mutex g_sendMutex;
std::condition_variable g_sendDone;
std::vector<std::shared_ptr<SendRequest>> g_pendingSends;

void Complete(SendRequest& r, LRESULT result) {
  r.result = result;
  r.done = true;
}

void RunSend(const std::shared_ptr<SendRequest>& r) {
  {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    if (r->done) return;
    r->claimed = true;
  }
  Window* w = WindowOf(r->msg.hwnd);
  const LRESULT result = w ? w->Send(r->msg.message, r->msg.wParam, r->msg.lParam) : 0;
  std::lock_guard<std::mutex> lock(g_sendMutex);
  Complete(*r, result);
  g_sendDone.notify_all();
}

void AbortWhere(const std::function<bool(const SendRequest&)>& match) {
  std::lock_guard<std::mutex> lock(g_sendMutex);
  for (auto& r : g_pendingSends) {
    if (!r->claimed && !r->done && match(*r)) Complete(*r, 0);
  }
  g_sendDone.notify_all();
}

class Dispatcher : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == kPostedEvent) {
      auto* pe = static_cast<PostedEvent*>(e);
      MSG msg = pe->msg;
      if (pe->acrossThreads) msg.pt = {CursorPos().x(), CursorPos().y()};
      DispatchQueued(msg);
      return true;
    }
    if (e->type() == kSendEvent) {
      RunSend(static_cast<SendEvent*>(e)->request);
      return true;
    }
    if (e->type() == kShowEvent) {
      auto* s = static_cast<ShowEvent*>(e);
      if (CWnd* obj = CWnd::FromHandle(s->wnd)) obj->ShowWindow(s->command);
      return true;
    }
    return QObject::event(e);
  }
};

std::atomic<Dispatcher*> g_dispatcher{nullptr};

class Router : public IMessageRouter {
 public:
  bool Post(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    MSG m;
    m.hwnd = wnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    const bool here = IsUiThread();
    const QPoint pos = here ? CursorPos() : QPoint();
    m.pt = {pos.x(), pos.y()};
    Dispatcher* d = g_dispatcher.load();
    if (!d) return false;
    QCoreApplication::postEvent(d, new PostedEvent(m, !here));
    return true;
  }

  LRESULT Send(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (IsUiThread()) {
      Window* w = WindowOf(wnd);
      return w ? w->Send(msg, wParam, lParam) : 0;
    }
    return SendAcross(wnd, msg, wParam, lParam);
  }

  bool Show(HWND wnd, int command) override {
    if (IsUiThread()) {
      CWnd* obj = CWnd::FromHandle(wnd);
      return obj && obj->ShowWindow(command);
    }
    Dispatcher* d = g_dispatcher.load();
    if (!d) return false;
    QCoreApplication::postEvent(d, new ShowEvent(wnd, command));
    return true;
  }

  void AbortSends() override {
    AbortWhere([](const SendRequest&) { return true; });
  }

 private:
  static LRESULT SendAcross(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto r = std::make_shared<SendRequest>();
    r->msg.hwnd = wnd;
    r->msg.message = msg;
    r->msg.wParam = wParam;
    r->msg.lParam = lParam;
    std::unique_lock<std::mutex> lock(g_sendMutex);
    Dispatcher* d = g_dispatcher.load();
    if (!d || SendsAborted()) return 0;
    g_pendingSends.push_back(r);
    QCoreApplication::postEvent(d, new SendEvent(r), Qt::HighEventPriority);
    g_sendDone.wait(lock, [&] { return r->done; });
    std::erase(g_pendingSends, r);
    return r->result;
  }
};

Router g_router;

void EnsureDispatcher() {
  if (g_dispatcher.load()) return;
  g_dispatcher = new Dispatcher;
  SetMessageRouter(&g_router);
}

}  // namespace

bool IsUiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

namespace {

void StopOnWrongThread(const char* operation) {
  std::fprintf(stderr, "%s called off the UI thread\n", operation);
  std::abort();
}

std::function<void(const char*)> g_wrongThread = StopOnWrongThread;

}  // namespace

void RequireUiThread([[maybe_unused]] const char* operation) {
#ifndef NDEBUG
  // Without an application there is no UI thread to compare with (objects outliving it).
  if (QCoreApplication::instance() && !IsUiThread()) g_wrongThread(operation);
#endif
}

void SetWrongThreadHandler(std::function<void(const char*)> handler) {
  g_wrongThread = handler ? std::move(handler) : StopOnWrongThread;
}

HWND RegisterWindow(const std::shared_ptr<Window>& wnd) {
  EnsureDispatcher();
  HWND h = reinterpret_cast<HWND>(g_nextHandle.fetch_add(4));
  wnd->handle = h;
  g_windows[h] = wnd;
  if (!wnd->IsChild()) g_topLevels.push_back(wnd.get());
  return h;
}

void UnregisterWindow(Window& wnd) {
  std::erase(g_topLevels, &wnd);
  g_windows.erase(wnd.handle);
  AbortSendsTo(wnd.handle);
}

Window* WindowOf(HWND wnd) {
  auto it = g_windows.find(wnd);
  return it == g_windows.end() || it->second->destroying ? nullptr : it->second.get();
}

std::shared_ptr<Window> SharedWindowOf(HWND wnd) {
  auto it = g_windows.find(wnd);
  return it == g_windows.end() ? nullptr : it->second;
}

std::vector<Window*> TopLevelWindows() { return g_topLevels; }

namespace {

void MoveToTop(Window& wnd) {
  auto it = std::find(g_topLevels.begin(), g_topLevels.end(), &wnd);
  if (it == g_topLevels.end()) return;
  g_topLevels.erase(it);
  // Windows that stay on top remain above the others.
  auto pos = g_topLevels.end();
  if (!(wnd.exStyle & WS_EX_TOPMOST)) {
    pos = std::find_if(g_topLevels.begin(), g_topLevels.end(),
                       [](Window* w) { return (w->exStyle & WS_EX_TOPMOST) != 0; });
  }
  g_topLevels.insert(pos, &wnd);
}

}  // namespace

// Owned windows stay above their owner: they follow it up, in their own order.
void RaiseTopLevel(Window& wnd) {
  std::vector<Window*> raising{&wnd};
  for (size_t i = 0; i < raising.size(); ++i) {
    MoveToTop(*raising[i]);
    // Without a window manager nothing else keeps an owned window above an owner shown after it.
    Window* owned = raising[i];
    if (i > 0 && owned->widget && (owned->style & WS_VISIBLE)) owned->widget->raise();
    for (Window* w : std::vector<Window*>(g_topLevels)) {
      if (w->owner == raising[i] && std::find(raising.begin(), raising.end(), w) == raising.end()) raising.push_back(w);
    }
  }
}

void SetTopLevel(Window& wnd, bool topLevel) {
  std::erase(g_topLevels, &wnd);
  if (topLevel) g_topLevels.push_back(&wnd);
}

bool PreTranslateChain(MSG& msg) {
  const Window* target = WindowOf(msg.hwnd);
  if (!target) return true;
  // The chain is taken first: a pre-translation may destroy windows of it.
  std::vector<HWND> chain;
  for (const Window* w = target; w; w = w->ParentOrOwner()) chain.push_back(w->handle);
  for (HWND h : chain) {
    Window* w = WindowOf(h);
    if (w && w->object && w->object->PreTranslateMessage(&msg)) return true;
    if (!WindowOf(msg.hwnd)) return true;
  }
  return false;
}

bool DispatchQueued(MSG& msg) {
  std::shared_ptr<Window> target = SharedWindowOf(msg.hwnd);
  if (!target || target->destroying) return false;
  SetMessageContext(msg);
  if (PreTranslateChain(msg)) return false;
  target->Send(msg.message, msg.wParam, msg.lParam);
  ShowHeldDcDrawing();
  return true;
}

void PostQueued(const MSG& msg, int priority) {
  EnsureDispatcher();
  QCoreApplication::postEvent(g_dispatcher.load(), new PostedEvent(msg, false), priority);
}

void AbortSendsTo(HWND wnd) {
  AbortWhere([wnd](const SendRequest& r) { return r.msg.hwnd == wnd; });
}

std::uint64_t Activity() { return g_activity.load(); }
void NoteActivity() { ++g_activity; }

void WakeLoop() {
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) {
    d->wakeUp();
  }
}

}  // namespace plat
