#include "engine/stream/MyThread.h"

#include <algorithm>
#include <cstdio>

#include "platform/Time.h"

namespace {
constexpr DWORD kSleepStepMs = 10;
}

CMyThread::~CMyThread() { m_running = false; }

bool CMyThread::Start() {
  if (m_thread.Started()) return false;
  m_running = true;
  if (m_thread.Start([this] { Run(); })) return true;
  m_running = false;
  return false;
}

// The flag is cleared before the event is looked at, and a wait names its event before it looks
// at the flag: either the body sees the flag cleared or Stop sees the event and sets it.
bool CMyThread::Stop(DWORD timeoutMs) {
  m_running = false;
  if (CEvent* event = m_waitsOn.load()) event->Set();
  if (timeoutMs == kWaitForever) {
    m_thread.JoinForever();
    return true;
  }
  if (m_thread.Join(timeoutMs)) return true;
  OnStopOverrun(timeoutMs);
  m_thread.JoinForever();
  return false;
}

void CMyThread::WaitsOn(CEvent* event) const { m_waitsOn.store(event); }

void CMyThread::SleepWhileRunning(DWORD ms) {
  while (ms > 0 && IsRunning()) {
    const DWORD step = std::min(ms, kSleepStepMs);
    Sleep(step);
    ms -= step;
  }
}

void CMyThread::OnStopOverrun(DWORD timeoutMs) {
  std::fprintf(stderr, "engine: a thread did not stop within %u ms; waiting for it to end\n",
               static_cast<unsigned>(timeoutMs));
}
