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
  // nothing it uses is freed or reused under it. A body waiting for room in a queue sees the stop
  // at once (WaitsOn); callers still wake the queues first, which ends every other wait on them.
  // False when the body overran the time-out.
  virtual bool Stop(DWORD timeoutMs);
  // Sleeps in 10 ms steps until the time has passed or the run flag is cleared.
  virtual void SleepWhileRunning(DWORD ms);

  // Read in order with WaitsOn, so that a wait and Stop cannot miss each other.
  bool IsRunning() const { return m_running.load(); }
  // The event the body waits on now (null: none), which Stop sets after clearing the run flag, so
  // that a wait of the body needs no time-out to see the stop. Set by the waits themselves.
  void WaitsOn(CEvent* event) const;

 protected:
  virtual void Run() = 0;
  // Called by Stop when the body did not return within the time-out, before it waits on.
  virtual void OnStopOverrun(DWORD timeoutMs);

 private:
  plat::Thread m_thread;
  std::atomic<bool> m_running{false};
  mutable std::atomic<CEvent*> m_waitsOn{nullptr};
};
