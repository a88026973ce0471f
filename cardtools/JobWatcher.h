// The card dialog's export worker: a thread that waits while the engine's job runs and then posts
// one message to the dialog. It touches nothing else, so the dialog's state stays on the UI
// thread. Stop ends the wait at once and joins the thread.
#pragma once

#include <thread>

#include "platform/Message.h"
#include "platform/Sync.h"

class IIbpCtrl;

class CJobWatcher {
 public:
  CJobWatcher() = default;
  CJobWatcher(const CJobWatcher&) = delete;
  CJobWatcher& operator=(const CJobWatcher&) = delete;
  ~CJobWatcher() { Stop(); }

  // Starts waiting (after ending an earlier wait) for the engine's job to end; then posts `msg`.
  void Start(IIbpCtrl* engine, HWND wnd, UINT msg);
  void Stop();
  bool IsWaiting() const { return thread_.joinable(); }

 private:
  std::thread thread_;
  CEvent stop_{true};
};
