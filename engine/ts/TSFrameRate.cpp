#include "engine/ts/TSFrameRate.h"

#include <algorithm>

#include "engine/ts/PesUnit.h"

namespace {
// Added before truncating, so that a measured 29.97 counts as 30.
constexpr double kRoundUp = 0.999;
constexpr double kMaxMeasured = 1000.0;
}  // namespace

int SnapFrameRate(int measured) {
  if (measured < 20) return 15;
  if (measured < 27) return 24;
  if (measured < 45) return 30;
  return 60;
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
  const double measured = std::min((kMeasuredUnits - 1) / seconds + kRoundUp, kMaxMeasured);
  m_rate = SnapFrameRate(static_cast<int>(measured));
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
