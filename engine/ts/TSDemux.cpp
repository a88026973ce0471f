#include "engine/ts/TSDemux.h"

#include <algorithm>
#include <cstring>

CTSDemux::CTSDemux(ITSUnitSink& sink) : m_sink(sink), m_window(kWindowSize) {}

void CTSDemux::ResetStreams() {
  m_fill = 0;
  m_video.Reset();
  m_audio.Reset();
  m_sensorText.Reset();
}

void CTSDemux::FeedForward(const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const std::size_t n = std::min(length, kReadSize);
    std::memcpy(m_window.data() + m_fill, data, n);
    m_fill += n;
    ScanForward();
    data += n;
    length -= n;
  }
}

void CTSDemux::FeedBackward(const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const std::size_t n = std::min(length, kReadSize);
    length -= n;
    std::memmove(m_window.data() + n, m_window.data(), m_fill);
    std::memcpy(m_window.data(), data + length, n);
    m_fill += n;
    ScanBackward();
  }
}

void CTSDemux::FinishForward() {
  if (m_fill >= kTSPacketSize) TakePacket(m_window.data() + m_fill - kTSPacketSize, false);
  if (m_video.HasWholeForward()) HandOut(TSStream::kVideo, m_video);
  if (m_audio.HasWholeForward()) HandOut(TSStream::kAudio, m_audio);
  if (m_sensorText.HasWholeForward()) HandOut(TSStream::kSensorText, m_sensorText);
  ResetStreams();
}

namespace {

// Calls take for every packet found forward in data[0, length); returns where the bytes that
// cannot be judged yet begin (at most one packet's worth before the end).
template <typename Take>
std::size_t ScanPacketsForward(const std::uint8_t* data, std::size_t length, Take take) {
  std::size_t i = 0;
  while (i + kTSPacketSize < length) {
    if (data[i] == kTSSyncByte && data[i + kTSPacketSize] == kTSSyncByte) {
      take(data + i);
      i += kTSPacketSize;
    } else {
      ++i;
    }
  }
  return i;
}

}  // namespace

void CTSDemux::LearnTables(const std::uint8_t* data, std::size_t length) {
  ScanPacketsForward(data, length, [this](const std::uint8_t* p) {
    TSPacket packet;
    if (ParseTSPacket(p, &packet)) m_tables.Take(packet);
  });
}

// At most one packet's worth of bytes is left over, so the window always has room for a piece.
void CTSDemux::ScanForward() {
  const std::size_t taken =
      ScanPacketsForward(m_window.data(), m_fill, [this](const std::uint8_t* p) { TakePacket(p, false); });
  std::memmove(m_window.data(), m_window.data() + taken, m_fill - taken);
  m_fill -= taken;
}

// Scans from the end towards the start. Every start at or after one packet from the window's
// start has been judged, so less than two packets' worth of bytes is left over.
void CTSDemux::ScanBackward() {
  const std::uint8_t* w = m_window.data();
  std::size_t end = m_fill;  // the earliest packet taken in this scan starts here
  std::size_t j = m_fill >= kTSPacketSize ? m_fill - kTSPacketSize : 0;
  while (j >= kTSPacketSize) {
    if (w[j] == kTSSyncByte && w[j - kTSPacketSize] == kTSSyncByte) {
      TakePacket(w + j, true);
      end = j;
      j -= kTSPacketSize;
    } else {
      --j;
    }
  }
  m_fill = std::min(end, j + kTSPacketSize);
}

void CTSDemux::TakePacket(const std::uint8_t* p, bool backward) {
  TSPacket packet;
  if (!ParseTSPacket(p, &packet)) return;
  if (!m_tables.Known()) {
    m_tables.Take(packet);
    return;
  }
  if (packet.pid == m_tables.VideoPid()) {
    if (backward) {
      TakeBackward(TSStream::kVideo, m_video, packet);
    } else {
      TakeForward(TSStream::kVideo, m_video, packet);
    }
  } else if (!backward && packet.pid == m_tables.AudioPid()) {
    TakeForward(TSStream::kAudio, m_audio, packet);
  } else if (!backward && packet.pid == m_tables.PrivatePid()) {
    TakeForward(TSStream::kSensorText, m_sensorText, packet);
  }
}

void CTSDemux::TakeForward(TSStream stream, CPesCollector& c, const TSPacket& packet) {
  if (packet.unitStart) {
    if (c.HasWholeForward()) HandOut(stream, c);
    c.BeginForward();
  }
  c.AppendForward(packet.payload, packet.payloadLength);
}

void CTSDemux::TakeBackward(TSStream stream, CPesCollector& c, const TSPacket& packet) {
  c.PrependBackward(packet.payload, packet.payloadLength);
  if (!packet.unitStart) return;
  if (c.HasWholeBackward()) HandOut(stream, c);
  c.BeginBackward();
}

void CTSDemux::HandOut(TSStream stream, const CPesCollector& c) { m_sink.OnUnit(stream, c.Unit(), c.UnitLength()); }
