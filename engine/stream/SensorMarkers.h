// Where the sensor markers of a channel's video queue point: the card source's sensor data or the
// transport-stream channel's ring of blocks. The video thread takes each marker through it.
#pragma once

#include "engine/stream/QueueItem.h"
#include "platform/Types.h"

class ISensorMarkers {
 public:
  virtual ~ISensorMarkers() = default;
  // Copies the block the marker points at into out (512 bytes) and publishes it as the block the
  // main window reads. False when the marker's block is gone.
  virtual bool TakeMarker(const QueueItem& marker, BYTE* out) = 0;
};
