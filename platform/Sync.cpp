#include "platform/Sync.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <memory>

void CEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  if (manual_) {
    cv_.notify_all();
  } else {
    cv_.notify_one();
  }
}

void CEvent::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool CEvent::Wait(std::int32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  if (timeoutMs < 0) {
    cv_.wait(lock, [this] { return set_; });
  } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) {
    return false;
  }
  if (!manual_) set_ = false;
  return true;
}

bool CEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

namespace plat {

void SetCurrentThreadPriority(ThreadPriority priority) {
  const int nice = priority == ThreadPriority::AboveNormal ? -2 : priority == ThreadPriority::BelowNormal ? 2 : 0;
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  setpriority(PRIO_PROCESS, tid, nice);  // refused without the right; then the thread runs as it is
}

Thread::~Thread() { JoinForever(); }

bool Thread::Start(std::function<void()> body) {
  if (thread_.joinable()) return false;
  auto state = std::make_shared<State>();
  state_ = state;
  try {
    thread_ = std::thread([state, body = std::move(body)] {
      body();
      std::lock_guard lock(state->mutex);
      state->finished = true;
      state->cv.notify_all();
    });
  } catch (const std::system_error&) {
    state_.reset();
    return false;
  }
  return true;
}

bool Thread::Join(std::uint32_t timeoutMs) {
  if (!thread_.joinable()) return true;
  {
    std::unique_lock lock(state_->mutex);
    if (!state_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return state_->finished; }))
      return false;
  }
  thread_.join();
  return true;
}

void Thread::JoinForever() {
  if (thread_.joinable()) thread_.join();
}

bool Thread::Running() const {
  if (!thread_.joinable() || !state_) return false;
  std::lock_guard lock(state_->mutex);
  return !state_->finished;
}

}  // namespace plat
