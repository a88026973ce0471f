// A soak of the whole program: its windows, on the real engine, the machine's clock and Qt's own
// event loop, play a generated card of 20 recordings of 30 s at 1280x720 while a driver clicks
// through them as a user does: speeds from 1/16 to 16, backward, frame steps, seeks, next and
// previous file, and the card taken out and put back. The process's memory is sampled every 10 s;
// the run fails (exit status 1) when it grows by more than 2 % after the first minute. Its first 20 s of playing at 1x are set
// against ffmpeg decoding the same H.264 at its own rate to 32-bit pictures (goal: at most 1.3
// times ffmpeg's CPU).
//
//   bench_SoakBench [--minutes N] [--steady] [Google Benchmark flags]   (10 minutes by default)
//
// With --steady nobody clicks: the card plays at 1x from its first recording on, through them all.
#include <malloc.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/IIbpCtrl.h"
#include "platform/Memory.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/Window.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestStream.h"
#include "tests/support/FakeDriveTable.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr int kRecordings = 20;
constexpr double kRecordingSeconds = 30.0;
constexpr unsigned kCardDrive = 60;
constexpr int kSampleSeconds = 10;
constexpr int kWarmUpMs = 3000;
constexpr int kOneXSeconds = 20;
constexpr double kMostGrowthPct = 2.0;
int g_minutes = 10;
bool g_steady = false;  // --steady: no driver, the card plays through at 1x
bool g_grew = false;  // the memory grew beyond kMostGrowthPct

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A field of /proc/self/status in MB: "VmRSS" (now) or "VmHWM" (the peak).
double StatusMb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1) / 1024.0;
  }
  return 0;
}

// The program's own event loop for that long: its timers, posted messages and paints.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void Click(CWnd* control, CPoint at = {5, 5}) {
  plat::test::Mouse(control, WM_LBUTTONDOWN, at);
  plat::test::Mouse(control, WM_LBUTTONUP, at);
}

fixtures::StoreDescription SoakCard() {
  fixtures::StoreDescription card = fixtures::Recordings(fixtures::StoreKind::kCard, kRecordings, kRecordingSeconds);
  card.capacity = 2 * kRecordings;
  for (fixtures::RecordingDescription& r : card.recordings) r.video = {1280, 720, 30, 30, 30};
  return card;
}

// CPU cores that ffmpeg takes while it decodes the stream at its frame rate to 32-bit pictures.
double FfmpegCores(const std::string& h264) {
  const std::string command = "ffmpeg -nostdin -v error -re -framerate 30 -i '" + h264 + "' -pix_fmt bgra -f null -";
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  const double start = WallSeconds();
  if (std::system(command.c_str()) != 0) return 0;
  return (CpuSeconds(RUSAGE_CHILDREN) - cpu) / (WallSeconds() - start);
}

// A user at the window: each step one of the things a user does while watching a card.
class Driver {
 public:
  Driver(CMainDlg& dlg, plat::test::FakeDriveTable& drives) : dlg_(dlg), drives_(drives) {}

  void InsertCard() { drives_.Arrive({'E', "/media/driver/E/", "/dev/sdz60", kCardDrive, true}); }

  void Step(std::mt19937& choices) {
    const int choice = std::uniform_int_distribution<int>(0, 11)(choices);
    switch (choice) {
      case 0: case 1: case 2: ChangeSpeed(std::uniform_int_distribution<int>(-4, 4)(choices)); break;
      case 3: Press(mainid::kBackward); break;
      case 4: StepFrames(std::uniform_int_distribution<int>(1, 8)(choices), choices() % 2 == 0); break;
      case 5: case 6: Seek(std::uniform_real_distribution<double>(0.02, 0.98)(choices)); break;
      case 7: Press(mainid::kNextFile); break;
      case 8: Press(mainid::kPrevFile); break;
      case 9: case 10: Press(mainid::kPlay); break;
      default: ReinsertCard(); break;
    }
    ++done_[static_cast<size_t>(choice)];
  }

  // What is playing, for the samples' lines.
  std::string Status() const {
    char text[64];
    std::snprintf(text, sizeof text, "recording %2d at %g", dlg_.FindCurrentRecord(), dlg_.GetEngine()->GetSpeed());
    return text;
  }
  // How often each kind of step was taken.
  std::string Summary() const {
    const auto sum = [&](std::initializer_list<size_t> kinds) {
      int n = 0;
      for (size_t k : kinds) n += done_[k];
      return std::to_string(n);
    };
    return "speed changes " + sum({0, 1, 2}) + ", backward " + sum({3}) + ", frame steps " + sum({4}) + ", seeks " +
           sum({5, 6}) + ", next file " + sum({7}) + ", previous file " + sum({8}) + ", play " + sum({9, 10}) +
           ", card reinserted " + sum({11});
  }

 private:
  void Press(int id) { Click(dlg_.GetDlgItem(id)); }
  void ChangeSpeed(int steps) {
    for (int i = 0; i < std::abs(steps); ++i) Press(steps > 0 ? mainid::kFaster : mainid::kSlower);
  }
  void StepFrames(int count, bool forward) {
    Press(mainid::kPause);
    for (int i = 0; i < count; ++i) {
      Press(forward ? mainid::kNextFrame : mainid::kPrevFrame);
      RunFor(150);
    }
    Press(mainid::kPause);
  }
  void Seek(double share) {
    CWnd& slider = dlg_.GetPositionSlider();
    CRect client;
    slider.GetClientRect(&client);
    Click(&slider, {static_cast<int>(client.Width() * share), client.Height() / 2});
  }
  void ReinsertCard() {
    drives_.Remove('E');
    RunFor(500);
    InsertCard();
  }

  CMainDlg& dlg_;
  plat::test::FakeDriveTable& drives_;
  std::array<int, 12> done_{};
};

// The resident memory every 10 s of the soak, in MB, taken by a timer of the program's loop.
class MemorySeries {
 public:
  explicit MemorySeries(const Driver& driver) {
    QObject::connect(&timer_, &QTimer::timeout, [this, &driver] {
      samples_.push_back(StatusMb("VmRSS"));
      const struct mallinfo2 heap = mallinfo2();
      std::printf("%4zu s  rss %.1f MB (anonymous %.1f, files %.1f; heap in use %.1f of %.1f)  %s\n",
                  samples_.size() * kSampleSeconds, samples_.back(), StatusMb("RssAnon"), StatusMb("RssFile"),
                  static_cast<double>(heap.uordblks + heap.hblkhd) / 1048576.0,
                  static_cast<double>(heap.arena + heap.hblkhd) / 1048576.0, driver.Status().c_str());
      std::fflush(stdout);
    });
    timer_.start(kSampleSeconds * 1000);
  }
  double AtFirstMinute() const { return samples_.size() >= kFirstMinute ? samples_[kFirstMinute - 1] : 0; }
  double MostAfterFirstMinute() const {
    double most = 0;
    for (size_t i = kFirstMinute; i < samples_.size(); ++i) most = std::max(most, samples_[i]);
    return most;
  }

 private:
  static constexpr size_t kFirstMinute = 60 / kSampleSeconds;
  QTimer timer_;
  std::vector<double> samples_;
};

// The card plays for the soak's time while the driver acts every 1 to 4 s; the first 20 s after
// a warm-up play the first recording at 1x untouched. Returns the cores used then.
double Soak(Driver& driver) {
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak is the soak's, not the card building's
  std::mt19937 choices(20240301);
  const double start = WallSeconds();
  driver.InsertCard();
  RunFor(kWarmUpMs);
  const double cpu = CpuSeconds(RUSAGE_SELF);
  RunFor(kOneXSeconds * 1000);
  const double oneX = (CpuSeconds(RUSAGE_SELF) - cpu) / kOneXSeconds;
  while (WallSeconds() - start < g_minutes * 60.0) {
    if (!g_steady) driver.Step(choices);
    RunFor(std::uniform_int_distribution<int>(1000, 4000)(choices));
  }
  return oneX;
}

void BM_Soak(benchmark::State& state) {
  setenv("TZ", "UTC", 1);
  const fixtures::ScratchDir dir("bench-soak");
  std::string error;
  const auto card = fixtures::BuildStore(SoakCard(), dir.File("card.img"), &error);
  const std::string h264 = dir.File("same.h264");
  if (!card || !fixtures::WriteStreamFile(h264, fixtures::RecordingUnits(*card, 0))) {
    state.SkipWithError(("cannot build the card: " + error).c_str());
    return;
  }
  setenv(("PLAYER_DRIVE_" + std::to_string(kCardDrive)).c_str(), card->path.c_str(), 1);
  g_appConfig.SetAppFolder(CString(dir.Path()));
  plat::SetTickClock(&plat::SystemClock());
  plat::SetManualTime(false);
  plat::WindowPresenters presenters;
  plat::test::FakeWebBrowsers browsers;
  plat::test::FakeDriveTable drives;
  double oneX = 0;
  double first = 0, most = 0;
  for (auto _ : state) {
    CMainDlg dlg;
    dlg.Create(CMainDlg::kTemplate, nullptr);
    dlg.ShowWindow(SW_SHOW);
    Driver driver(dlg, drives);
    const MemorySeries memory(driver);
    oneX = Soak(driver);
    std::printf("%s\n", driver.Summary().c_str());
    first = memory.AtFirstMinute();
    most = memory.MostAfterFirstMinute();
    dlg.DestroyWindow();
  }
  const double ffmpeg = FfmpegCores(h264);
  std::printf("1x: %.3f cores, ffmpeg %.3f cores, ratio %.2f\n", oneX, ffmpeg, ffmpeg > 0 ? oneX / ffmpeg : 0);
  state.counters["rss_1min_MB"] = first;
  state.counters["rss_max_after_MB"] = most;
  state.counters["rss_peak_MB"] = StatusMb("VmHWM");
  const double growth = first > 0 && most > 0 ? 100.0 * (most - first) / first : 0;
  state.counters["growth_pct"] = growth;
  if (growth > kMostGrowthPct) {
    g_grew = true;
    std::printf("the memory grew by %.2f %% after the first minute, more than %.0f %%\n", growth, kMostGrowthPct);
  }
  state.counters["cpu_1x"] = oneX;
  state.counters["ffmpeg_cpu_1x"] = ffmpeg;
  state.counters["vs_ffmpeg"] = ffmpeg > 0 ? oneX / ffmpeg : 0;
}
BENCHMARK(BM_Soak)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Takes "--minutes N" and "--steady" out of the arguments.
void ReadOptions(int& argc, char** argv) {
  for (int i = 1; i < argc;) {
    int taken = 0;
    if (std::strcmp(argv[i], "--steady") == 0) {
      g_steady = true;
      taken = 1;
    } else if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) {
      g_minutes = std::max(1, std::atoi(argv[i + 1]));
      taken = 2;
    }
    if (taken == 0) {
      ++i;
      continue;
    }
    for (int j = i; j + taken <= argc; ++j) argv[j] = argv[j + taken];
    argc -= taken;
  }
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepLargeBlocksMapped();  // as the program starts
  ReadOptions(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication application(argc, argv);
  plat::test::Init();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return g_grew ? 1 : 0;
}
