#include "tests/ui/shot/Steps.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <functional>
#include <optional>

namespace shot {
namespace {

constexpr int kDeadlineMs = 20000;
constexpr int kSettleDeadlineMs = 60000;
constexpr int kPollMs = 300;
constexpr int kSettledLooks = 3;

QImage Look(const Geometry& main, const QStringList& r) {
  const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
  return screen.copy(main.x + r[0].toInt(), main.y + r[1].toInt(), r[2].toInt(), r[3].toInt()).toImage();
}

// Polls until the condition holds or the deadline passes; whether it held.
bool WaitFor(const std::function<bool()>& condition, int deadlineMs = kDeadlineMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > deadlineMs) return false;
    QThread::msleep(kPollMs);
  }
  return true;
}

QString Run(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  p.waitForFinished(5000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The first shown window whose title holds the text: its client area on the screen.
std::optional<Geometry> FindWindow(const QString& title) {
  const QStringList ids = Run("xdotool", {"search", "--onlyvisible", "--name", QRegularExpression::escape(title)})
                              .split('\n', Qt::SkipEmptyParts);
  if (ids.isEmpty()) return std::nullopt;
  static const QRegularExpression form(R"(Absolute upper-left X:\s+(-?\d+).*Absolute upper-left Y:\s+(-?\d+).*)"
                                       R"(Width:\s+(\d+).*Height:\s+(\d+))",
                                       QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = form.match(Run("xwininfo", {"-id", ids.first()}));
  if (!m.hasMatch()) return std::nullopt;
  return Geometry{m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(), m.captured(2).toInt()};
}

// The titles of the windows as the window manager stacks them, lowest first, each ended by '|'.
QString StackedTitles() {
  static const QRegularExpression id("0x[0-9a-f]+");
  QString titles;
  const QString stacking = Run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  for (auto it = id.globalMatch(stacking); it.hasNext();) {
    const QString window = QString::number(it.next().captured().toUInt(nullptr, 16));
    titles += Run("xdotool", {"getwindowname", window}).trimmed() + '|';
  }
  return titles;
}

void Click(const Geometry& main, const QStringList& at, int count) {
  const QString x = QString::number(main.x + at[0].toInt());
  const QString y = QString::number(main.y + at[1].toInt());
  // Without --sync, which would wait for a move that never comes when the pointer is there already.
  QProcess::execute("xdotool", {"mousemove", x, y});
  QProcess::execute("xdotool", {"click", "--repeat", QString::number(count), "--delay", "80", "1"});
}

// Where later steps point, and the region kept by the last look.
struct Context {
  Geometry origin;
  QStringList looked;
  QImage kept;
};

QString MainWindowId() {
  const QStringList ids =
      Run("xdotool", {"search", "--onlyvisible", "--name", "^Dravik2 Player$"}).split('\n', Qt::SkipEmptyParts);
  return ids.isEmpty() ? QString() : ids.first();
}

// Moves the main window by a pixel and back, each waited for: the window manager handles what
// reaches it in turn, so once the moves are done what came before them was handled.
void SyncWithWindowManager(const QString& id) {
  QProcess::execute("xdotool", {"windowmove", "--sync", "--relative", id, "1", "0"});
  QProcess::execute("xdotool", {"windowmove", "--sync", "--relative", id, "-1", "0"});
}

QString Resize(const QStringList& args) {
  const QString id = MainWindowId();
  if (id.isEmpty()) return "size none";
  QProcess::execute("xdotool", {"windowsize", id, args[0], args[1]});
  SyncWithWindowManager(id);
  const std::optional<Geometry> g = FindWindow("Dravik2 Player");
  return g ? QString("size %1 %2").arg(g->width).arg(g->height) : "size none";
}

QString Step(const QString& verb, const QStringList& args, Context& context) {
  const Geometry& main = context.origin;
  if (verb == "in" && !args.isEmpty()) {
    std::optional<Geometry> g;
    if (!WaitFor([&] { return (g = FindWindow(args.join(' '))).has_value(); })) return "in none";
    context.origin = *g;
  } else if (verb == "type" && !args.isEmpty()) {
    QProcess::execute("xdotool", {"type", "--delay", "40", args.join(' ')});
  } else if (verb == "look" && args.size() == 4) {
    context.looked = args;
    context.kept = Look(main, args);
  } else if (verb == "changed" && context.looked.size() == 4) {
    return WaitFor([&] { return Look(main, context.looked) != context.kept; }) ? "changed" : "changed no";
  } else if (verb == "resize" && args.size() == 2) {
    return Resize(args);
  } else if (verb == "sync") {
    SyncWithWindowManager(MainWindowId());
  } else if ((verb == "click" || verb == "dblclick") && args.size() == 2) {
    Click(main, args, verb == "click" ? 1 : 2);
  } else if (verb == "key" && args.size() == 1) {
    QProcess::execute("xdotool", {"key", args[0]});
  } else if (verb == "moving" && args.size() == 4) {
    QImage last = Look(main, args);
    if (!WaitFor([&] { return Look(main, args) != last; })) return "moving no";
  } else if (verb == "settle" && args.size() == 4) {
    QImage last;
    int same = 0;
    const auto settled = [&] {
      const QImage now = Look(main, args);
      same = now == last ? same + 1 : 1;
      last = now;
      return same >= kSettledLooks;
    };
    if (!WaitFor(settled, kSettleDeadlineMs)) return "settled no";
  } else if (verb == "window" && !args.isEmpty()) {
    std::optional<Geometry> g;
    WaitFor([&] { return (g = FindWindow(args.join(' '))).has_value(); });
    return g ? QString("window %1 %2 %3 %4").arg(g->width).arg(g->height).arg(g->x).arg(g->y) : "window none";
  } else if (verb == "stacked" && !args.isEmpty()) {
    QString titles;
    WaitFor([&] { return (titles = StackedTitles()).contains(args.join(' ')); }, kSettleDeadlineMs);
    return "stacked " + titles;
  } else if (verb == "gone" && !args.isEmpty()) {
    return WaitFor([&] { return !FindWindow(args.join(' ')); }) ? "gone" : "still";
  } else {
    return "unknown step " + verb;
  }
  return QString();
}

}  // namespace

QStringList RunSteps(const QString& file, const Geometry& main) {
  QFile in(file);
  QStringList reports;
  Context context{main, {}, {}};
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return {"no steps"};
  for (const QString& line : QString::fromUtf8(in.readAll()).split('\n', Qt::SkipEmptyParts)) {
    QStringList words = line.split(' ', Qt::SkipEmptyParts);
    const QString verb = words.takeFirst();
    const QString report = Step(verb, words, context);
    if (!report.isEmpty()) reports << report;
  }
  return reports;
}

}  // namespace shot
