#include "engine/ts/PesUnit.h"

#include <cstring>

namespace {
constexpr std::size_t kFixedHeader = 9;  // start code, stream id, length, two flag bytes, header length
constexpr std::size_t kPtsSize = 5;

std::uint64_t ReadPts(const std::uint8_t* p) {
  return (static_cast<std::uint64_t>((p[0] >> 1) & 0x07) << 30) | (static_cast<std::uint64_t>(p[1]) << 22) |
         (static_cast<std::uint64_t>(p[2] >> 1) << 15) | (static_cast<std::uint64_t>(p[3]) << 7) |
         static_cast<std::uint64_t>(p[4] >> 1);
}
}  // namespace

bool ParsePesHeader(const std::uint8_t* unit, std::size_t length, PesHeader* out) {
  if (length < kFixedHeader || unit[0] != 0 || unit[1] != 0 || unit[2] != 1) return false;
  const std::size_t headerData = unit[8];
  if (kFixedHeader + headerData > length) return false;
  PesHeader h;
  h.payloadOffset = kFixedHeader + headerData;
  const unsigned ptsFlags = unit[7] >> 6;
  if (ptsFlags >= 2) {
    if (headerData < kPtsSize) return false;
    h.hasPts = true;
    h.pts = ReadPts(unit + kFixedHeader);
  }
  *out = h;
  return true;
}

void CPesCollector::Reset() {
  m_begin = m_end = 0;
  m_active = false;
  m_endKnown = false;
  m_overflow = false;
}

void CPesCollector::BeginForward() {
  m_begin = m_end = 0;
  m_active = true;
  m_overflow = false;
}

// A packet that carries only an adaptation field has no payload at all (a null pointer).
void CPesCollector::AppendForward(const std::uint8_t* payload, std::size_t length) {
  if (!m_active || m_overflow || length == 0) return;
  if (length > kCapacity - m_end) {
    m_overflow = true;
    return;
  }
  std::memcpy(m_buffer.data() + m_end, payload, length);
  m_end += length;
}

void CPesCollector::BeginBackward() {
  m_begin = m_end = kCapacity;
  m_endKnown = true;
  m_overflow = false;
}

void CPesCollector::PrependBackward(const std::uint8_t* payload, std::size_t length) {
  if (!m_endKnown || m_overflow || length == 0) return;
  if (length > m_begin) {
    m_overflow = true;
    return;
  }
  m_begin -= length;
  std::memcpy(m_buffer.data() + m_begin, payload, length);
}
