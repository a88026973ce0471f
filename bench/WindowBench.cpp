// The real program under Xvfb, showing generated recordings of 1280x720 and 1920x1080 at 30
// pictures a second in its largest UI mode, against mpv (`--vo=x11 --hwdec=no`, a window of the
// channel window's size and place) and `ffmpeg -re` decoding the same stream to 32-bit pictures.
// Each repetition runs every contender once per size, one after another, so that a machine
// busier at one moment burdens all of them alike; the tables give medians.
//
// Measured: CPU cores of each contender with all its processes (and, apart, of the X server drawing
// for it) at 1x, 16x, backward 1x and (the player alone) 1x with the map page shown; distinct
// pictures shown per second, told apart by the number each generated picture carries along its top
// edge, read off the screen whenever the X server reports a paint over the video area, and set
// against the pictures per second the recording holds at that speed; the time from start to the
// first picture on the screen; and the peak of the resident memory summed over the processes, per
// speed, each contender's against the others' at the same speed.
//
//   bench_WindowBench [--repeats N] [--seconds S] [--sizes 720,1080] [--player PROGRAM]
//
// --player measures another build of the program (to set a change against what came before).
// Needs Xvfb, xdotool, mpv and ffmpeg (tools/install-deps.sh installs them).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "layout/MainLayout.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestVideo.h"
#include "ui/MainDlgIds.h"

extern char** environ;

namespace {

constexpr int kMode = 0;  // the largest UI mode: its window covers the 1920x1080 screen
// A recording holds at most 2048 chunks, some 25 s of 1920x1080: the player goes on from one
// recording to the next, and the stream of the others is the recordings one after another.
constexpr int kRecordings = 6;
constexpr double kRecordingSeconds = 20.0;
constexpr double kWarmUpSeconds = 3.0;
constexpr double kSpeedChangeSeconds = 1.5;
constexpr double kFastSeconds = 4.0;  // 16x runs through a minute of recording in this time
constexpr int kFasterClicks = 4;      // 1x to 16x
constexpr double kStartDeadlineSeconds = 30.0;
constexpr double kIdleSettleSeconds = 6.0;
constexpr double kMapStartSeconds = 5.0;  // the web engine starts and loads the page
constexpr int kRecordingRate = 30;
// From 16x on the player decodes only every (speed / 4)-th key picture, one a second: 4 pictures a
// second at 16x; mpv decodes every picture and shows what the screen takes of them.
constexpr double kPlayerPicturesAt16x = 4.0;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }
void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

const ui::LayoutRect& VideoArea() { return ui::AreaRect(ui::Area::kVideo, kMode); }

// ---- Processes -------------------------------------------------------------------------------

struct ProcStat {
  int ppid = 0;
  double cpuSeconds = 0;
  double rssMiB = 0;
};

std::optional<ProcStat> ReadProc(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) return std::nullopt;
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(text.substr(close + 2));
  std::vector<std::string> f;
  for (std::string s; fields >> s;) f.push_back(s);
  if (f.size() < 22) return std::nullopt;
  static const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
  static const double pageMiB = static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
  ProcStat p;
  p.ppid = std::atoi(f[1].c_str());
  p.cpuSeconds = (std::atof(f[11].c_str()) + std::atof(f[12].c_str())) / tick;
  p.rssMiB = std::atof(f[21].c_str()) * pageMiB;
  return p;
}

// The process and all its descendants as they are now.
std::map<int, ProcStat> Tree(int root) {
  std::map<int, ProcStat> all;
  if (DIR* dir = opendir("/proc")) {
    while (dirent* e = readdir(dir)) {
      const int pid = std::atoi(e->d_name);
      if (pid <= 0) continue;
      if (auto p = ReadProc(pid)) all[pid] = *p;
    }
    closedir(dir);
  }
  std::map<int, ProcStat> tree;
  for (const auto& [pid, p] : all) {
    for (int up = pid; up > 1;) {
      if (up == root) {
        tree[pid] = p;
        break;
      }
      const auto it = all.find(up);
      if (it == all.end()) break;
      up = it->second.ppid;
    }
  }
  return tree;
}

// CPU seconds of a process tree, counted per process so that one that ends is not lost from a
// window it started in.
class TreeCpu {
 public:
  explicit TreeCpu(int root) : root_(root) {}
  void Sample() {
    for (const auto& [pid, p] : Tree(root_)) last_[pid] = p.cpuSeconds;
  }
  double Total() const {
    double sum = 0;
    for (const auto& [pid, cpu] : last_) sum += cpu;
    return sum;
  }

 private:
  int root_;
  std::map<int, double> last_;
};

double TreeRssMiB(int root) {
  double sum = 0;
  for (const auto& [pid, p] : Tree(root)) sum += p.rssMiB;
  return sum;
}

// Starts a program in a process group of its own with extra environment; -1 when it cannot start.
int Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) envText.emplace_back(*e);
  envText.insert(envText.end(), env.begin(), env.end());
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &files, &attr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  return pid;
}

// Ends the process group: asked first, then forced.
void EndGroup(int pid) {
  kill(-pid, SIGTERM);
  for (int i = 0; i < 40; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) break;
    SleepSeconds(0.05);
  }
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

bool RunQuiet(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// ---- The X server ----------------------------------------------------------------------------

class XServer {
 public:
  bool Start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"},
                 {});
    close(fds[1]);
    char number[16] = {};
    const ssize_t n = pid_ > 0 ? read(fds[0], number, sizeof number - 1) : -1;
    close(fds[0]);
    if (n <= 0) return false;
    display_ = ":" + std::string(number, static_cast<std::size_t>(n - (number[n - 1] == '\n' ? 1 : 0)));
    setenv("DISPLAY", display_.c_str(), 1);
    return true;
  }
  ~XServer() {
    if (pid_ > 0) EndGroup(pid_);
  }
  int Pid() const { return pid_; }

 private:
  int pid_ = -1;
  std::string display_;
};

// Counts the X server's damage reports over the video area and the distinct pictures they show
// (the number along the top edge of each generated picture, read off the screen), and notes when
// the area first shows something other than black.
class PaintWatch {
 public:
  bool Open() {
    display_ = XOpenDisplay(nullptr);
    int error = 0;
    if (!display_ || !XDamageQueryExtension(display_, &eventBase_, &error)) return false;
    XDamageCreate(display_, DefaultRootWindow(display_), XDamageReportRawRectangles);
    XFlush(display_);
    thread_ = std::thread([this] { Run(); });
    return true;
  }
  ~PaintWatch() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (display_) XCloseDisplay(display_);
  }
  // Starts over: no paint counted, no picture seen.
  void Reset() {
    paints_ = 0;
    distinct_ = 0;
    lastNumber_ = -1;
    firstPicture_ = false;
  }
  long Paints() const { return paints_.load(); }
  long DistinctPictures() const { return distinct_.load(); }
  bool FirstPictureShown() const { return firstPicture_.load(); }

 private:
  void Run() {
    const ui::LayoutRect& v = VideoArea();
    const long quarter = static_cast<long>(v.Width()) * v.Height() / 4;
    while (!stop_) {
      bool painted = false;
      while (XPending(display_) > 0) {
        XEvent e;
        XNextEvent(display_, &e);
        if (e.type != eventBase_ + XDamageNotify) continue;
        const XRectangle& r = reinterpret_cast<XDamageNotifyEvent&>(e).area;
        const int w = std::min<int>(r.x + r.width, v.right) - std::max<int>(r.x, v.left);
        const int h = std::min<int>(r.y + r.height, v.bottom) - std::max<int>(r.y, v.top);
        if (w <= 0 || h <= 0 || static_cast<long>(w) * h < quarter) continue;
        ++paints_;
        painted = true;
        if (!firstPicture_ && ShowsPicture()) firstPicture_ = true;
      }
      // One reading after all the reports at hand: what is on the screen now.
      if (painted) NotePicture(ReadNumber());
      SleepSeconds(0.002);
    }
  }

  void NotePicture(int number) {
    if (number < 0 || number == lastNumber_.load()) return;
    lastNumber_ = number;
    ++distinct_;
  }

  // The number of the picture shown, from the row that crosses its cells; -1 when unreadable.
  int ReadNumber() {
    const ui::LayoutRect& v = VideoArea();
    const int row = v.top + v.Height() / 32;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), v.left, row, static_cast<unsigned>(v.Width()), 1,
                              AllPlanes, ZPixmap);
    if (!image) return -1;
    const int number = fixtures::ReadPictureNumber(v.Width(), v.Height(), [&](int x, int) {
      const unsigned long p = XGetPixel(image, x, 0);
      return static_cast<int>((((p >> 16) & 0xFF) * 77 + ((p >> 8) & 0xFF) * 150 + (p & 0xFF) * 29) >> 8);
    });
    XDestroyImage(image);
    return number;
  }

  // A block near the video area's top left corner holds a pixel that is not dark.
  bool ShowsPicture() {
    const ui::LayoutRect& v = VideoArea();
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), v.left + 60, v.top + 60, 32, 32, AllPlanes, ZPixmap);
    if (!image) return false;
    bool lit = false;
    for (int y = 0; y < 32 && !lit; ++y) {
      for (int x = 0; x < 32 && !lit; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        lit = ((p >> 16) & 0xFF) > 0x30 || ((p >> 8) & 0xFF) > 0x30 || (p & 0xFF) > 0x30;
      }
    }
    XDestroyImage(image);
    return lit;
  }

  Display* display_ = nullptr;
  int eventBase_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<long> paints_{0};
  std::atomic<long> distinct_{0};
  std::atomic<int> lastNumber_{-1};
  std::atomic<bool> firstPicture_{false};
};

// ---- Measuring ----------------------------------------------------------------------------------

enum class Phase { k1x, k16x, kBack1x, kMap1x };
const char* PhaseName(Phase p) {
  switch (p) {
    case Phase::k1x: return "1x";
    case Phase::k16x: return "16x";
    case Phase::kBack1x: return "backward 1x";
    case Phase::kMap1x: return "1x, map shown";
  }
  return "";
}

// The pictures a second the recording holds at a phase's speed.
double RecordingPictures(Phase p) { return p == Phase::k16x ? 16.0 * kRecordingRate : kRecordingRate; }

struct Figures {
  double cores = 0;
  double xCores = 0;
  double paintsPerSecond = -1;    // -1: paints nothing
  double picturesPerSecond = -1;  // distinct pictures; -1: paints nothing
  double peakMiB = 0;             // while this speed was measured
};

struct Run {
  std::map<Phase, Figures> phases;
  double firstPictureSeconds = -1;
};

// Measures a running program for a while: its CPU, the X server's, and the paints.
class Meter {
 public:
  Meter(int pid, int xPid, PaintWatch& paints) : cpu_(pid), xCpu_(xPid), pid_(pid), paints_(paints) {}

  Figures Measure(double seconds, bool paints) {
    cpu_.Sample();
    xCpu_.Sample();
    const double cpu0 = cpu_.Total(), x0 = xCpu_.Total();
    const long paints0 = paints_.Paints(), pictures0 = paints_.DistinctPictures();
    const auto start = Clock::now();
    Figures f;
    while (Since(start) < seconds) {
      SleepSeconds(0.25);
      f.peakMiB = std::max(f.peakMiB, TreeRssMiB(pid_));
      cpu_.Sample();
    }
    xCpu_.Sample();
    const double wall = Since(start);
    f.cores = (cpu_.Total() - cpu0) / wall;
    f.xCores = (xCpu_.Total() - x0) / wall;
    if (paints) {
      f.paintsPerSecond = static_cast<double>(paints_.Paints() - paints0) / wall;
      f.picturesPerSecond = static_cast<double>(paints_.DistinctPictures() - pictures0) / wall;
    }
    return f;
  }

 private:
  TreeCpu cpu_;
  TreeCpu xCpu_;
  int pid_;
  PaintWatch& paints_;
};

// Waits for the first picture; its time since the start, -1 when none came.
double WaitFirstPicture(const PaintWatch& paints, Clock::time_point start) {
  while (!paints.FirstPictureShown()) {
    if (Since(start) > kStartDeadlineSeconds) return -1;
    SleepSeconds(0.005);
  }
  return Since(start);
}

void Click(int id) {
  const ui::LayoutRect& r = ui::FindMainControl(id)->rect[kMode];
  RunQuiet("xdotool mousemove " + std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2) +
           " click 1");
}

struct Media {
  std::string backup;  // the recording in a backup, for the player
  std::string stream;  // the same pictures in a container, for mpv and ffmpeg
};

struct Context {
  int xPid = 0;
  PaintWatch* paints = nullptr;
  std::string appDir;      // plays the first recording at once
  std::string idleAppDir;  // opens the backup and plays nothing
  double seconds = 10;
  std::string player;  // the program measured
};

// The player plays the backup's first recording at 1x, is put to 16x, then to backward 1x.
Run RunPlayer(const Context& c, const Media& m) {
  Run run;
  c.paints->Reset();
  const auto start = Clock::now();
  const int pid = Spawn({c.player, "-f", m.backup}, {"PLAYER_APPDIR=" + c.appDir, "SDL_AUDIODRIVER=dummy"});
  if (pid <= 0) return run;
  run.firstPictureSeconds = WaitFirstPicture(*c.paints, start);
  if (run.firstPictureSeconds >= 0) {
    Meter meter(pid, c.xPid, *c.paints);
    SleepSeconds(kWarmUpSeconds);
    run.phases[Phase::k1x] = meter.Measure(c.seconds, true);
    for (int i = 0; i < kFasterClicks; ++i) Click(mainid::kFaster);
    SleepSeconds(kSpeedChangeSeconds);
    run.phases[Phase::k16x] = meter.Measure(kFastSeconds, true);
    Click(mainid::kBackward);
    SleepSeconds(kSpeedChangeSeconds);
    run.phases[Phase::kBack1x] = meter.Measure(c.seconds, true);
  }
  EndGroup(pid);
  return run;
}

// The player plays the backup's first recording at 1x with the map page shown over the picture's
// corner, as a user who follows the track does. The page is told each fix; the web engine's
// processes count with the player's. Without a network the page says it cannot reach the map
// service and still takes every update.
Run RunPlayerWithMap(const Context& c, const Media& m) {
  Run run;
  c.paints->Reset();
  const int pid = Spawn({c.player, "-f", m.backup}, {"PLAYER_APPDIR=" + c.appDir, "SDL_AUDIODRIVER=dummy"});
  if (pid <= 0) return run;
  if (WaitFirstPicture(*c.paints, Clock::now()) >= 0) {
    Meter meter(pid, c.xPid, *c.paints);
    // The record list's button, then the speed read-out's in its place: the map area again.
    Click(mainid::kSpeedView);
    SleepSeconds(kSpeedChangeSeconds);
    Click(mainid::kRecordView);
    SleepSeconds(kMapStartSeconds);
    run.phases[Phase::kMap1x] = meter.Measure(c.seconds, true);
  }
  EndGroup(pid);
  return run;
}

// The program with the backup open and nothing played, once it has settled: the peak of its
// memory with all its processes over a few seconds.
double RunIdle(const Context& c, const Media& m) {
  const int pid = Spawn({c.player, "-f", m.backup}, {"PLAYER_APPDIR=" + c.idleAppDir, "SDL_AUDIODRIVER=dummy"});
  if (pid <= 0) return -1;
  SleepSeconds(kIdleSettleSeconds);
  double peak = 0;
  for (int i = 0; i < 8; ++i, SleepSeconds(0.25)) peak = std::max(peak, TreeRssMiB(pid));
  EndGroup(pid);
  return peak;
}

std::string Geometry() {
  const ui::LayoutRect& v = VideoArea();
  return std::to_string(v.Width()) + "x" + std::to_string(v.Height()) + "+" + std::to_string(v.left) + "+" +
         std::to_string(v.top);
}

// mpv in a window of the channel window's size and place, software decoding and drawing.
Run RunMpv(const Context& c, const Media& m, Phase phase) {
  Run run;
  c.paints->Reset();
  std::vector<std::string> args{"mpv",          "--no-config",     "--vo=x11",      "--hwdec=no",
                                "--ao=null",    "--no-osc",        "--osd-level=0", "--no-border",
                                "--geometry=" + Geometry(), "--no-keepaspect-window", "--really-quiet"};
  if (phase == Phase::k16x) args.push_back("--speed=16");
  if (phase == Phase::kBack1x) args.insert(args.end(), {"--play-dir=backward", "--start=100%"});
  args.push_back(m.stream);
  const auto start = Clock::now();
  const int pid = Spawn(args, {});
  if (pid <= 0) return run;
  const double first = WaitFirstPicture(*c.paints, start);
  // The first picture of the play at 1x from the start is the one to set against the player's.
  if (phase == Phase::k1x) run.firstPictureSeconds = first;
  if (first >= 0) {
    Meter meter(pid, c.xPid, *c.paints);
    SleepSeconds(phase == Phase::k16x ? 0.5 : kWarmUpSeconds);
    run.phases[phase] = meter.Measure(phase == Phase::k16x ? kFastSeconds : c.seconds, true);
  }
  EndGroup(pid);
  return run;
}

// ffmpeg reading at the stream's rate (16 times it for 16x), decoding to 32-bit pictures.
Run RunFfmpeg(const Context& c, const Media& m, Phase phase) {
  Run run;
  const std::string rate = phase == Phase::k16x ? "16" : "1";
  const int pid = Spawn({"ffmpeg", "-nostdin", "-v", "error", "-readrate", rate, "-i", m.stream, "-pix_fmt", "bgra", "-f",
                         "null", "-"},
                        {});
  if (pid <= 0) return run;
  Meter meter(pid, c.xPid, *c.paints);
  SleepSeconds(phase == Phase::k16x ? 0.5 : kWarmUpSeconds);
  run.phases[phase] = meter.Measure(phase == Phase::k16x ? kFastSeconds : c.seconds, false);
  EndGroup(pid);
  return run;
}

// ---- Media and settings ---------------------------------------------------------------------------

std::optional<Media> MakeMedia(const fixtures::ScratchDir& dir, int width, int height) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, kRecordings, kRecordingSeconds);
  // A recorder's GPS receiver gives one fix a second, which every chunk of that second carries:
  // the map page is told of each new one.
  for (fixtures::RecordingDescription& r : desc.recordings) {
    r.video = {width, height, 30, 30, 30};
    r.route.fixEverySecond = true;
  }
  const std::string name = std::to_string(height) + "p";
  Media m{dir.File(name + ".sd"), dir.File(name + ".mkv")};
  std::string error;
  const auto layout = fixtures::BuildStore(desc, m.backup, &error);
  std::vector<fixtures::AccessUnit> units;
  for (int i = 0; layout && i < kRecordings; ++i) {
    std::vector<fixtures::AccessUnit> more = fixtures::RecordingUnits(*layout, i);
    units.insert(units.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
  const std::string h264 = dir.File(name + ".h264");
  if (!layout || !fixtures::WriteStreamFile(h264, units)) {
    std::fprintf(stderr, "cannot build the %s recording: %s\n", name.c_str(), error.c_str());
    return std::nullopt;
  }
  if (!RunQuiet("ffmpeg -nostdin -y -framerate 30 -i '" + h264 + "' -c copy '" + m.stream + "'")) return std::nullopt;
  return m;
}

void WriteSettings(const std::string& appDir, bool play) {
  std::ofstream(appDir + "/Config.ini") << "[Config]\r\nUIMode=" << kMode << "\r\nAutoPlayFirstRecord=" << (play ? 1 : 0)
                                        << "\r\n";
}

// ---- Tables ---------------------------------------------------------------------------------------

double Median(std::vector<double> v) {
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x < 0; }), v.end());
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
  std::map<Phase, std::vector<double>> cores, xCores, paints, pictures, peak;
  std::vector<double> firstPicture, idle;
  void Add(const Run& r) {
    for (const auto& [phase, f] : r.phases) {
      cores[phase].push_back(f.cores);
      xCores[phase].push_back(f.xCores);
      paints[phase].push_back(f.paintsPerSecond);
      pictures[phase].push_back(f.picturesPerSecond);
      if (f.peakMiB > 0) peak[phase].push_back(f.peakMiB);
    }
    if (r.firstPictureSeconds >= 0) firstPicture.push_back(r.firstPictureSeconds);
  }
};

std::string Number(double v, const char* format = "%.2f") {
  if (v < 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

std::string Ratio(double a, double b) { return a >= 0 && b > 0 ? Number(a / b) + "x" : "-"; }

// What a contender decodes of the recording at a speed, beside its pictures a second.
std::string DecodeRule(Phase phase, const std::string& who) {
  if (phase != Phase::k16x) return "every picture";
  if (who == "player") return "every 4th key picture (" + Number(kPlayerPicturesAt16x, "%.0f") + "/s)";
  if (who == "mpv") return "every picture, shown as the screen takes them";
  return "every picture, none shown";
}

void PrintTable(const std::string& size, std::map<std::string, Series>& s, int repeats) {
  std::printf("\n%s, %d pictures/s, medians of %d runs\n", size.c_str(), kRecordingRate, repeats);
  std::printf("| speed | contender | cores | X server cores | vs mpv | vs ffmpeg -re | paints/s | distinct pictures/s "
              "| of the recording's | decodes | peak memory MiB | vs mpv |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (Phase phase : {Phase::k1x, Phase::k16x, Phase::kBack1x, Phase::kMap1x}) {
    const double mpv = Median(s["mpv"].cores[phase]);
    const double ffmpeg = Median(s["ffmpeg -re"].cores[phase]);
    const double mpvPeak = Median(s["mpv"].peak[phase]);
    for (const char* who : {"player", "mpv", "ffmpeg -re"}) {
      Series& x = s[who];
      if (x.cores[phase].empty()) continue;
      const double cores = Median(x.cores[phase]);
      const double pictures = Median(x.pictures[phase]);
      const double peak = Median(x.peak[phase]);
      std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", PhaseName(phase), who,
                  Number(cores, "%.3f").c_str(), Number(Median(x.xCores[phase]), "%.3f").c_str(),
                  Ratio(cores, mpv).c_str(), Ratio(cores, ffmpeg).c_str(), Number(Median(x.paints[phase]), "%.1f").c_str(),
                  Number(pictures, "%.1f").c_str(), Ratio(pictures, RecordingPictures(phase)).c_str(),
                  DecodeRule(phase, who).c_str(), Number(peak, "%.0f").c_str(), Ratio(peak, mpvPeak).c_str());
    }
  }
  const double mpvFirst = Median(s["mpv"].firstPicture);
  std::printf("player: first picture %s s (%s of mpv's)\n", Number(Median(s["player"].firstPicture), "%.3f").c_str(),
              Ratio(Median(s["player"].firstPicture), mpvFirst).c_str());
  const double playerForward = Median(s["player"].peak[Phase::k1x]);
  std::printf("player: peak memory backward %s of forward\n",
              Ratio(Median(s["player"].peak[Phase::kBack1x]), playerForward).c_str());
  std::printf("player: with the map page shown %s of the cores at 1x, peak memory %s of 1x's\n",
              Ratio(Median(s["player"].cores[Phase::kMap1x]), Median(s["player"].cores[Phase::k1x])).c_str(),
              Ratio(Median(s["player"].peak[Phase::kMap1x]), playerForward).c_str());
  std::printf("player idle (backup open, nothing played): memory %s MiB (%s of its own peak at 1x)\n",
              Number(Median(s["player"].idle), "%.0f").c_str(), Ratio(Median(s["player"].idle), playerForward).c_str());
}

struct Options {
  int repeats = 3;
  double seconds = 10;
  std::vector<int> heights{720, 1080};
  std::string player = PLAYER_PROGRAM;
};

Options ReadOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i], value = argv[i + 1];
    if (flag == "--repeats") o.repeats = std::max(1, std::atoi(value.c_str()));
    if (flag == "--seconds") o.seconds = std::max(2.0, std::atof(value.c_str()));
    if (flag == "--player") o.player = value;
    if (flag == "--sizes") {
      o.heights.clear();
      std::istringstream list(value);
      for (std::string h; std::getline(list, h, ',');) o.heights.push_back(std::atoi(h.c_str()));
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ReadOptions(argc, argv);
  setenv("TZ", "UTC", 1);
  for (const char* tool : {"Xvfb", "xdotool", "mpv", "ffmpeg"}) {
    if (!RunQuiet(std::string("command -v ") + tool)) {
      std::fprintf(stderr, "%s is missing: run tools/install-deps.sh\n", tool);
      return 2;
    }
  }
  const fixtures::ScratchDir dir("bench-window");
  std::map<int, Media> media;
  for (int h : options.heights) {
    const auto m = MakeMedia(dir, h == 1080 ? 1920 : 1280, h == 1080 ? 1080 : 720);
    if (!m) return 2;
    media[h] = *m;
  }
  const std::string idleDir = dir.File("idle");
  if (!RunQuiet("mkdir -p '" + idleDir + "'")) return 2;
  WriteSettings(dir.Path(), true);
  WriteSettings(idleDir, false);
  XServer x;
  PaintWatch paints;
  if (!x.Start() || !paints.Open()) {
    std::fprintf(stderr, "Xvfb did not start, or has no damage extension\n");
    return 2;
  }
  const Context c{x.Pid(), &paints, dir.Path(), idleDir, options.seconds, options.player};
  std::map<int, std::map<std::string, Series>> series;
  for (int rep = 0; rep < options.repeats; ++rep) {
    for (int h : options.heights) {
      std::fprintf(stderr, "run %d of %d, %dp\n", rep + 1, options.repeats, h);
      auto& s = series[h];
      s["player"].Add(RunPlayer(c, media[h]));
      s["player"].Add(RunPlayerWithMap(c, media[h]));
      s["player"].idle.push_back(RunIdle(c, media[h]));
      for (Phase p : {Phase::k1x, Phase::k16x, Phase::kBack1x}) s["mpv"].Add(RunMpv(c, media[h], p));
      for (Phase p : {Phase::k1x, Phase::k16x}) s["ffmpeg -re"].Add(RunFfmpeg(c, media[h], p));
    }
  }
  for (int h : options.heights) PrintTable(std::to_string(h == 1080 ? 1920 : 1280) + "x" + std::to_string(h), series[h], options.repeats);
  return 0;
}
