// windowshot [--wm] [--steps FILE] [--then COMMAND]... [--again MS OUT2.png] [--close X Y]
//            [--do STEP]... PLAYER OUT.png [ARGUMENT...]
// On the X display of the environment (an Xvfb server) starts the player with the arguments,
// waits until its main window is mapped, writes the whole screen to OUT.png, prints the window's
// "WIDTH HEIGHT X Y" and ends the player. Exit code 0 when the window was caught, 2 when it did
// not appear in time.
//   --wm            a window manager (openbox) runs on the display first
//   --steps FILE    the steps of the file (tests/ui/shot/Steps.h) run once the window appeared;
//                   OUT.png is taken after them and their reports follow, one a line
//   --then COMMAND  a shell command (a click, a drag) run once the picture has settled, in turn,
//                   before the shot (without --steps the shot waits for a settled picture)
//   --again MS OUT2.png  the picture is not waited to settle (a playing video never does): the
//                   first shot is taken once it has kept changing, the second MS ms later
//   --close X Y     the pointer clicks the window's point X Y as a user closing it does, and the
//                   player's exit code follows on the line (-1 when it crashed or did not end)
//   --do STEP       run in order once the window appeared, in place of the shot: "click:X,Y"
//                   and "dclick:X,Y" click the window's point; "await:TEXT" prints 1 once a window
//                   whose name begins with TEXT shows (0 when none did in time); "playing" prints 1
//                   once the screen keeps changing; "signal:N" writes OUT.png, sends the player
//                   signal N and prints its exit code
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "tests/ui/shot/Steps.h"

namespace {

constexpr int kTimeoutMs = 60000;
constexpr int kPollMs = 400;
// The picture has settled when this many grabs in a row show the same.
constexpr int kSettledGrabs = 3;
// With --again, the picture plays once the screen has changed at this many grabs in a row.
constexpr int kMovingGrabs = 3;
// With --close, how long the player may take to end after the click.
constexpr int kCloseMs = 30000;

using shot::Geometry;

// The windows as the X server lists them, one a line with its name in quotes.
QString WindowTree() {
  QProcess info;
  info.start("xwininfo", {"-root", "-tree"});
  return info.waitForFinished(5000) ? QString::fromUtf8(info.readAllStandardOutput()) : QString();
}

// Whether a window of that name is mapped and can be seen: the X server lists windows that are not
// shown yet, and clicks on them would be lost.
bool Viewable(const QString& name) {
  QProcess search;
  search.start("xdotool", {"search", "--onlyvisible", "--name", "^" + QRegularExpression::escape(name) + "$"});
  return search.waitForFinished(5000) && !search.readAllStandardOutput().trimmed().isEmpty();
}

// The main window as the X server lists it (xwininfo), once it is shown with a real size: its size
// and its place on the screen (a window manager's frame holds it at 0, 0).
std::optional<Geometry> FindMainWindow() {
  if (!Viewable("Dravik2 Player")) return std::nullopt;
  static const QRegularExpression line(R"re("Dravik2 Player":.*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))re");
  const QRegularExpressionMatch m = line.match(WindowTree());
  if (!m.hasMatch()) return std::nullopt;
  const Geometry g{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
  if (g.width < 400 || g.height < 300) return std::nullopt;
  return g;
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

struct Options {
  bool windowManager = false;
  int againMs = 0;
  QString againPng;
  bool close = false;
  int closeX = 0, closeY = 0;
  QStringList then;
  QStringList steps;
  QString stepsFile;
};

QString Output(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(5000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The window manager runs once it has marked the root window as managed.
bool StartWindowManager(QProcess& wm) {
  wm.start("openbox", {});
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < kTimeoutMs && wm.state() != QProcess::NotRunning) {
    if (Output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id")) return true;
    QThread::msleep(kPollMs);
  }
  return false;
}

// Grabs until the picture settles; the window's geometry when it was found, else nothing.
std::optional<Geometry> ShootSettled(QProcess& player, QImage& last) {
  QElapsedTimer clock;
  clock.start();
  int same = 0;
  std::optional<Geometry> found;
  while (same < kSettledGrabs && clock.elapsed() < kTimeoutMs && player.state() != QProcess::NotRunning) {
    QThread::msleep(kPollMs);
    found = FindMainWindow();
    if (!found) continue;
    const QImage shot = GrabScreen();
    same = shot == last ? same + 1 : 1;
    last = shot;
  }
  return same < kSettledGrabs ? std::nullopt : found;
}

// Runs each command once the picture has settled after the one before.
std::optional<Geometry> ShootAfterCommands(QProcess& player, QImage& last, const Options& options) {
  std::optional<Geometry> found = ShootSettled(player, last);
  for (const QString& command : options.then) {
    if (!found) break;
    QProcess::execute("sh", {"-c", command});
    found = ShootSettled(player, last);
  }
  return found;
}

std::optional<Geometry> AwaitMainWindow(QProcess& player) {
  QElapsedTimer clock;
  clock.start();
  std::optional<Geometry> found;
  while (!found && clock.elapsed() < kTimeoutMs && player.state() != QProcess::NotRunning) {
    QThread::msleep(kPollMs);
    found = FindMainWindow();
  }
  return found;
}

bool AwaitWindowNamed(const QString& prefix) {
  QElapsedTimer clock;
  clock.start();
  while (!WindowTree().contains("\"" + prefix) && clock.elapsed() < kTimeoutMs) QThread::msleep(kPollMs);
  return WindowTree().contains("\"" + prefix);
}

// True once the screen has changed at every grab for a while: a picture plays. `last` is the last grab.
bool AwaitMovingScreen(QImage& last) {
  QElapsedTimer clock;
  clock.start();
  last = GrabScreen();
  for (int moving = 0; moving < kMovingGrabs;) {
    if (clock.elapsed() > kTimeoutMs) return false;
    QThread::msleep(kPollMs);
    const QImage now = GrabScreen();
    moving = now == last ? 0 : moving + 1;
    last = now;
  }
  return true;
}

// Waits for the window and for its picture to play, and takes two shots `againMs` apart.
std::optional<Geometry> ShootTwice(QProcess& player, QImage& first, const Options& options) {
  const std::optional<Geometry> found = AwaitMainWindow(player);
  if (!found) return std::nullopt;
  AwaitMovingScreen(first);
  QThread::msleep(static_cast<unsigned long>(options.againMs));
  if (!GrabScreen().save(options.againPng)) return std::nullopt;
  return found;
}

// Clicks the screen point with the left button as the X server's own pointer.
void Click(int x, int y, int times) {
  QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)});
  QThread::msleep(kPollMs);
  QProcess::execute("xdotool", {"click", "--repeat", QString::number(times), "1"});
}

// The player's exit code once it has ended, -1 when it crashed or is still running (it is then
// killed).
int AwaitEnd(QProcess& player) {
  if (player.waitForFinished(kCloseMs) && player.exitStatus() == QProcess::NormalExit) return player.exitCode();
  player.kill();
  player.waitForFinished(5000);
  return -1;
}

void RunSteps(QProcess& player, const Geometry& window, const QStringList& steps, const QString& png) {
  for (const QString& step : steps) {
    const QString kind = step.section(':', 0, 0);
    const QString argument = step.section(':', 1);
    if (kind == "click" || kind == "dclick") {
      Click(window.x + argument.section(',', 0, 0).toInt(), window.y + argument.section(',', 1).toInt(),
            kind == "click" ? 1 : 2);
    } else if (kind == "await") {
      std::printf(" %d", AwaitWindowNamed(argument) ? 1 : 0);
    } else if (kind == "playing") {
      QImage shot;
      std::printf(" %d", AwaitMovingScreen(shot) ? 1 : 0);
    } else if (kind == "signal") {
      GrabScreen().save(png);
      ::kill(static_cast<pid_t>(player.processId()), argument.toInt());
      std::printf(" %d", AwaitEnd(player));
    }
  }
}

// The options before the player's path; the index of that path, 0 when an option is incomplete.
int ReadOptions(int argc, char** argv, Options& options) {
  int at = 1;
  while (at < argc) {
    const QString option = QString::fromLocal8Bit(argv[at]);
    if (option == "--wm") {
      options.windowManager = true;
      at += 1;
    } else if (option == "--again" && at + 2 < argc) {
      options.againMs = std::atoi(argv[at + 1]);
      options.againPng = QString::fromLocal8Bit(argv[at + 2]);
      at += 3;
    } else if (option == "--then" && at + 1 < argc) {
      options.then << QString::fromLocal8Bit(argv[at + 1]);
      at += 2;
    } else if (option == "--steps" && at + 1 < argc) {
      options.stepsFile = QString::fromLocal8Bit(argv[at + 1]);
      at += 2;
    } else if (option == "--do" && at + 1 < argc) {
      options.steps << QString::fromLocal8Bit(argv[at + 1]);
      at += 2;
    } else if (option == "--close" && at + 2 < argc) {
      options.close = true;
      options.closeX = std::atoi(argv[at + 1]);
      options.closeY = std::atoi(argv[at + 2]);
      at += 3;
    } else if (option.startsWith("--")) {
      return 0;
    } else {
      break;
    }
  }
  return at;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  Options options;
  const int at = ReadOptions(argc, argv, options);
  if (at == 0 || argc < at + 2) {
    std::fprintf(stderr, "usage: windowshot [--wm] [--steps FILE] [--then COMMAND]... [--again MS OUT2.png] "
                         "[--close X Y] [--do STEP]... PLAYER OUT.png [ARGUMENT...]\n");
    return 2;
  }
  QProcess wm;
  if (options.windowManager && !StartWindowManager(wm)) return 2;
  QStringList arguments;
  for (int i = at + 2; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QProcess player;
  player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  player.start(QString::fromLocal8Bit(argv[at]), arguments);
  const QString png = QString::fromLocal8Bit(argv[at + 1]);
  QImage shot;
  std::optional<Geometry> found;
  QStringList reports;
  if (!options.stepsFile.isEmpty()) {
    found = AwaitMainWindow(player);
    if (found) reports = shot::RunSteps(options.stepsFile, *found);
    if (found && !GrabScreen().save(png)) found.reset();
  } else if (!options.steps.isEmpty()) {
    found = AwaitMainWindow(player);
  } else {
    found = options.againPng.isEmpty() ? ShootAfterCommands(player, shot, options) : ShootTwice(player, shot, options);
    if (found && !shot.save(png)) found.reset();
  }
  if (!found) {
    player.kill();
    player.waitForFinished(5000);
    return 2;
  }
  std::printf("%d %d %d %d", found->width, found->height, found->x, found->y);
  if (options.close) {
    Click(found->x + options.closeX, found->y + options.closeY, 1);
    std::printf(" %d", AwaitEnd(player));
  }
  RunSteps(player, *found, options.steps, png);
  if (player.state() != QProcess::NotRunning) {
    player.kill();
    player.waitForFinished(5000);
  }
  std::printf("\n");
  for (const QString& report : reports) std::printf("%s\n", report.toUtf8().constData());
  wm.kill();
  wm.waitForFinished(5000);
  return 0;
}
