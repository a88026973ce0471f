// SIGTERM, SIGINT and SIGHUP as requests to end the program. The handler only writes the signal to
// a pipe, the one thing it may safely do; a thread of its own reads the pipe. The first request is
// handed to the UI thread through Qt's event queue, so that it runs inside any modal loop; every
// later one runs on the reading thread itself, so that it is heard even while the UI thread is busy.
#pragma once

#include <functional>
#include <thread>

namespace plat {

class TerminationSignals {
 public:
  // Catches the three signals from now on (one object at a time).
  TerminationSignals(std::function<void()> onRequest, std::function<void()> onRepeat);
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;
  // The signals' earlier handling is back.
  ~TerminationSignals();

 private:
  void Read();

  std::function<void()> onRequest_;
  std::function<void()> onRepeat_;
  std::thread reader_;
};

}  // namespace plat
