// windowshot [--again MS OUT2.png] [--close X Y] [--steps FILE] PLAYER OUT.png [ARGUMENT...]: on
// the X display of the environment (an Xvfb server), starts the player with the arguments, waits
// until its main window is mapped and its picture has settled, writes the whole screen to OUT.png,
// prints the window's "WIDTH HEIGHT X Y" and ends the player. With --again the picture is not
// waited for (a playing video never settles): the first shot is taken a while after the window
// appeared, the second MS milliseconds later into OUT2.png. With --steps the picture is not waited
// for either: the steps of the file (tests/ui/shot/Steps.h) run once the window appeared, OUT.png
// is taken after them and their reports follow, one a line. With --close the player is not
// ended: the pointer clicks the window's point X Y (xdotool), as a user closing it does, and the
// player's exit code follows on the line, -1 when it crashed or did not end in time. Exit code 0
// when the window was caught, 2 when it did not appear in time.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "tests/ui/shot/Steps.h"

namespace {

constexpr int kTimeoutMs = 60000;
constexpr int kPollMs = 400;
// The picture has settled when this many grabs in a row show the same.
constexpr int kSettledGrabs = 3;
// With --again, the first shot waits this long after the window appeared, for the player to start.
constexpr int kStartUpMs = 3000;
// With --close, how long the player may take to end after the click.
constexpr int kCloseMs = 30000;

using shot::Geometry;

// The main window as the X server lists it (xwininfo), once it has a real size; its place on the
// screen (under a window manager the first place listed is within the manager's frame).
std::optional<Geometry> FindMainWindow() {
  QProcess info;
  info.start("xwininfo", {"-root", "-tree"});
  if (!info.waitForFinished(5000)) return std::nullopt;
  static const QRegularExpression line(R"re("Dravik2 Player":.*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s)re");
  const QRegularExpressionMatch m = line.match(QString::fromUtf8(info.readAllStandardOutput()));
  if (!m.hasMatch()) return std::nullopt;
  const Geometry g{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
  if (g.width < 400 || g.height < 300) return std::nullopt;
  return g;
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

struct Options {
  int againMs = 0;
  QString againPng;
  bool close = false;
  int closeX = 0, closeY = 0;
  QString steps;
};

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

std::optional<Geometry> WaitForMainWindow(QProcess& player) {
  QElapsedTimer clock;
  clock.start();
  std::optional<Geometry> found;
  while (!found && clock.elapsed() < kTimeoutMs && player.state() != QProcess::NotRunning) {
    QThread::msleep(kPollMs);
    found = FindMainWindow();
  }
  return found;
}

// Waits for the window, lets the player start, and takes two shots `againMs` apart.
std::optional<Geometry> ShootTwice(QProcess& player, QImage& first, const Options& options) {
  const std::optional<Geometry> found = WaitForMainWindow(player);
  if (!found) return std::nullopt;
  QThread::msleep(kStartUpMs);
  first = GrabScreen();
  QThread::msleep(static_cast<unsigned long>(options.againMs));
  if (!GrabScreen().save(options.againPng)) return std::nullopt;
  return found;
}

// Clicks the screen point with the left button as the X server's own pointer; the player's exit
// code once it has ended, -1 when it crashed or is still running (it is then killed).
int ClickAndWait(QProcess& player, int x, int y) {
  QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(x), QString::number(y)});
  QThread::msleep(kPollMs);
  QProcess::execute("xdotool", {"click", "1"});
  if (player.waitForFinished(kCloseMs) && player.exitStatus() == QProcess::NormalExit) return player.exitCode();
  player.kill();
  player.waitForFinished(5000);
  return -1;
}

// The options before the player's path; the index of that path, 0 when an option is incomplete.
int ReadOptions(int argc, char** argv, Options& options) {
  int at = 1;
  while (at < argc) {
    const QString option = QString::fromLocal8Bit(argv[at]);
    if (option == "--again" && at + 2 < argc) {
      options.againMs = std::atoi(argv[at + 1]);
      options.againPng = QString::fromLocal8Bit(argv[at + 2]);
      at += 3;
    } else if (option == "--steps" && at + 1 < argc) {
      options.steps = QString::fromLocal8Bit(argv[at + 1]);
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
    std::fprintf(stderr, "usage: windowshot [--again MS OUT2.png] [--close X Y] [--steps FILE] PLAYER OUT.png "
                         "[ARGUMENT...]\n");
    return 2;
  }
  QStringList arguments;
  for (int i = at + 2; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QProcess player;
  player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  player.start(QString::fromLocal8Bit(argv[at]), arguments);
  QImage shot;
  QStringList reports;
  std::optional<Geometry> found;
  if (!options.steps.isEmpty()) {
    found = WaitForMainWindow(player);
    if (found) reports = shot::RunSteps(options.steps, *found);
    shot = GrabScreen();
  } else {
    found = options.againPng.isEmpty() ? ShootSettled(player, shot) : ShootTwice(player, shot, options);
  }
  if (!found || !shot.save(QString::fromLocal8Bit(argv[at + 1]))) {
    player.kill();
    player.waitForFinished(5000);
    return 2;
  }
  std::printf("%d %d %d %d", found->width, found->height, found->x, found->y);
  if (options.close) {
    std::printf(" %d", ClickAndWait(player, found->x + options.closeX, found->y + options.closeY));
  } else {
    player.kill();
    player.waitForFinished(5000);
  }
  std::printf("\n");
  for (const QString& report : reports) std::printf("%s\n", report.toUtf8().constData());
  return 0;
}
