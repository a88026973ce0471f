// The picture rate of a transport stream: declared by the file's byte 82, or measured over the
// time stamps of 30 video units and snapped to the nearest rate recordings are made at, so that
// the pictures are paced as they were recorded; and the length of a group of pictures in seconds,
// estimated once the rate is known.
#pragma once

#include <cstddef>
#include <cstdint>

// 15, 24, 25, 30, 50 or 60: the nearest to a measured rate (29.97 becomes 30, 23.976 24).
int SnapFrameRate(double measured);

class CTSFrameRate {
 public:
  static constexpr int kDefaultRate = 30;
  static constexpr int kMeasuredUnits = 30;
  static constexpr std::size_t kDeclaredRateOffset = 82;
  static constexpr int kMaxDeclaredRate = 120;

  // A new file, given its first bytes. A byte 82 of 1..120 is the rate; any other value (0xFF in
  // files that declare nothing) leaves the rate at 30 until it is measured.
  void StartFile(const std::uint8_t* head, std::size_t length);
  // After a seek: a measurement under way and a GOP count under way start again; what was found
  // stays for the file.
  void RestartCounts();
  // The time stamp (90 kHz) of a video unit, in reading order (backward reading is fine).
  void TakeStamp(std::uint64_t pts);
  // A picture in reading order; `afterSps` marks a key frame that a sequence parameter set led.
  // The GOP length is found at the second such key frame after the rate is known.
  void TakePicture(bool key, bool afterSps);

  int Rate() const { return m_rate; }
  bool Known() const { return !m_measuring; }
  // Seconds from one key frame to the next, at least 1; 0 until estimated.
  int GopSeconds() const { return m_gopSeconds; }

 private:
  int m_rate = kDefaultRate;
  bool m_measuring = true;
  int m_stamps = 0;
  std::uint64_t m_firstStamp = 0;
  int m_gopKeys = 0;
  int m_gopInterFrames = 0;
  int m_gopSeconds = 0;
};
