// The sound output on SDL's default audio device. SDL calls back for each piece the device
// needs and converts our 16-bit samples to the device's format itself.
#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/sound/RingOutput.h"

namespace plat {
namespace {

// SDL's audio subsystem is started once and shared; opening and closing devices is serialised.
std::mutex& AudioMutex() {
  static std::mutex m;
  return m;
}

// Without a sound card or a sound server every driver SDL tries fails, and the ALSA library prints
// its failures on the terminal; such a machine is told apart first, unless a driver is named.
bool MachineMayHaveSound() {
  if (std::getenv("SDL_AUDIODRIVER") || std::getenv("PULSE_SERVER")) return true;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
    std::error_code error;
    for (const char* socket : {"/pulse/native", "/pipewire-0"}) {
      if (std::filesystem::exists(std::string(runtime) + socket, error)) return true;
    }
  }
  std::ifstream cards("/proc/asound/cards");
  std::string first;
  return std::getline(cards, first) && first.find("no soundcards") == std::string::npos;
}

// SDL would otherwise catch SIGINT and SIGTERM for an event queue that nobody reads: the programs
// handle their own signals.
bool StartAudioLocked() {
  if (SDL_WasInit(SDL_INIT_AUDIO) != 0) return true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  return MachineMayHaveSound() && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SDL_AudioSpec DeviceFormatFor(const PcmFormat& format) {
  SDL_AudioSpec want{};
  want.freq = format.rate;
  want.format = AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = 512;
  return want;
}

class CSdlSoundOutput final : public CRingOutput {
 public:
  ~CSdlSoundOutput() override { Close(); }

  bool Lost() const override {
    const SDL_AudioDeviceID id = device_;
    return id != 0 && SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_STOPPED;
  }

  bool Restore() override {
    if (!IsOpen()) return false;
    CloseDevice();
    return OpenDevice(Format());
  }

 protected:
  bool OpenDevice(const PcmFormat& format) override {
    SDL_AudioSpec want = DeviceFormatFor(format);
    want.callback = &CSdlSoundOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    std::lock_guard lock(AudioMutex());
    if (!StartAudioLocked()) return false;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void CloseDevice() override {
    std::lock_guard lock(AudioMutex());
    const SDL_AudioDeviceID id = device_.exchange(0);
    if (id != 0) SDL_CloseAudioDevice(id);
  }

 private:
  static void SDLCALL Callback(void* self, Uint8* stream, int len) {
    if (len > 0) static_cast<CSdlSoundOutput*>(self)->Pull(stream, static_cast<std::uint32_t>(len));
  }

  std::atomic<SDL_AudioDeviceID> device_{0};
};

}  // namespace

// Audio started only for the question is stopped again when no device opens, so that a driver
// chosen afterwards (SDL_AUDIODRIVER) takes effect.
bool SoundDeviceAvailable() {
  std::lock_guard lock(AudioMutex());
  const bool wasStarted = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  if (!StartAudioLocked()) return false;
  SDL_AudioSpec want = DeviceFormatFor(PcmFormat{});
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (id == 0) {
    if (!wasStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_CloseAudioDevice(id);
  return true;
}

std::unique_ptr<ISoundOutput> CreateSoundOutput() { return std::make_unique<CSdlSoundOutput>(); }

}  // namespace plat
