// Which items the video thread decodes at a given speed. Forward from 2x on only key frames are
// decoded, and above 8x only every (speed / 4)-th of them; backward every picture is decoded,
// because each group is shown from its last picture back. Sensor markers follow the pictures:
// from 2x on only one in (speed + 1) of them is handled. The policy also counts the group of
// pictures: the inter frames between two key frames that start with a sequence parameter set.
#pragma once

#include <cstddef>
#include <cstdint>

class CDecodePolicy {
 public:
  // Starts the counts over (the video thread's run start).
  void Reset();
  // A key-frame item. Counts it; when it starts with a sequence parameter set and inter frames
  // were counted since the last one, stores their number in `gopLength` and starts counting
  // again. True when the key frame is to be decoded at this speed.
  bool TakeKeyFrame(const std::uint8_t* data, std::size_t length, double speed, std::int32_t& gopLength);
  // An inter-frame item. Counts it; true when it is to be decoded at this speed.
  bool TakeInterFrame(double speed);
  // Whether a sensor marker that arrives now is handled at this speed.
  bool WantsSensorMarker(double speed) const;

  std::int32_t KeyFrames() const { return keyFrames_; }
  std::int32_t InterFrames() const { return interFrames_; }

 private:
  std::int32_t keyFrames_ = 0;
  std::int32_t interFrames_ = 0;
};
