// The AVI file of an export: one video stream of the recorder's H.264 copied sample by sample or
// of the re-encoded MPEG-4, and a 16-bit PCM sound stream at 8000 samples a second, mono, added
// with the first sound.
#pragma once

#include <cstdint>
#include <string>

#include "platform/media/AviWriter.h"

class CAviFile {
 public:
  enum class Video { kH264Copy, kMpeg4 };

  // Creates the file for pictures of the given size at a whole frame rate (0: 30). The video
  // stream counts time in thousandths of a second: its rate is the frame rate times 1000.
  bool CreateWrite(const std::string& path, int width, int height, int fps, Video video);
  bool IsOpen() const { return m_writer.IsOpen(); }
  // One sample; the index marks it as a key frame only when `key` is set.
  bool WriteVideo(const std::uint8_t* data, std::uint32_t length, bool key);
  // 16-bit PCM; every call is one sample of length / 2 sound samples.
  bool WriteAudio(const std::uint8_t* data, std::uint32_t length);
  bool Close();
  // Video samples in the file so far.
  std::uint32_t VideoSamples() const { return m_writer.VideoSamples(); }
  // The error (errno) of the last create or write that failed.
  int LastError() const { return m_writer.LastError(); }

 private:
  plat::AviWriter m_writer;
};
