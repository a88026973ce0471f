// Locks, events and threads with the semantics the engine relies on: critical sections are
// re-entrant, an event set with no waiter stays set until one wait takes it, and a timed join
// says when a thread did not stop instead of pretending it did.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Types.h"

// One re-entrant critical section. Classes shared between threads derive from it.
class CCritSecs {
 public:
  CCritSecs() = default;
  CCritSecs(const CCritSecs&) = delete;
  CCritSecs& operator=(const CCritSecs&) = delete;
  virtual ~CCritSecs() = default;
  void Lock() const { mutex_.lock(); }
  void Unlock() const { mutex_.unlock(); }
  bool TryLock() const { return mutex_.try_lock(); }

 private:
  mutable std::recursive_mutex mutex_;
};

// Holds a critical section for a scope; Unlock/Lock release and take it again inside the scope.
class CCritLock {
 public:
  explicit CCritLock(const CCritSecs& cs) : cs_(cs) { cs_.Lock(); }
  ~CCritLock() { if (held_) cs_.Unlock(); }
  CCritLock(const CCritLock&) = delete;
  CCritLock& operator=(const CCritLock&) = delete;
  void Unlock() { if (held_) cs_.Unlock(), held_ = false; }
  void Lock() { if (!held_) cs_.Lock(), held_ = true; }

 private:
  const CCritSecs& cs_;
  bool held_ = true;
};

// An event. Auto-reset: one Set releases one waiter, and a Set with no waiter is kept until the
// next Wait takes it. Manual-reset: stays set until Reset and releases every waiter.
class CEvent {
 public:
  static constexpr std::int32_t kInfinite = -1;
  explicit CEvent(bool manualReset = false, bool initiallySet = false)
      : manual_(manualReset), set_(initiallySet) {}
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  void Set();
  void Reset();
  // True when the event was signalled, false on time-out.
  bool Wait(std::int32_t timeoutMs = kInfinite);
  bool IsSet() const;

 private:
  const bool manual_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool set_;
};

namespace plat {

enum class ThreadPriority { Normal, AboveNormal, BelowNormal };

// Asks the scheduler to favour or disfavour the calling thread; silently does nothing where the
// process may not change priorities.
void SetCurrentThreadPriority(ThreadPriority priority);

// A thread that can be joined with a time-out. Join reports false while the body still runs; the
// object then keeps the thread, and its destructor waits for the body to end (it never leaves a
// running thread behind with freed state).
class Thread {
 public:
  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  ~Thread();

  bool Start(std::function<void()> body);
  bool Join(std::uint32_t timeoutMs);
  void JoinForever();
  bool Started() const { return thread_.joinable(); }
  bool Running() const;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable cv;
    bool finished = false;
  };
  std::thread thread_;
  std::shared_ptr<State> state_;
};

}  // namespace plat
