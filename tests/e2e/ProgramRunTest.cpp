// The real program on an Xvfb server of a 1920 x 1080 screen, as a user runs it twice: the UI mode
// chosen in Config.ini gives the window that mode's size, centred, though the screen could hold a
// larger one; the card dialog lists the backup named with -f above the window; a click on the
// window's Close button ends the program with 0 and no sanitizer
// report, and Config.ini then holds the language and the mode for the next run. Files that are no
// regular files are passed over.
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

#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/support/TestEnvironment.h"
#include "ui/MainLayout.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kCloseButton = 1029;

struct ProgramRun {
  int width = 0, height = 0, x = 0, y = 0;
  int exitCode = -2;  // -2: the window never showed
  std::string errors;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program on the backup under Xvfb, shoots the screen into the PNG once the window has
// settled, and clicks the middle of the Close button that the mode places. The backup's name goes
// through a shell, so that its bytes reach the program as they are.
ProgramRun RunAndClose(const fixtures::ScratchDir& appDir, const std::string& backup, int mode, const std::string& png) {
  const ui::LayoutRect& close = ui::FindMainControl(kCloseButton)->rect[static_cast<size_t>(mode)];
  const std::string log = appDir.File("stderr.txt");
  const std::string command = "PLAYER_APPDIR='" + appDir.Path() + "' PLAYER_BACKUP='" + backup +
                              "' xvfb-run -a -s '-screen 0 " + std::to_string(kScreenWidth) + "x" +
                              std::to_string(kScreenHeight) + "x24' '" PLAYER_WINDOWSHOT "' --close " +
                              std::to_string((close.left + close.right) / 2) + " " +
                              std::to_string((close.top + close.bottom) / 2) + " /bin/sh '" + png +
                              "' -c 'exec \"$0\" -f \"$PLAYER_BACKUP\"' '" PLAYER_PROGRAM "' 2>'" + log + "'";
  ProgramRun run;
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return run;
  if (std::fscanf(out, "%d %d %d %d %d", &run.width, &run.height, &run.x, &run.y, &run.exitCode) != 5) run.exitCode = -2;
  pclose(out);
  run.errors = ReadText(log);
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
