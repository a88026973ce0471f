// Writes AVI files: one video stream and, from the first sound on, one PCM sound stream, with the
// legacy 'idx1' index. Samples go into the 'movi' list as they come; the header region before it
// has a fixed size and is written at close, when the counts are known. The layout puts the main
// header's microseconds per frame at byte 32 and the video stream's rate at byte 132, so that a
// finished file's timing can be corrected in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/File.h"

namespace plat {

// A four-character code as stored: the first character in the lowest byte.
constexpr std::uint32_t MakeFourCC(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

struct AviVideoFormat {
  int width = 0;
  int height = 0;
  std::uint32_t scale = 1000;     // the rate counts frames per `scale` seconds
  std::uint32_t rate = 30000;
  std::uint32_t handler = 0;      // the stream header's handler code
  std::uint32_t compression = 0;  // the bitmap header's compression code
};

// Signed 16-bit little-endian PCM.
struct AviSoundFormat {
  std::uint32_t samplesPerSecond = 8000;
  std::uint16_t channels = 1;
};

class AviWriter {
 public:
  // Byte offsets of the two timing fields that PatchTiming rewrites.
  static constexpr std::uint64_t kMicroSecPerFrameAt = 32;
  static constexpr std::uint64_t kVideoRateAt = 132;
  // A file never grows past this size (its index included), so that every offset and size
  // field stays valid for readers that take them as signed.
  static constexpr std::uint64_t kMaxFileBytes = 0x7FFFFFFF;

  AviWriter() = default;
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;
  ~AviWriter();

  // Creates (or empties) the file. The sound format is used from the first WriteSound on.
  bool Create(const std::string& path, const AviVideoFormat& video, const AviSoundFormat& sound);
  bool IsOpen() const { return file_.IsOpen(); }
  // One video sample, flagged as a key frame in the index when `key` is set.
  bool WriteVideo(const std::uint8_t* data, std::size_t bytes, bool key);
  // Sound samples; the first call adds the sound stream. A trailing odd byte is not written.
  bool WriteSound(const std::uint8_t* data, std::size_t bytes);
  // Writes the buffered samples, the index and the header region, and closes the file. False
  // when any of it could not be written; the file then holds what was written before the fault.
  bool Close();

  std::uint32_t VideoSamples() const { return videoSamples_; }
  // The error (errno) of the last create or write of the file that failed.
  int LastError() const { return file_.LastError(); }

  // Rewrites the main header's microseconds per frame and the video stream's rate of a closed
  // file.
  static bool PatchTiming(const std::string& path, std::uint32_t microSecPerFrame, std::uint32_t videoRate);

 private:
  struct IndexEntry {
    std::uint32_t chunkId;
    std::uint32_t flags;
    std::uint32_t offset;  // of the chunk header, from the 'movi' code
    std::uint32_t size;
  };

  bool WriteChunk(std::uint32_t chunkId, const std::uint8_t* data, std::size_t bytes, bool key);
  bool Flush();
  void DropUnwritten();
  void ForgetFile();
  std::vector<std::uint8_t> HeaderRegion() const;
  bool WriteIndex();

  File file_;
  AviVideoFormat video_;
  AviSoundFormat sound_;
  bool hasSound_ = false;
  bool failed_ = false;
  std::vector<std::uint8_t> buffer_;  // samples not yet written, from written_ on
  std::uint64_t written_ = 0;         // file bytes written so far
  std::uint64_t end_ = 0;             // written_ plus the buffer
  std::vector<IndexEntry> index_;
  std::uint32_t videoSamples_ = 0;
  std::uint64_t soundBytes_ = 0;
  std::uint32_t maxVideoChunk_ = 0;
  std::uint32_t maxSoundChunk_ = 0;
};

}  // namespace plat
