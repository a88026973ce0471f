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

bool CMyThread::Stop(DWORD timeoutMs) {
  m_running = false;
  if (timeoutMs == kWaitForever) {
    m_thread.JoinForever();
    return true;
  }
  if (m_thread.Join(timeoutMs)) return true;
  OnStopOverrun(timeoutMs);
  m_thread.JoinForever();
  return false;
}

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
