// windowshot PLAYER OUT.png [ARGUMENT...]: on the X display of the environment (an Xvfb server),
// starts the player with the arguments, waits until its main window is mapped and its picture
// has settled, writes the whole screen to OUT.png, prints the window's "WIDTH HEIGHT X Y" and ends
// the player. Exit code 0 when the window was caught, 2 when it did not appear in time.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <optional>

namespace {

constexpr int kTimeoutMs = 60000;
constexpr int kPollMs = 400;
// The picture has settled when this many grabs in a row show the same.
constexpr int kSettledGrabs = 3;

struct Geometry {
  int width, height, x, y;
};

// The main window as the X server lists it (xwininfo), once it has a real size.
std::optional<Geometry> FindMainWindow() {
  QProcess info;
  info.start("xwininfo", {"-root", "-tree"});
  if (!info.waitForFinished(5000)) return std::nullopt;
  static const QRegularExpression line(R"re("Dravik2 Player":.*\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s)re");
  const QRegularExpressionMatch m = line.match(QString::fromUtf8(info.readAllStandardOutput()));
  if (!m.hasMatch()) return std::nullopt;
  const Geometry g{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
  if (g.width < 400 || g.height < 300) return std::nullopt;
  return g;
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: windowshot PLAYER OUT.png [ARGUMENT...]\n");
    return 2;
  }
  QStringList arguments;
  for (int i = 3; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QProcess player;
  player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  player.start(QString::fromLocal8Bit(argv[1]), arguments);
  QElapsedTimer clock;
  clock.start();
  QImage last;
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
  player.kill();
  player.waitForFinished(5000);
  if (same < kSettledGrabs || !found || !last.save(QString::fromLocal8Bit(argv[2]))) return 2;
  std::printf("%d %d %d %d\n", found->width, found->height, found->x, found->y);
  return 0;
}
