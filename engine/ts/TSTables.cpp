#include "engine/ts/TSTables.h"

#include <array>

#include "platform/ByteOrder.h"

namespace {

constexpr std::uint8_t kAssociationTableId = 0x00;
constexpr std::uint8_t kMapTableId = 0x02;
constexpr std::size_t kSectionHeader = 3;  // table id and the 12-bit section length
constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kAssociationFirstEntry = 8;
constexpr std::size_t kAssociationEntrySize = 4;
constexpr std::size_t kMapInfoLength = 10;
constexpr std::size_t kMapFirstStream = 12;
constexpr std::size_t kStreamEntrySize = 5;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i << 24;
    for (int bit = 0; bit < 8; ++bit) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    table[i] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint16_t Pid13(const std::uint8_t* p) { return static_cast<std::uint16_t>(((p[0] & 0x1F) << 8) | p[1]); }
std::size_t Length12(const std::uint8_t* p) { return static_cast<std::size_t>(((p[0] & 0x0F) << 8) | p[1]); }

// The whole section of the given table that begins in the packet, or null. `length` receives
// its length up to and without the CRC.
const std::uint8_t* SectionIn(const TSPacket& packet, std::uint8_t tableId, std::size_t minBody,
                              std::size_t* length) {
  if (!packet.unitStart || packet.payloadLength < 1) return nullptr;
  const std::size_t pointer = packet.payload[0];
  const std::size_t start = 1 + pointer;
  if (start + kSectionHeader > packet.payloadLength) return nullptr;
  const std::uint8_t* s = packet.payload + start;
  const std::size_t whole = kSectionHeader + Length12(s + 1);
  if (s[0] != tableId || whole > packet.payloadLength - start) return nullptr;
  if (whole < kSectionHeader + minBody + kCrcSize || Crc32Mpeg2(s, whole) != 0) return nullptr;
  *length = whole - kCrcSize;
  return s;
}

}  // namespace

std::uint32_t Crc32Mpeg2(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < length; ++i) crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ data[i]) & 0xFF];
  return crc;
}

void CTSTables::Reset() { *this = CTSTables(); }

void CTSTables::Take(const TSPacket& packet) {
  if (m_known) return;
  std::size_t length = 0;
  if (packet.pid == 0) {
    const std::uint8_t* s = SectionIn(packet, kAssociationTableId, kAssociationFirstEntry - kSectionHeader, &length);
    if (s) TakeAssociation(s, length);
  } else if (m_mapPid != kNoPid && packet.pid == m_mapPid) {
    const std::uint8_t* s = SectionIn(packet, kMapTableId, kMapFirstStream - kSectionHeader, &length);
    if (s) TakeMap(s, length);
  }
}

void CTSTables::TakeAssociation(const std::uint8_t* s, std::size_t length) {
  for (std::size_t i = kAssociationFirstEntry; i + kAssociationEntrySize <= length; i += kAssociationEntrySize) {
    const unsigned programme = plat::LoadBe16(s + i);
    if (programme == 0) continue;  // the network table, not a programme
    m_mapPid = Pid13(s + i + 2);
    return;
  }
}

void CTSTables::TakeMap(const std::uint8_t* s, std::size_t length) {
  std::size_t i = kMapFirstStream + Length12(s + kMapInfoLength);
  while (i + kStreamEntrySize <= length) {
    const std::uint8_t type = s[i];
    const int pid = Pid13(s + i + 1);
    if (type == kStreamTypeH264 && m_videoPid == kNoPid) m_videoPid = pid;
    if (type == kStreamTypeAac && m_audioPid == kNoPid) m_audioPid = pid;
    if (type == kStreamTypeSensorText && m_privatePid == kNoPid) m_privatePid = pid;
    i += kStreamEntrySize + Length12(s + i + 3);
  }
  m_known = true;
}
