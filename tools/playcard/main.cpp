// playcard SOURCE [--entry N] [--speed S] [--seek SECONDS] [--for SECONDS] [--json]: plays a
// recording through the engine in real time, as the player does, with an offscreen picture in
// place of the channel window and the machine's sound device (SDL's null device where there is
// none), and reports what it showed. SOURCE is a `.sd` backup, an `.idx` index, a `.ts` file or
// dvk2://N for drive N.
//   --entry N     the store's N-th recording (from 0) in place of its first
//   --speed S     the playing speed, negative backward
//   --seek SEC    plays from SEC seconds after the recording's start (card sources; a transport
//                 stream is not positioned by time)
//   --for SEC     ends the play after SEC seconds when it has not ended before
//   --json        the report as one JSON object
//   --help        this usage
// The play ends with the engine's end message, when the engine pauses itself after a single step,
// or, for a transport stream, which has no end (its reader waits for the file to grow), once
// nothing is left to show. The report includes the chunks the card source read (valid or not).
// Exit status 0 when the play ran and ended, 2 when the source cannot be played (the message
// says why) or the arguments are wrong.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/IbpCtrl.h"
#include "platform/Message.h"
#include "platform/Time.h"
#include "platform/sound/SoundOutput.h"
#include "platform/video/BackBufferPresenter.h"
#include "platform/video/OneWindowPresenter.h"
#include "platform/video/PresentedFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

const HWND kNotifyWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
const HWND kVideoWindow = reinterpret_cast<HWND>(std::uintptr_t{2});
constexpr std::size_t kReportedHashes = 5;
constexpr double kMaxEntry = 65535;  // more recordings than any store holds
constexpr double kMaxSeekSeconds = 2147483647;  // recording times are 32-bit seconds
constexpr auto kPollStep = std::chrono::milliseconds(10);
// A transport stream has shown all it has once its queue stays empty and no picture came for so
// long.
constexpr auto kStreamQuiet = std::chrono::seconds(2);

struct Options {
  std::string source;
  int entry = 0;
  double speed = 1.0;
  std::optional<double> seek;
  std::optional<double> forSeconds;
  bool json = false;
};

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

bool ParseOptions(int argc, char** argv, Options* o) {
  if (argc < 2) return false;
  o->source = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--json") {
      o->json = true;
      continue;
    }
    double value = 0;
    if (i + 1 >= argc || !ParseNumber(argv[i + 1], &value)) return false;
    ++i;
    if (flag == "--entry" && value >= 0 && value <= kMaxEntry && value == std::floor(value)) {
      o->entry = static_cast<int>(value);
    } else if (flag == "--speed" && std::isfinite(value) && value != 0) {
      o->speed = value;
    } else if (flag == "--seek" && value >= 0 && value <= kMaxSeekSeconds) {
      o->seek = value;
    } else if (flag == "--for" && value > 0) {
      o->forSeconds = value;
    } else {
      return false;
    }
  }
  return true;
}

// Counts what the engine posts to its notify window.
class MessageCounter final : public plat::IMessageRouter {
 public:
  MessageCounter() { previous_ = plat::SetMessageRouter(this); }
  ~MessageCounter() override { plat::SetMessageRouter(previous_); }
  bool Post(HWND wnd, UINT msg, WPARAM, LPARAM) override {
    if (wnd != kNotifyWindow) return true;
    if (msg == WM_PLAYER_SENSORDATA) ++sensor;
    if (msg == WM_PLAYER_VIDEOSIZE) ++videoSize;
    if (msg == WM_PLAYER_END) ++end;
    return true;
  }
  LRESULT Send(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  bool Show(HWND, int) override { return true; }

  std::atomic<int> sensor{0};
  std::atomic<int> videoSize{0};
  std::atomic<int> end{0};

 private:
  plat::IMessageRouter* previous_ = nullptr;
};

// What the window showed: the recording second of its first and last picture and the hashes of
// its first pictures.
struct Shown {
  std::int64_t firstTime = 0;
  std::int64_t lastTime = 0;
  std::vector<std::string> hashes;
};

// The channel window's presenter: notes each new picture as it is presented (a repaint presents
// the same picture again) with the second of the picture the engine shows.
class ShowingPresenter final : public plat::BackBufferPresenter {
 public:
  explicit ShowingPresenter(const std::atomic<std::int64_t>& frameTime) : frameTime_(frameTime) {}
  Shown Result() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }

 protected:
  void Presented(const plat::PresentedFrame& frame) override {
    const std::int64_t key = frame.picture.cacheKey();
    std::lock_guard lock(mutex_);
    if (any_ && key == lastKey_) return;
    const std::int64_t time = frameTime_.load();
    if (!any_) shown_.firstTime = time;
    shown_.lastTime = time;
    if (shown_.hashes.size() < kReportedHashes) shown_.hashes.push_back(plat::PictureHash(frame.picture));
    any_ = true;
    lastKey_ = key;
  }
  void VisibilityChanged(bool) override {}

 private:
  const std::atomic<std::int64_t>& frameTime_;
  mutable std::mutex mutex_;
  bool any_ = false;
  std::int64_t lastKey_ = 0;
  Shown shown_;
};

// Without a sound device the sound goes to SDL's null device, which takes it in real time as a
// device would; a driver named in the environment is used as it is.
void ChooseSoundDevice() {
  if (!std::getenv("SDL_AUDIODRIVER") && !plat::SoundDeviceAvailable()) setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// The store's recording at that position; null when the store cannot be opened or has fewer.
IndexEntry* ChosenEntry(CIbpCtrl& engine, int position) {
  IndexEntry* e = engine.OpenStore();
  for (int i = 0; e && i < position; ++i) e = engine.GetNextEntry(e);
  return e;
}

// Waits until the play has ended or the time given has passed.
void WaitForEnd(CIbpCtrl& engine, const MessageCounter& messages, const Options& o, bool stream) {
  const Clock::time_point start = Clock::now();
  const CVideoCtx& video = *engine.Video(0);
  std::uint64_t pictures = video.PresentedPictures();
  Clock::time_point lastPicture = start;
  for (;;) {
    std::this_thread::sleep_for(kPollStep);
    const Clock::time_point now = Clock::now();
    if (messages.end.load() > 0 || engine.State().pause.load() != 0) return;
    if (o.forSeconds && now - start >= std::chrono::duration<double>(*o.forSeconds)) return;
    if (video.PresentedPictures() != pictures) {
      pictures = video.PresentedPictures();
      lastPicture = now;
    }
    if (stream && engine.VideoQueue(0)->Count() == 0 && now - lastPicture >= kStreamQuiet) return;
  }
}

struct Report {
  std::uint64_t chunkReads = 0;
  std::uint64_t pictures = 0;
  std::uint64_t keyPictures = 0;
  int width = 0;
  int height = 0;
  Shown shown;
  int sensorMessages = 0;
  int videoSizeMessages = 0;
  int endMessages = 0;
  std::uint64_t audioBytes = 0;
};

std::string DateText(std::int64_t t) { return t == 0 ? "-" : plat::LocalDateTimeText(t).value_or("-"); }

void PrintJson(const Report& r) {
  std::printf("{\"chunkReads\": %llu, \"pictures\": %llu, \"keyPictures\": %llu, \"width\": %d, \"height\": %d, \"firstFrameTime\": %lld, "
              "\"lastFrameTime\": %lld, \"sensorMessages\": %d, \"videoSizeMessages\": %d, \"endMessages\": %d, "
              "\"audioBytes\": %llu, \"frameHashes\": [",
              static_cast<unsigned long long>(r.chunkReads), static_cast<unsigned long long>(r.pictures),
              static_cast<unsigned long long>(r.keyPictures), r.width, r.height, static_cast<long long>(r.shown.firstTime), static_cast<long long>(r.shown.lastTime),
              r.sensorMessages, r.videoSizeMessages, r.endMessages, static_cast<unsigned long long>(r.audioBytes));
  for (std::size_t i = 0; i < r.shown.hashes.size(); ++i) std::printf("%s\"%s\"", i ? ", " : "", r.shown.hashes[i].c_str());
  std::printf("]}\n");
}

void PrintText(const Report& r) {
  std::printf("showed %llu pictures (%llu key pictures) of %dx%d, from %s to %s\n",
              static_cast<unsigned long long>(r.pictures), static_cast<unsigned long long>(r.keyPictures), r.width,
              r.height, DateText(r.shown.firstTime).c_str(), DateText(r.shown.lastTime).c_str());
  std::printf("played %llu bytes of sound; read %llu chunks\n", static_cast<unsigned long long>(r.audioBytes),
              static_cast<unsigned long long>(r.chunkReads));
  std::printf("messages: %d sensor data, %d picture size, %d end\n", r.sensorMessages, r.videoSizeMessages,
              r.endMessages);
}

const char* const kUsage =
    "usage: playcard SOURCE [--entry N] [--speed S] [--seek SECONDS] [--for SECONDS] [--json]\n"
    "Plays a recording through the engine in real time and reports what it showed.\n"
    "SOURCE: file.sd, file.idx, file.ts or dvk2://N (PLAYER_DRIVE_N=FILE reads a card image as drive N)\n"
    "  --entry N     the store's N-th recording (from 0) in place of its first\n"
    "  --speed S     the playing speed, negative backward (not 0, and finite)\n"
    "  --seek SEC    plays from SEC seconds after the recording's start\n"
    "  --for SEC     ends the play after SEC seconds when it has not ended before\n"
    "  --json        the report as one JSON object\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Why a transport stream's file cannot be played.
const char* StreamFileProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "it does not exist";
  if (!S_ISREG(st.st_mode)) return "it is not a file";
  if (::access(path.c_str(), R_OK) != 0) return "it cannot be read (no permission)";
  return "it is not a transport stream that can be played";
}

// The recording to play; null, with the reason told, when the store has none at that position.
IndexEntry* EntryToPlay(CIbpCtrl& engine, const Options& o) {
  if (!engine.OpenStore()) {
    std::fprintf(stderr, "playcard: %s cannot be opened: %s\n", o.source.c_str(),
                 StoreOpenFailureText(engine.Source().OpenFailure()));
    return nullptr;
  }
  IndexEntry* e = ChosenEntry(engine, o.entry);
  if (!e) std::fprintf(stderr, "playcard: %s has no recording %d to play\n", o.source.c_str(), o.entry);
  return e;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options o;
  if (!ParseOptions(argc, argv, &o)) return Usage();
  MessageCounter messages;
  IbpCtrlPtr engine(CIbpCtrl::Create());
  if (!engine) return 2;
  auto presenter = std::make_shared<ShowingPresenter>(engine->State().frameTime);
  const plat::OneWindowPresenter window(kVideoWindow, presenter);
  engine->SetNotifyWindow(kNotifyWindow, 0);
  engine->SetVideoWindow(kVideoWindow, 0);
  const bool stream = engine->SetSource(CString(o.source)) == kSourceTransportStream;
  IndexEntry* entry = stream ? nullptr : EntryToPlay(*engine, o);
  if (!stream && !entry) return 2;
  ChooseSoundDevice();
  engine->SetSpeed(o.speed);
  // Seeking before the play starts, the play shows nothing of what lies before.
  if (o.seek && entry) engine->Seek(entry->StartTime() + static_cast<std::int64_t>(*o.seek));
  if (engine->Play(entry, 0) != EngineStart::kStarted) {
    std::fprintf(stderr, "playcard: %s cannot be played%s%s\n", o.source.c_str(), stream ? ": " : "",
                 stream ? StreamFileProblem(o.source) : "");
    return 2;
  }
  WaitForEnd(*engine, messages, o, stream);
  engine->Close();

  Report r;
  r.chunkReads = std::uint64_t{engine->Source().ValidChunks()} + engine->Source().InvalidChunks();
  r.pictures = engine->Video(0)->PresentedPictures();
  r.keyPictures = engine->Video(0)->PresentedKeyPictures();
  r.width = engine->GetVideoWidth(0);
  r.height = engine->GetVideoHeight(0);
  r.shown = presenter->Result();
  r.sensorMessages = messages.sensor.load();
  r.videoSizeMessages = messages.videoSize.load();
  r.endMessages = messages.end.load();
  r.audioBytes = engine->Audio(0)->TakenBytes();
  if (o.json) {
    PrintJson(r);
  } else {
    PrintText(r);
  }
  return 0;
}
