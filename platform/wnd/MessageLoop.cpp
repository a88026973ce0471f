// Nested message loops (modal dialogs) and the explicit pump of the test harness.
#include <QCoreApplication>
#include <QTimer>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

std::function<bool()> g_idleHook;

}  // namespace

void SetModalIdleHook(std::function<bool()> hook) { g_idleHook = std::move(hook); }

bool PumpOnce() {
  const std::uint64_t before = Activity();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  FireDueTimers();
  QCoreApplication::sendPostedEvents();
  PaintAll();
  return Activity() != before;
}

int RunModalLoop(const std::function<bool()>& running, const std::function<void()>& onFirstIdle) {
  if (g_idleHook) {
    bool idled = false;
    while (running()) {
      if (PumpOnce()) continue;
      if (!idled) {
        idled = true;
        onFirstIdle();
        continue;
      }
      if (!g_idleHook()) return -1;  // nothing is left that could end the loop
    }
    return 0;
  }
  QTimer firstIdle;
  firstIdle.setSingleShot(true);
  QObject::connect(&firstIdle, &QTimer::timeout, onFirstIdle);
  firstIdle.start(0);
  while (running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return 0;
}

}  // namespace plat
