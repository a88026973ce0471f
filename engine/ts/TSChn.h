// The transport-stream channel: plays a `.ts` file through the transport-stream reader into the
// channel's queues, in place of the card source. It keeps the sensor blocks that the reader makes
// of the stream's sensor texts in a ring that the video queue's markers point at, hands the first
// sound of a run to the audio clock, and publishes the block of the last marker taken for the
// main window.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/stream/ABuffer2.h"
#include "engine/state/EngineState.h"
#include "engine/store/IndexBlock.h"
#include "engine/stream/QueueItem.h"
#include "engine/stream/SensorMarkers.h"
#include "engine/ts/TSAnalyse.h"
#include "engine/stream/VBuffer2.h"
#include "platform/Sync.h"

class CTSChn : public ITSChannel, public ISensorMarkers {
 public:
  static constexpr std::size_t kRingSlots = 4096;

  CTSChn(CEngineState& state, CVBuffer2& video, CABuffer2& audio);
  ~CTSChn() override;
  CTSChn(const CTSChn&) = delete;
  CTSChn& operator=(const CTSChn&) = delete;

  // Opens the file (at its end when reading backward) and starts the reader; false when the file
  // cannot be opened or the reader does not start. The queues' areas must exist.
  bool Start(const std::string& path, bool backward);
  // Opens the file and starts the reader exporting it whole (CTSAnalyse::SetExport); false as for
  // Start.
  bool StartExport(const std::string& path, TSExport exportTo);
  bool IsExporting() const { return reader_.IsExporting(); }
  // Ends a run: the ring starts over, both queues are woken so that no put waits, and the reader
  // is stopped and its file closed.
  void Reset(DWORD timeoutMs);
  void SetBackward(bool backward) { reader_.SetBackward(backward); }
  // Asks the reader to go on from the first picture of its file whose time (seconds) is not
  // before `time`; false, and nothing asked, when the file has no such picture (TSChnSeek.cpp).
  bool SeekTime(std::int64_t time);
  bool IsRunning() const { return reader_.IsRunning(); }
  std::string Path() const { return reader_.Path(); }

  // The consumer of a marker item: copies the ring slot it points at and publishes the copy as
  // the block the main window reads. False for a marker that points at no slot of the ring.
  bool TakeMarker(const QueueItem& marker, BYTE* out) override;
  // A copy of the published block, its magic cleared when the reader does not run; true when
  // the copy begins with the trailer magic.
  bool GetSensorBlock(BYTE* out) const;

  // What the reader asks of its channel, on the reader's thread.
  // The engine keeps no start times of transport-stream files: picture times count from the
  // stream's own clock.
  std::int64_t FileStartTime(const std::string& path) override;
  // The first picture of a run sets the play clock. The engine's seek time stands for the
  // picture until the reader has taken the seek: the first picture queued then cancels it and
  // sets the play clock. A seek time that the reader was not asked for is cancelled likewise.
  void SetCurrentDate(const RecorderDate& date) override;
  // No marker is queued for the block while the video queue holds as many markers as the ring
  // can keep apart.
  std::uint8_t* TakeSensorBlock(const IndexBlockA5& block) override;
  void ResyncAudio(int startDelayMs, std::uint64_t stampUs) override;

 private:
  std::uint8_t* SlotOf(const QueueItem& marker) const;

  CEngineState& state_;
  CVBuffer2& video_;
  CABuffer2& audio_;
  mutable CCritSecs lock_;
  std::unique_ptr<std::array<IndexBlockA5, kRingSlots>> ring_;
  std::size_t next_ = 0;
  IndexBlockA5 shared_;
  CTSAnalyse reader_;  // last: stopped before the ring goes
};
