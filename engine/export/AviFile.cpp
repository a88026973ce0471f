#include "engine/export/AviFile.h"

namespace {

constexpr int kDefaultFps = 30;
constexpr std::uint32_t kTimeScale = 1000;
constexpr std::uint32_t kSoundRate = 8000;

}  // namespace

bool CAviFile::CreateWrite(const std::string& path, int width, int height, int fps, Video video) {
  plat::AviVideoFormat format;
  format.width = width;
  format.height = height;
  format.scale = kTimeScale;
  format.rate = static_cast<std::uint32_t>(fps > 0 ? fps : kDefaultFps) * kTimeScale;
  // The copied stream keeps the recorder's codes; the re-encoded one names its encoder in both.
  if (video == Video::kH264Copy) {
    format.handler = plat::MakeFourCC("AVC1");
    format.compression = plat::MakeFourCC("X264");
  } else {
    format.handler = plat::MakeFourCC("xvid");
    format.compression = plat::MakeFourCC("xvid");
  }
  return m_writer.Create(path, format, plat::AviSoundFormat{kSoundRate, 1});
}

bool CAviFile::WriteVideo(const std::uint8_t* data, std::uint32_t length, bool key) {
  return m_writer.WriteVideo(data, length, key);
}

bool CAviFile::WriteAudio(const std::uint8_t* data, std::uint32_t length) { return m_writer.WriteSound(data, length); }

bool CAviFile::Close() { return m_writer.Close(); }
