#include "platform/sound/RingOutput.h"

#include <cstring>

namespace plat {

bool CRingOutput::Open(const PcmFormat& format, std::uint32_t bytes, const std::vector<std::uint32_t>& notifyPositions) {
  Close();
  if (bytes == 0 || bytes % 2 != 0 || format.rate <= 0 || format.channels <= 0) return false;
  {
    std::lock_guard lock(mutex_);
    ring_ = std::make_unique<SoundRing>(bytes, notifyPositions);
    format_ = format;
  }
  if (OpenDevice(format)) return true;
  std::lock_guard lock(mutex_);
  ring_.reset();
  return false;
}

void CRingOutput::Close() {
  CloseDevice();
  std::lock_guard lock(mutex_);
  ring_.reset();
  playing_ = false;
  locked_ = false;
}

bool CRingOutput::IsOpen() const {
  std::lock_guard lock(mutex_);
  return ring_ != nullptr;
}

std::uint8_t* CRingOutput::Lock(std::uint32_t offset, std::uint32_t bytes) {
  if (Lost()) return nullptr;
  std::lock_guard lock(mutex_);
  if (!ring_ || locked_ || bytes == 0) return nullptr;
  piece_.resize(bytes);
  if (!ring_->Read(offset, piece_.data(), bytes)) return nullptr;
  pieceOffset_ = offset;
  locked_ = true;
  return piece_.data();
}

void CRingOutput::Unlock() {
  std::lock_guard lock(mutex_);
  if (!locked_) return;
  locked_ = false;
  if (ring_) ring_->Write(pieceOffset_, piece_.data(), static_cast<std::uint32_t>(piece_.size()));
}

void CRingOutput::GetPositions(std::uint32_t* play, std::uint32_t* write) const {
  std::lock_guard lock(mutex_);
  *play = ring_ ? ring_->PlayPosition() : 0;
  *write = ring_ ? ring_->WritePosition() : 0;
}

void CRingOutput::Play() {
  std::lock_guard lock(mutex_);
  playing_ = ring_ != nullptr;
}

void CRingOutput::Stop() {
  std::lock_guard lock(mutex_);
  playing_ = false;
}

void CRingOutput::SetPosition(std::uint32_t offset) {
  std::lock_guard lock(mutex_);
  if (ring_) ring_->SetPosition(offset);
}

void CRingOutput::Pull(std::uint8_t* out, std::uint32_t bytes) {
  bool passed = false;
  {
    std::lock_guard lock(mutex_);
    if (ring_ && playing_) {
      passed = ring_->Drain(out, bytes, volume_);
    } else {
      std::memset(out, 0, bytes);
    }
  }
  if (passed) notify_.Set();
}

}  // namespace plat
