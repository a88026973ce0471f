// The real program on an Xvfb server of a 1920 x 1080 screen, as a user runs it twice: the UI mode
// chosen in Config.ini gives the window that mode's size, centred, though the screen could hold a
// larger one; the card dialog lists the backup named with -f above the window; a click on the
// window's Close button ends the program with 0 and no sanitizer
// report, and Config.ini then holds the language and the mode for the next run. A signal ends it
// the same way, while it plays and while a dialog is open. A backup dragged from the desktop opens,
// on a display without OpenGL the program plays all the same, under a window manager the windows
// the main window owns stay above it, and files that are no regular files are passed over.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QColor>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/OrynPlayerApp.h"
#include "layout/MainLayout.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "testdata/ShellCommand.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kCloseButton = 1029;
constexpr int kFormatButton = 1034;
constexpr int kMapViewButton = 1048;
constexpr int kRecordListButton = 1102;

struct ProgramRun {
  int width = 0, height = 0, x = 0, y = 0;
  int exitCode = -2;  // -2: the window never showed
  std::string errors;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ShotRun {
  std::vector<int> numbers;  // what windowshot printed
  std::string errors;        // the program's error output
};

// Runs the program under Xvfb through windowshot with the options, the shot in the PNG, on the
// backup named with -f when there is one; `environment` goes before the command. The backup's name
// goes through a shell, so that its bytes reach the program as they are.
ShotRun RunShot(const fixtures::ScratchDir& appDir, const std::string& options, const std::string& png,
                const std::string& backup, const std::string& environment = "") {
  const std::string log = appDir.File("stderr.txt");
  const std::string program = backup.empty() ? "'" PLAYER_PROGRAM "' '" + png + "'"
                                             : "/bin/sh '" + png + "' -c 'exec \"$0\" -f \"$PLAYER_BACKUP\"' '" PLAYER_PROGRAM "'";
  const std::string command = environment + " PLAYER_APPDIR='" + appDir.Path() + "' PLAYER_BACKUP=" +
                              fixtures::Quoted(backup) + " SDL_AUDIODRIVER=dummy '" PLAYER_WITH_XVFB "' " +
                              std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + " '" PLAYER_WINDOWSHOT
                              "' " + options + " " + program + " 2>'" + log + "'";
  ShotRun run;
  if (FILE* out = popen(command.c_str(), "r")) {
    for (int n = 0; std::fscanf(out, "%d", &n) == 1;) run.numbers.push_back(n);
    pclose(out);
  }
  run.errors = ReadText(log);
  return run;
}

// "X,Y" of the rectangle's middle, or with another separator.
std::string Middle(const ui::LayoutRect& r, char separator = ',') {
  return std::to_string((r.left + r.right) / 2) + separator + std::to_string((r.top + r.bottom) / 2);
}

// Runs the program on the backup (none when empty), shoots the screen into the PNG once the window
// has settled (after windowshot's further options), and clicks the middle of the Close button that
// the mode places.
ProgramRun RunAndClose(const fixtures::ScratchDir& appDir, const std::string& backup, int mode, const std::string& png,
                       const std::string& options = "", const std::string& environment = "") {
  const ui::LayoutRect& close = ui::FindMainControl(kCloseButton)->rect[static_cast<size_t>(mode)];
  const ShotRun shot = RunShot(appDir, options + " --close " + Middle(close, ' '), png, backup, environment);
  ProgramRun run;
  run.errors = shot.errors;
  if (shot.numbers.size() == 5) {
    run.width = shot.numbers[0], run.height = shot.numbers[1], run.x = shot.numbers[2], run.y = shot.numbers[3];
    run.exitCode = shot.numbers[4];
  }
  return run;
}

// The value of the file's "name=value" line; nothing when it has no such line.
std::optional<std::string> ValueOf(const std::string& text, const std::string& name) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
  }
  return std::nullopt;
}

// The card dialog, centred over the window, shows the backup's recordings in its light list: the
// middle of the screen, which the dark main window would otherwise cover, is light.
void ExpectCardDialogOnTop(const std::string& png) {
  const QImage shot(QString::fromStdString(png));
  ASSERT_FALSE(shot.isNull()) << png;
  const QPoint centre(kScreenWidth / 2, kScreenHeight / 2);
  int light = 0, all = 0;
  for (int y = centre.y() - 20; y < centre.y() + 20; y += 4) {
    for (int x = centre.x() - 100; x < centre.x() + 100; x += 4, ++all) light += qGray(shot.pixel(x, y)) > 200;
  }
  EXPECT_GT(light, all * 9 / 10) << "the card dialog is not shown above the main window";
}

void ExpectModeWindowClosedCleanly(const ProgramRun& run, int mode) {
  const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(mode)];
  EXPECT_EQ(run.width, size.width);
  EXPECT_EQ(run.height, size.height);
  EXPECT_EQ(run.x, (kScreenWidth - size.width) / 2);
  EXPECT_EQ(run.y, (kScreenHeight - size.height) / 2);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors.find("Sanitizer"), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find("runtime error"), std::string::npos) << run.errors;
}

}  // namespace

// Under a window manager the card dialog of "-f", shown before the main window, stays above it, in
// the largest and the smallest mode.
TEST(ProgramRunTest, UnderAWindowManagerTheCardDialogStaysAboveTheMainWindow) {
  const fixtures::ScratchDir dir("e2e-wm");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  std::ofstream(dir.File("steps.txt")) << "stacked Open an existing file\n";
  for (const std::string screen : {"1920x1080", "1024x600"}) {
    const std::string command = "PLAYER_APPDIR='" + dir.Path() + "' '" PLAYER_WITH_XVFB "' " + screen + " '"
                                PLAYER_WINDOWSHOT "' --wm --steps '" + dir.File("steps.txt") + "' '" PLAYER_PROGRAM "' '" +
                                plat::test::TestOutputDir() + "/e2e-window-manager-" + screen + ".png' -f '" + backup +
                                "' 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char text[4096] = {};
    const std::string lines(text, std::fread(text, 1, sizeof text - 1, out));
    pclose(out);
    EXPECT_NE(lines.find("\nstacked Dravik2 Player|Open an existing file|\n"), std::string::npos) << screen << ": " << lines;
  }
}

TEST(ProgramRunTest, TheModeOfConfigIniSizesTheWindowAndClosingItEndsTheProgramCleanlyWithItsSettings) {
  const fixtures::ScratchDir dir("e2e-program");
  const std::string backup = dir.File("d\xE9mo \xFF.sd");  // a name that is not UTF-8
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  const std::string config = dir.File("Config.ini");
  std::ofstream(config) << "[Config]\r\nUIMode=2\r\n";
  const std::string shots = plat::test::TestOutputDir() + "/e2e-program-mode-";

  const ProgramRun small = RunAndClose(dir, backup, 2, shots + "2.png");
  ExpectModeWindowClosedCleanly(small, 2);
  ExpectCardDialogOnTop(shots + "2.png");
  std::string written = ReadText(config);
  EXPECT_EQ(ValueOf(written, "Language File"), "en_US") << written;
  ASSERT_EQ(ValueOf(written, "UIMode"), "2") << written;

  // The user switches to the middle mode in the file and starts the program again.
  written.replace(written.find("UIMode=2"), 8, "UIMode=1");
  std::ofstream(config, std::ios::binary | std::ios::trunc) << written;
  const ProgramRun middle = RunAndClose(dir, backup, 1, shots + "1.png");
  ExpectModeWindowClosedCleanly(middle, 1);
  written = ReadText(config);
  EXPECT_EQ(ValueOf(written, "Language File"), "en_US") << written;
  EXPECT_EQ(ValueOf(written, "UIMode"), "1") << written;
}

// A backup dragged from the desktop (an X client of its own that speaks the drag protocol, as a
// file manager does) and dropped on the window's video, on its record list, on the map page and
// on its background opens in the card dialog.
TEST(ProgramRunTest, ABackupDraggedFromTheDesktopOntoTheWindowOpens) {
  const fixtures::ScratchDir dir("e2e-drop");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  std::ofstream(dir.File("Config.ini")) << "[Config]\r\nUIMode=0\r\n";
  const auto click = [](int id) {
    return "xdotool mousemove --sync " + Middle(ui::FindMainControl(id)->rect[0], ' ') + " click 1";
  };
  struct Case {
    std::string where, before, point;
  };
  const Case cases[] = {{"video", "", Middle(ui::AreaRect(ui::Area::kVideo, 0), ' ')},
                        {"list", click(kRecordListButton), Middle(ui::AreaRect(ui::Area::kRecordList, 0), ' ')},
                        {"map", click(kMapViewButton), Middle(ui::AreaRect(ui::Area::kVideo, 0), ' ')},
                        {"background", "", "300 50"}};
  for (const Case& c : cases) {
    const std::string result = dir.File("drop-" + c.where + ".txt");
    std::string then;
    if (!c.before.empty()) then = " --then " + fixtures::Quoted(c.before);
    then += " --then " + fixtures::Quoted(std::string(PLAYER_XDROP) + " --window 'Dravik2 Player' " +
                                          fixtures::Quoted(backup) + " " + c.point + " >" + fixtures::Quoted(result));
    const std::string png = plat::test::TestOutputDir() + "/e2e-drop-" + c.where + ".png";
    ExpectModeWindowClosedCleanly(RunAndClose(dir, "", 0, png, then), 0);
    EXPECT_EQ(ReadText(result), "dropped\n") << c.where;
    ExpectCardDialogOnTop(png);
  }
}

// A signal ends the program as its Close button does, while a recording plays and while the Format
// dialog, under which Close is refused, is open: exit code 0, the language and the mode saved. A
// translated caption whose conversions differ from the English format's is not used: the program
// plays and captions the channel window, brought out with a double click, in English.
TEST(ProgramRunTest, ASignalClosesItWhilePlayingOrUnderADialogAndABadTranslatedFormatGivesWayToEnglish) {
  const fixtures::ScratchDir dir("e2e-signal");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  std::filesystem::create_directory(dir.File("Language"));
  std::ofstream(dir.File("Language/de_DE.ini")) << "[Language String]\r\nChannel-%.2d %dx%d=Kanal-%s %s %s\r\n";
  const std::string config = dir.File("Config.ini");
  const std::string video = Middle(ui::AreaRect(ui::Area::kVideo, 0));
  const std::string format = Middle(ui::FindMainControl(kFormatButton)->rect[0]);
  const std::pair<std::string, std::string> runs[] = {
      {"playing", "--do playing --do dclick:" + video + " --do 'await:Channel-01 640x360' --do signal:15"},
      {"format", "--do playing --do click:" + format + " --do await:Format --do signal:1"}};
  for (const auto& [name, steps] : runs) {
    std::ofstream(config, std::ios::trunc) << "[Config]\r\nLanguage File=de_DE\r\nAutoPlayFirstRecord=1\r\n";
    const ShotRun run =
        RunShot(dir, steps, plat::test::TestOutputDir() + "/e2e-signal-" + name + ".png", backup);
    // The window, then that it played, the awaited window and the exit code.
    ASSERT_EQ(run.numbers.size(), 7u) << name << run.errors;
    EXPECT_EQ(std::vector<int>(run.numbers.begin() + 4, run.numbers.end()), (std::vector<int>{1, 1, 0})) << name;
    EXPECT_EQ(run.errors.find("Sanitizer"), std::string::npos) << run.errors;
    EXPECT_EQ(run.errors.find("runtime error"), std::string::npos) << run.errors;
    const std::string written = ReadText(config);
    EXPECT_EQ(ValueOf(written, "Language File"), "de_DE") << written;
    EXPECT_EQ(ValueOf(written, "UIMode"), "0") << written;
  }
}

// A request repeated while the first is under way ends the process at once with 0, the language
// and the mode saved first.
TEST(ProgramRunTest, ARepeatedEndRequestSavesTheLanguageAndTheModeAndEndsAtOnce) {
  const fixtures::ScratchDir dir("e2e-end-now");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  g_appConfig.SetUIMode(2);
  EXPECT_EXIT(COrynPlayerApp::EndNow(), testing::ExitedWithCode(0), "");
  g_appConfig.SetAppFolder(programFolder);
  const std::string written = ReadText(dir.File("Config.ini"));
  EXPECT_EQ(ValueOf(written, "Language File"), "en_US") << written;
  EXPECT_EQ(ValueOf(written, "UIMode"), "2") << written;
}

// A remote display, a VNC server or a virtual machine may offer no OpenGL: the program starts,
// plays the backup's first recording (the picture moves between two shots a second apart) and
// ends cleanly when closed.
TEST(ProgramRunTest, OnADisplayWithoutOpenGlTheProgramPlaysAndClosesCleanly) {
  const fixtures::ScratchDir dir("e2e-no-opengl");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  std::ofstream(dir.File("Config.ini")) << "[Config]\r\nUIMode=2\r\nAutoPlayFirstRecord=1\r\n";
  const std::string first = plat::test::TestOutputDir() + "/e2e-no-opengl-1.png";
  const std::string second = plat::test::TestOutputDir() + "/e2e-no-opengl-2.png";

  const ProgramRun run = RunAndClose(dir, backup, 2, first,
                                     "--again 1000 " + fixtures::Quoted(second), "QT_XCB_GL_INTEGRATION=none");
  ExpectModeWindowClosedCleanly(run, 2);
  const QImage a(QString::fromStdString(first)), b(QString::fromStdString(second));
  ASSERT_FALSE(a.isNull());
  ASSERT_FALSE(b.isNull());
  const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, 2);
  const QRect area = QRect(video.left, video.top, video.Width(), video.Height()).translated(run.x, run.y);
  const QImage before = a.copy(area), after = b.copy(area);
  int lit = 0;
  for (int y = 0; y < after.height(); y += 8) {
    for (int x = 0; x < after.width(); x += 8) lit += qGray(after.pixel(x, y)) > 40;
  }
  EXPECT_GT(lit, 100) << "no picture in the channel window";
  EXPECT_NE(before, after) << "the picture does not move";
}

// Settings, the offset table and the keyed map page that are FIFOs are passed over at once and
// left as they are: the window opens in the default mode, and the run says on its error output
// why those files were not read.
TEST(ProgramRunTest, FilesThatAreNoRegularFilesArePassedOverAtOnce) {
  const fixtures::ScratchDir dir("e2e-fifos");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  for (const char* name : {"Config.ini", "offset_min.bin", "mapdlg.htm"}) ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0600), 0);
  const ProgramRun run = RunAndClose(dir, backup, 0, plat::test::TestOutputDir() + "/e2e-program-fifos.png");
  ExpectModeWindowClosedCleanly(run, 0);
  for (const char* name : {"Config.ini", "offset_min.bin", "mapdlg.htm"}) {
    EXPECT_NE(run.errors.find(dir.File(name) + " is not read: it is not a regular file"), std::string::npos) << run.errors;
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File(name))) << name;
  }
}
