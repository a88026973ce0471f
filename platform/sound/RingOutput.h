// The part of a sound output that does not depend on the device: the buffer, the locked piece,
// the playing state, the volume and the notification event. A device pulls samples with Pull
// from a thread of its own.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/Sync.h"
#include "platform/sound/SoundOutput.h"
#include "platform/sound/SoundRing.h"

namespace plat {

class CRingOutput : public ISoundOutput {
 public:
  bool Open(const PcmFormat& format, std::uint32_t bytes, const std::vector<std::uint32_t>& notifyPositions) override;
  void Close() override;
  bool IsOpen() const override;
  std::uint8_t* Lock(std::uint32_t offset, std::uint32_t bytes) override;
  void Unlock() override;
  void GetPositions(std::uint32_t* play, std::uint32_t* write) const override;
  void Play() override;
  void Stop() override;
  void SetPosition(std::uint32_t offset) override;
  void SetVolume(std::int32_t hundredthsDb) override { volume_ = hundredthsDb; }
  std::int32_t Volume() const override { return volume_; }
  bool WaitNotify(std::uint32_t timeoutMs) override { return notify_.Wait(static_cast<std::int32_t>(timeoutMs)); }
  void Wake() override { notify_.Set(); }
  bool Lost() const override { return false; }
  bool Restore() override { return IsOpen(); }

 protected:
  // Starts the device pulling in this format; stops it and waits until it pulls no more. The
  // buffer's lock is never held while they run.
  virtual bool OpenDevice(const PcmFormat& format) = 0;
  virtual void CloseDevice() = 0;
  // The device takes `bytes` to play: from the buffer while playing, silence otherwise.
  void Pull(std::uint8_t* out, std::uint32_t bytes);
  const PcmFormat& Format() const { return format_; }

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<SoundRing> ring_;
  std::vector<std::uint8_t> piece_;
  std::uint32_t pieceOffset_ = 0;
  bool locked_ = false;
  bool playing_ = false;
  PcmFormat format_;
  std::atomic<std::int32_t> volume_{0};
  CEvent notify_;
};

}  // namespace plat
