// The base of the engine's threads: a run flag that the thread body watches, and a stop that
// waits for the body to end.
#pragma once

#include <atomic>

#include "platform/Sync.h"
#include "platform/Types.h"

// Time-out that waits without limit.
constexpr DWORD kWaitForever = 0xFFFFFFFFu;

class CMyThread {
 public:
  CMyThread() = default;
  CMyThread(const CMyThread&) = delete;
  CMyThread& operator=(const CMyThread&) = delete;
  // A derived class must stop its thread in its own destructor: the body may use its members.
  virtual ~CMyThread();

  // Sets the run flag and starts a thread that runs Run. False when a thread of this object was
  // started and not stopped yet, or when the thread cannot be made.
  virtual bool Start();
  // Clears the run flag and waits until the body has returned, however long it takes, so that
  // nothing it uses is freed or reused under it. It does not wake a thread that waits on a
  // queue: callers wake the queues first. False when the body overran the time-out.
  virtual bool Stop(DWORD timeoutMs);
  // Sleeps in 10 ms steps until the time has passed or the run flag is cleared.
  virtual void SleepWhileRunning(DWORD ms);

  bool IsRunning() const { return m_running.load(std::memory_order_relaxed); }

 protected:
  virtual void Run() = 0;
  // Called by Stop when the body did not return within the time-out, before it waits on.
  virtual void OnStopOverrun(DWORD timeoutMs);

 private:
  plat::Thread m_thread;
  std::atomic<bool> m_running{false};
};
