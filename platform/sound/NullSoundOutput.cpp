// The sound output without a device: a thread of its own takes the samples at the format's
// rate, measured by the clock, so the play cursor and the notifications behave as on a device.
#include <algorithm>

#include "platform/sound/RingOutput.h"

namespace plat {
namespace {

constexpr std::uint32_t kPollMs = 16;
constexpr std::uint32_t kPieceBytes = 1024;

class CNullSoundOutput final : public CRingOutput {
 public:
  explicit CNullSoundOutput(IClock& clock) : clock_(clock) {}
  ~CNullSoundOutput() override { Close(); }

 protected:
  bool OpenDevice(const PcmFormat& format) override {
    stop_.Reset();
    const std::uint32_t frameBytes = 2 * static_cast<std::uint32_t>(format.channels);
    const std::uint64_t bytesPerSecond = static_cast<std::uint64_t>(format.rate) * frameBytes;
    return thread_.Start([this, frameBytes, bytesPerSecond] { Pace(frameBytes, bytesPerSecond); });
  }

  void CloseDevice() override {
    stop_.Set();
    thread_.JoinForever();
  }

 private:
  void Pace(std::uint32_t frameBytes, std::uint64_t bytesPerSecond) {
    std::vector<std::uint8_t> piece(kPieceBytes);
    const std::uint64_t start = clock_.NowMs();
    std::uint64_t taken = 0;
    while (!stop_.Wait(kPollMs)) {
      const std::uint64_t due = (clock_.NowMs() - start) * bytesPerSecond / 1000 / frameBytes * frameBytes;
      while (taken < due) {
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(due - taken, kPieceBytes / frameBytes * frameBytes));
        Pull(piece.data(), n);
        taken += n;
      }
    }
  }

  IClock& clock_;
  CEvent stop_{true};
  plat::Thread thread_;
};

}  // namespace

std::unique_ptr<ISoundOutput> CreateNullSoundOutput(IClock& clock) { return std::make_unique<CNullSoundOutput>(clock); }

}  // namespace plat
