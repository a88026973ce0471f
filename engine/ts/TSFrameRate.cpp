#include "engine/ts/TSFrameRate.h"

#include <algorithm>
#include <cmath>

#include "engine/ts/PesUnit.h"

namespace {
// The rates recordings are made at.
constexpr int kRecordingRates[] = {15, 24, 25, 30, 50, 60};
}  // namespace

int SnapFrameRate(double measured) {
  int nearest = kRecordingRates[0];
  for (int rate : kRecordingRates) {
    if (std::abs(measured - rate) < std::abs(measured - nearest)) nearest = rate;
  }
  return nearest;
}

void CTSFrameRate::StartFile(const std::uint8_t* head, std::size_t length) {
  *this = CTSFrameRate();
  if (length <= kDeclaredRateOffset) return;
  const int declared = head[kDeclaredRateOffset];
  if (declared >= 1 && declared <= kMaxDeclaredRate) {
    m_rate = declared;
    m_measuring = false;
  }
}

void CTSFrameRate::RestartCounts() {
  m_stamps = 0;
  m_gopKeys = 0;
  m_gopInterFrames = 0;
}

void CTSFrameRate::TakeStamp(std::uint64_t pts) {
  if (!m_measuring) return;
  if (m_stamps++ == 0) m_firstStamp = pts;
  if (m_stamps < kMeasuredUnits) return;
  m_stamps = 0;
  // The units span kMeasuredUnits - 1 intervals. Equal stamps measure nothing: count again.
  const double seconds = PtsSeconds(pts > m_firstStamp ? pts - m_firstStamp : m_firstStamp - pts);
  if (seconds <= 0.0) return;
  m_rate = SnapFrameRate((kMeasuredUnits - 1) / seconds);
  m_measuring = false;
}

void CTSFrameRate::TakePicture(bool key, bool afterSps) {
  if (m_measuring || m_gopSeconds > 0) return;
  if (!key) {
    if (m_gopKeys > 0) ++m_gopInterFrames;
    return;
  }
  if (!afterSps) return;
  if (m_gopKeys++ == 0) {
    m_gopInterFrames = 0;
    return;
  }
  m_gopSeconds = std::max(1, (m_gopInterFrames + 1) / m_rate);
}
