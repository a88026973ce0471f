#include "platform/wnd/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>

#include <array>
#include <cerrno>
#include <csignal>

namespace plat {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
constexpr char kStop = 0;

int g_pipe[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> g_previous{};

void OnSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onRequest, std::function<void()> onRepeat)
    : onRequest_(std::move(onRequest)), onRepeat_(std::move(onRepeat)) {
  if (::pipe2(g_pipe, O_CLOEXEC) != 0) return;
  reader_ = std::thread([this] { Read(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals() {
  if (!reader_.joinable()) return;
  for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &kStop, 1);
  reader_.join();
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::Read() {
  int requests = 0;
  for (;;) {
    char byte = kStop;
    const ssize_t n = ::read(g_pipe[0], &byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1 || byte == kStop) return;
    if (++requests > 1) {
      onRepeat_();
    } else if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(app, onRequest_, Qt::QueuedConnection);
    }
  }
}

}  // namespace plat
