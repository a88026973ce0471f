// The files the program writes for itself (its settings, at exit too, the keyed map page and the
// G-sensor debug file) in a folder where someone else has planted links: at the names themselves,
// at the temporary names the writes will try and at the one an older version used. No write may
// follow a link, and a write that finds no safe name leaves the old file as it was and says so.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/IIbpCtrl.h"
#include "platform/OutputFile.h"
#include "settings/AppConfig.h"
#include "settings/AppPaths.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/Eventually.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "ui/MainDlg.h"
#include "ui/MapPage.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool IsPlainFile(const std::string& path) { return fs::is_regular_file(fs::symlink_status(path)); }

// Files of someone else's that the links point at, each with its own text.
class Victims {
 public:
  explicit Victims(const fixtures::ScratchDir& folder) : folder_(folder) {}
  std::string Add(const std::string& name) {
    const std::string path = folder_.File(name);
    Write(path, "belongs to someone else: " + name);
    names_.push_back(name);
    return path;
  }
  void ExpectUntouched() const {
    for (const std::string& name : names_) EXPECT_EQ(Read(folder_.File(name)), "belongs to someone else: " + name);
  }

 private:
  const fixtures::ScratchDir& folder_;
  std::vector<std::string> names_;
};

// Links at the temporary names the coming writes of `target` try: at every one, or at all but
// every `gap`-th one, so that each write has to pass a run of links before it finds a free name.
void PlantAtTempNames(const std::string& target, const std::string& victim, std::size_t count, std::size_t gap = 0) {
  const std::vector<std::string> names = plat::UpcomingTempNames(target, count);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (gap == 0 || i % gap != gap - 1) fs::create_symlink(victim, names[i]);
  }
}

void RemoveTempLinks(const std::string& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_symlink() && entry.path().extension() == plat::OutputFile::kTempSuffix) fs::remove(entry.path());
  }
}

}  // namespace

TEST(OwnFilesTest, LinksAtTheNamesWrittenNeverLeadTheWritingElsewhere) {
  plat::test::Reset();
  const fixtures::ScratchDir dir("own-files");
  const fixtures::ScratchDir elsewhere("own-files-victims");
  const CString programFolder = g_appConfig.GetAppFolder();
  const fs::path workingFolder = fs::current_path();
  const mode_t umask = ::umask(022);
  g_appConfig.SetAppFolder(CString(dir.Path()));
  fs::current_path(dir.Path());  // the debug file goes to the working folder
  const std::string config = dir.File("Config.ini");
  const std::string page = app::MapPagePath().ToUtf8();
  const std::string csv = dir.File("output_gsensor.csv");
  const std::string oldSettings = "[Config]\r\nDebug_output_gsensor=1\r\nAutoPlayFirstRecord=0\r\n";
  Write(config, oldSettings);
  Victims victims(elsewhere);
  fs::create_symlink(victims.Add("page"), page);
  fs::create_symlink(victims.Add("csv"), csv);
  fs::create_symlink(victims.Add("pid-temp"), config + ".tmp" + std::to_string(::getpid()));

  // Every name a write could take is a link: nothing is written, and each refusal is said.
  const std::string configTemps = victims.Add("config-temps");
  const std::string pageTemps = victims.Add("page-temps");
  PlantAtTempNames(config, configTemps, 256);
  PlantAtTempNames(page, pageTemps, 256);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(g_appConfig.WriteUIMode());
  EXPECT_FALSE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "OwnersKey"));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(config + " is not written"), std::string::npos) << said;
  EXPECT_NE(said.find(page + " is not written"), std::string::npos) << said;
  EXPECT_EQ(Read(config), oldSettings);
  victims.ExpectUntouched();

  // Runs of links before each free name: the window plays with its debug file on and closes, the
  // program's exit writes its settings, and a map key is imported.
  RemoveTempLinks(dir.Path());
  PlantAtTempNames(config, configTemps, 512, 8);
  PlantAtTempNames(page, pageTemps, 512, 8);
  PlantAtTempNames(csv, victims.Add("csv-temps"), 512, 8);
  const std::optional<fixtures::Layout> layout =
      fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0), elsewhere.File("drive.sd"));
  ASSERT_TRUE(layout);
  plat::test::FakeWebBrowsers browsers;
  auto dlg = std::make_unique<CMainDlg>();
  ASSERT_TRUE(dlg->Create(CMainDlg::kTemplate, nullptr));
  IIbpCtrl* engine = dlg->GetEngine();
  engine->SetSource(CString(layout->path));
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  // The test clock lets the engine's threads run through the recording in moments, and the window
  // draws only the newest sensor block at each message: how many blocks it gets to draw is the
  // threads' timing. The curve's first samples are the event that the debug file has lines.
  ASSERT_TRUE(plat::test::Eventually([&] {
    plat::test::Pump();
    return !dlg->GetGsensorPoints().empty();
  }));
  const std::size_t samplesSeen = dlg->GetGsensorPoints().size();
  dlg->DestroyWindow();
  dlg.reset();
  EXPECT_TRUE(g_appConfig.WriteLanguageFile());
  EXPECT_TRUE(g_appConfig.WriteUIMode());
  EXPECT_TRUE(mappage::WriteMapPage(mappage::kTemplateResource, app::MapPagePath(), "OwnersKey"));

  victims.ExpectUntouched();
  for (const std::string& written : {config, page, csv}) EXPECT_TRUE(IsPlainFile(written)) << written;
  const std::string settings = Read(config);
  EXPECT_EQ(settings.rfind("[Config]\r\nDebug_output_gsensor=1\r\nAutoPlayFirstRecord=0\r\n", 0), 0u) << settings;
  EXPECT_NE(settings.find("\r\nUIMode="), std::string::npos) << settings;
  EXPECT_NE(Read(page).find("key=OwnersKey&"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(page.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);  // the page holds the user's key
  const std::string samples = Read(csv);
  EXPECT_GE(static_cast<std::size_t>(std::count(samples.begin(), samples.end(), '\n')), samplesSeen);
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path())) {
    EXPECT_FALSE(IsPlainFile(entry.path()) && entry.path().extension() == plat::OutputFile::kTempSuffix) << entry.path();
  }

  fs::current_path(workingFolder);
  ::umask(umask);
  g_appConfig.SetAppFolder(programFolder);
}
