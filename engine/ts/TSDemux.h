// The transport-stream demultiplexer of the reader: finds the packets in the bytes read forward
// or backward, learns the programme tables and gathers the video, audio and sensor-text streams
// into PES units, which it hands to a sink. Knows nothing of files, threads or queues.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ts/PesUnit.h"
#include "engine/ts/TSTables.h"

enum class TSStream { kVideo, kAudio, kSensorText };

class ITSUnitSink {
 public:
  virtual ~ITSUnitSink() = default;
  // A whole PES unit, header included; the bytes are valid during the call only.
  virtual void OnUnit(TSStream stream, const std::uint8_t* unit, std::size_t length) = 0;
};

// Packet sync: a packet starts at a sync byte whose partner one packet further (forward) or one
// packet earlier (backward) is a sync byte too; otherwise the scan moves on by one byte, so
// garbage between packets is passed over. Bytes that cannot be judged yet wait in the window
// for the next piece. Backward only the video stream is gathered.
class CTSDemux {
 public:
  static constexpr std::size_t kReadSize = 8192;
  static constexpr std::size_t kWindowSize = 9500;

  explicit CTSDemux(ITSUnitSink& sink);

  // Forgets the tables (another file).
  void ResetTables() { m_tables.Reset(); }
  // Learns the tables from the packets of a piece of the file without taking anything else, so
  // that a file read backward from its end knows its streams from the start.
  void LearnTables(const std::uint8_t* data, std::size_t length);
  // Drops the bytes waiting in the window and the units being gathered (a seek, a turn).
  void ResetStreams();
  // Bytes read forward, following those fed before.
  void FeedForward(const std::uint8_t* data, std::size_t length);
  // Bytes read backward, lying just before those fed before.
  void FeedBackward(const std::uint8_t* data, std::size_t length);
  // Forward reading reached the end of the data: the last packet, which has no partner, is
  // taken, and the units being gathered are whole; then the streams are reset.
  void FinishForward();
  // Backward reading starts at the end of the data, where the last units end.
  void MarkEndOfData() { m_video.BeginBackward(); }

  const CTSTables& Tables() const { return m_tables; }
  // Bytes fed but not yet taken as packets or passed over.
  std::size_t Pending() const { return m_fill; }

 private:
  void ScanForward();
  void ScanBackward();
  void TakePacket(const std::uint8_t* p, bool backward);
  void TakeForward(TSStream stream, CPesCollector& c, const TSPacket& packet);
  void TakeBackward(TSStream stream, CPesCollector& c, const TSPacket& packet);
  void HandOut(TSStream stream, const CPesCollector& c);

  ITSUnitSink& m_sink;
  CTSTables m_tables;
  std::vector<std::uint8_t> m_window;
  std::size_t m_fill = 0;
  CPesCollector m_video;
  CPesCollector m_audio;
  CPesCollector m_sensorText;
};
