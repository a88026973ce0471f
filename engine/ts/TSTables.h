// The programme tables of a transport stream: the association table (PID 0) names the map PID
// of the first programme, whose map table names the video, audio and private-data streams.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ts/TSPacket.h"

constexpr std::uint8_t kStreamTypeH264 = 0x1B;
constexpr std::uint8_t kStreamTypeAac = 0x0F;
constexpr std::uint8_t kStreamTypeSensorText = 0xA0;

// CRC-32 of MPEG-2 sections (polynomial 0x04C11DB7, initial all ones, no reflection). A
// section followed by its own CRC gives 0.
std::uint32_t Crc32Mpeg2(const std::uint8_t* data, std::size_t length);

class CTSTables {
 public:
  static constexpr int kNoPid = -1;

  // Forgets everything learned (a new file).
  void Reset();
  // Learns from a packet while the tables are not known. Only sections that begin in the packet,
  // end inside it and pass their CRC are taken.
  void Take(const TSPacket& packet);
  // The map table has been read: the stream PIDs below are final (a stream may be missing).
  bool Known() const { return m_known; }
  int MapPid() const { return m_mapPid; }
  int VideoPid() const { return m_videoPid; }
  int AudioPid() const { return m_audioPid; }
  int PrivatePid() const { return m_privatePid; }

 private:
  void TakeAssociation(const std::uint8_t* section, std::size_t length);
  void TakeMap(const std::uint8_t* section, std::size_t length);

  bool m_known = false;
  int m_mapPid = kNoPid;
  int m_videoPid = kNoPid;
  int m_audioPid = kNoPid;
  int m_privatePid = kNoPid;
};
