// Packetised elementary-stream (PES) units: their header, and their gathering from the payloads
// of a stream's transport packets, read forward or backward.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PesHeader {
  std::size_t payloadOffset = 0;  // 9 + the header data length
  bool hasPts = false;
  std::uint64_t pts = 0;  // presentation time stamp, 33 bits of 90 kHz ticks
};

// Reads the header of a whole unit. False when the unit does not begin with 00 00 01 or its
// header (with the time stamp its flags announce) runs past the unit.
bool ParsePesHeader(const std::uint8_t* unit, std::size_t length, PesHeader* out);

constexpr double PtsSeconds(std::uint64_t pts) { return static_cast<double>(pts) / 90000.0; }
constexpr std::uint64_t PtsMicroseconds(std::uint64_t pts) { return pts * 100 / 9; }

// One stream's unit being gathered from its packets' payloads. Forward, a unit runs from a packet
// with the unit-start bit to the next such packet. Backward, packets arrive last first: a unit is
// whole when its start packet has been prepended, provided its end was seen (the next unit's
// start, or the end of the file). A unit longer than the capacity is dropped whole.
class CPesCollector {
 public:
  static constexpr std::size_t kCapacity = 1048576;

  CPesCollector() : m_buffer(kCapacity) {}

  // Drops the unit in hand; forward, nothing is gathered until a unit starts; backward, the end
  // of the unit in hand is not known.
  void Reset();

  // Forward: begins a new unit (at a packet with the unit-start bit), dropping the one in hand.
  void BeginForward();
  void AppendForward(const std::uint8_t* payload, std::size_t length);
  bool HasWholeForward() const { return m_active && !m_overflow && m_end > m_begin; }

  // Backward: the unit in hand is dropped and the next one ends where this point lies (a unit
  // start just handled, or the end of the file).
  void BeginBackward();
  void PrependBackward(const std::uint8_t* payload, std::size_t length);
  bool HasWholeBackward() const { return m_endKnown && !m_overflow && m_end > m_begin; }

  const std::uint8_t* Unit() const { return m_buffer.data() + m_begin; }
  std::size_t UnitLength() const { return m_end - m_begin; }

 private:
  std::vector<std::uint8_t> m_buffer;
  std::size_t m_begin = 0;
  std::size_t m_end = 0;
  bool m_active = false;    // forward: a unit start has been seen
  bool m_endKnown = false;  // backward: the unit in hand ends where the next one starts
  bool m_overflow = false;
};
