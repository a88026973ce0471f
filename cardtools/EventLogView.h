// Where the card dialog shows an event log besides its own list: the owner's map page, which
// draws the log's track, and the owner's chain of G-sensor bars, onto which the log is plotted.
#pragma once

#include <array>

#include "platform/Types.h"

class GpsTrack;

// The event flags 1 to 12 of a record as the G-sensor bars' mark bytes.
using EventMarkBytes = std::array<BYTE, 12>;

class IEventLogView {
 public:
  virtual ~IEventLogView() = default;
  // The whole track of the log.
  virtual void ShowTrack(const GpsTrack& track) = 0;
  // The first time of the bars' range; records before it are not plotted.
  virtual int PlotStart() const = 0;
  // A G-sensor sample of the chain of bars.
  virtual void AddSample(int x, int y, int z, int time) = 0;
  // A speed and the events of a record, on the bars that show them.
  virtual void SetValueAt(int value, double realValue, int time) = 0;
  virtual void MarkSegments(const EventMarkBytes& flags, int time) = 0;
  // The bars' columns from the samples plotted.
  virtual void ReloadSamples() = 0;
};
