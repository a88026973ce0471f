// Window timers. A due timer queues one WM_TIMER at low priority and queues no other until that
// one is handled (no backlog); its next expiry counts from the moment it fired. Time comes from
// the tick clock, so a test's fake clock decides when timers are due.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "platform/Time.h"
#include "platform/wnd/Window.h"

namespace plat {
namespace {

const QEvent::Type kTimerEvent = static_cast<QEvent::Type>(QEvent::User + 104);
constexpr UINT kMinimumPeriod = 10;

struct Timer {
  HWND wnd;
  UINT_PTR id;
  UINT period;
  std::uint64_t due;
  std::uint64_t serial;
  bool queued;
};

std::vector<Timer> g_timers;
std::uint64_t g_serial = 0;
bool g_manualTime = false;
QTimer* g_wake = nullptr;

class TimerEvent : public QEvent {
 public:
  TimerEvent(HWND w, UINT_PTR i, std::uint64_t s) : QEvent(kTimerEvent), wnd(w), id(i), serial(s) {}
  HWND wnd;
  UINT_PTR id;
  std::uint64_t serial;
};

Timer* Find(HWND wnd, UINT_PTR id) {
  for (Timer& t : g_timers) {
    if (t.wnd == wnd && t.id == id) return &t;
  }
  return nullptr;
}

void Reschedule();

class TimerReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kTimerEvent) return QObject::event(e);
    auto* te = static_cast<TimerEvent*>(e);
    Timer* t = Find(te->wnd, te->id);
    if (!t || t->serial != te->serial) return true;  // killed or restarted meanwhile
    t->queued = false;
    Reschedule();  // a handled timer counts again for the next wake-up
    MSG m;
    m.hwnd = te->wnd;
    m.message = WM_TIMER;
    m.wParam = te->id;
    m.time = GetTickCount();
    DispatchQueued(m);
    return true;
  }
};

TimerReceiver& Receiver() {
  static TimerReceiver* receiver = new TimerReceiver;
  return *receiver;
}

void Reschedule() {
  if (g_manualTime) return;
  const std::optional<std::uint64_t> next = NextTimerDue();
  if (!g_wake) {
    g_wake = new QTimer;
    g_wake->setSingleShot(true);
    QObject::connect(g_wake, &QTimer::timeout, [] { FireDueTimers(); });
  }
  if (!next) {
    g_wake->stop();
    return;
  }
  const std::uint64_t now = TickClock().NowMs();
  g_wake->start(static_cast<int>(*next > now ? std::min<std::uint64_t>(*next - now, 1u << 30) : 0));
}

}  // namespace

UINT_PTR StartTimer(Window& wnd, UINT_PTR id, UINT ms) {
  const UINT period = std::max(ms, kMinimumPeriod);
  const std::uint64_t due = TickClock().NowMs() + period;
  if (Timer* t = Find(wnd.handle, id)) {
    *t = {wnd.handle, id, period, due, ++g_serial, false};
  } else {
    g_timers.push_back({wnd.handle, id, period, due, ++g_serial, false});
  }
  Reschedule();
  return id;
}

bool StopTimer(HWND wnd, UINT_PTR id) {
  const auto removed = std::erase_if(g_timers, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
  Reschedule();
  return removed > 0;
}

void StopTimers(HWND wnd) {
  std::erase_if(g_timers, [&](const Timer& t) { return t.wnd == wnd; });
  Reschedule();
}

bool FireDueTimers() {
  const std::uint64_t now = TickClock().NowMs();
  bool fired = false;
  for (Timer& t : g_timers) {
    if (t.queued || t.due > now) continue;
    t.queued = true;
    t.due = now + t.period;
    QCoreApplication::postEvent(&Receiver(), new TimerEvent(t.wnd, t.id, t.serial), Qt::LowEventPriority);
    fired = true;
  }
  Reschedule();
  return fired;
}

std::optional<std::uint64_t> NextTimerDue() {
  std::optional<std::uint64_t> next;
  for (const Timer& t : g_timers) {
    if (!t.queued && (!next || t.due < *next)) next = t.due;
  }
  return next;
}

void SetManualTime(bool manual) {
  g_manualTime = manual;
  if (manual && g_wake) g_wake->stop();
  Reschedule();
}

}  // namespace plat

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
  plat::RequireUiThread("CWnd::SetTimer");
  plat::Window* w = Impl();
  return w && !w->destroying ? plat::StartTimer(*w, id, elapseMs) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR id) { return plat::StopTimer(m_hWnd, id) ? TRUE : FALSE; }
