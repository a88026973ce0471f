// The main window's calls on the engine, made through the engine interface by a small stand-in
// of the main window that maps each of its calls onto the engine's operations, on a real engine
// playing a generated card; and the fake engine that the windows' own tests install.
#include <gtest/gtest.h>

#include <filesystem>

#include "testdata/ScratchDir.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/FakeIbpCtrl.h"

using namespace enginetest;
using sourcetest::Fixture;

namespace {

// What the main window keeps of a recording and does with the engine, reduced to the engine calls.
class MainWindowStandIn {
 public:
  struct Span {
    IndexEntry* entry;
    std::int64_t start;
    std::uint32_t firstChunk;
  };

  explicit MainWindowStandIn(IIbpCtrl& engine) : engine_(engine) {}

  // As the card dialog opens a backup: the source, then one span per recording.
  void OpenSource(const std::string& path) {
    engine_.SetSource(CString(path));
    spans.clear();
    for (IndexEntry* e = engine_.OpenStore(); e; e = engine_.GetNextEntry(e)) {
      spans.push_back({e, e->StartTime(), e->FirstChunk()});
    }
  }
  // The main window's Play(entry, from, to): the engine plays the entry from its start (event 0)
  // and seeks to `from` when it is set; `to` is the main window's own range end.
  bool StartRecord(IndexEntry* entry, std::int64_t from) {
    engine_.SetTimeZoneOffset(0);
    if (engine_.Play(entry ? entry : engine_.OpenStore(), 0) != EngineStart::kStarted) return false;
    if (from != 0) engine_.Seek(from);
    engine_.SetKeepProportion(true);
    return true;
  }
  // The recording whose first chunk is the last not after the chunk shown; -1 with none shown.
  int FindCurrentRecord() const {
    const std::int64_t chunk = engine_.GetShownChunk(0);
    for (int n = static_cast<int>(spans.size()) - 1; chunk >= 0 && n >= 0; --n) {
      if (spans[static_cast<std::size_t>(n)].firstChunk <= chunk) return n;
    }
    return -1;
  }
  void PauseToggle() {
    paused = !paused;
    if (!paused) engine_.SetSpeed(1.0);
    engine_.SetPause(paused ? 1 : 0);
  }
  void Step(bool forward) {
    engine_.SetSpeed(forward ? 1.1 : -1.1);
    paused = true;
    engine_.SetPause(0);
  }
  void Backward() {
    paused = false;
    engine_.SetPause(0);
    engine_.SetSpeed(-1.0);
  }
  // The position slider's release: the entry playing is opened again (the engine plays on) and
  // sought.
  bool SeekTo(std::int64_t time) {
    if (paused) PauseToggle();
    if (!StartRecord(engine_.GetCurrentEntry(), 0)) return false;
    engine_.Seek(time);
    return true;
  }
  void Stop() {
    if (paused) engine_.SetPause(0);
    paused = false;
    reopenPending = true;
    engine_.Close();
  }
  // After Stop, Play opens the engine's current entry again from its start.
  bool Play() {
    engine_.SetSpeed(1.0);
    if (paused && !reopenPending) {
      PauseToggle();
      return true;
    }
    reopenPending = false;
    IndexEntry* entry = engine_.GetCurrentEntry();
    return entry && StartRecord(entry, 0);
  }
  // The snapshot button's call: TakeSnapshot(0, 0, 255, name) is the engine's (BMP, name).
  bool Snapshot(const std::string& name) { return engine_.TakeSnapshot(false, CString(name)); }

  std::vector<Span> spans;
  bool paused = false;
  bool reopenPending = false;

 private:
  IIbpCtrl& engine_;
};

}  // namespace

TEST(IbpCtrlMainWindowTest, TheMainWindowsCallsPlayPauseStepSeekStopAndReopenThroughTheEngineInterface) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 10.0);
  desc.recordings[0].firstChunk = 10;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::EntryInfo& first = fixture.layout().recordings[0].entry;
  const fixtures::EntryInfo& second = fixture.layout().recordings[1].entry;
  ASSERT_EQ(first.first, 10u);
  PlayRig rig(fixture.layout().path);
  CIbpCtrl& real = *rig.engine;
  MainWindowStandIn window(real);
  window.OpenSource(fixture.layout().path);
  ASSERT_EQ(window.spans.size(), 2u);
  const auto shownIn = [&](const fixtures::EntryInfo& e) {
    const std::int64_t chunk = real.GetShownChunk(0);
    return chunk >= e.first && chunk <= e.last;
  };
  const auto picturesGrow = [&] {
    const std::uint64_t before = real.Video(0)->PresentedPictures();
    return Eventually([&] { return real.Video(0)->PresentedPictures() > before; });
  };
  EXPECT_EQ(real.GetShownChunk(0), kNoChunk);
  EXPECT_EQ(window.FindCurrentRecord(), -1);

  // Forward from six seconds into the first recording, then paused and stepped both ways, played
  // backward and forward again, all before the source reads back to the recording's start.
  ASSERT_TRUE(window.StartRecord(window.spans[0].entry, window.spans[0].start + 6));
  ASSERT_TRUE(Eventually([&] { return shownIn(first); }));
  EXPECT_EQ(window.FindCurrentRecord(), 0);
  window.PauseToggle();
  window.Step(true);
  ASSERT_TRUE(picturesGrow());
  EXPECT_TRUE(shownIn(first));
  EXPECT_TRUE(Eventually([&] { return real.State().pause.load() == 1; }));  // one picture, paused again
  window.Step(false);
  ASSERT_TRUE(picturesGrow());
  EXPECT_TRUE(shownIn(first));
  window.Backward();
  ASSERT_TRUE(picturesGrow());
  EXPECT_TRUE(shownIn(first));
  ASSERT_TRUE(window.Play());  // forward again at normal speed: the engine plays on
  ASSERT_TRUE(picturesGrow());

  // A seek into the second recording moves the source on; the main window follows the chunk.
  ASSERT_TRUE(window.SeekTo(window.spans[1].start + 1));
  EXPECT_EQ(real.GetDisplayTime(0), window.spans[1].start + 1);
  ASSERT_TRUE(Eventually([&] { return window.FindCurrentRecord() == 1; }));
  EXPECT_TRUE(shownIn(second));

  // Stopped: nothing is shown, the entry played stays current, and Play plays it again.
  window.Stop();
  EXPECT_EQ(real.GetShownChunk(0), kNoChunk);
  EXPECT_EQ(window.FindCurrentRecord(), -1);
  ASSERT_EQ(real.GetCurrentEntry(), window.spans[1].entry);
  ASSERT_TRUE(window.Play());
  ASSERT_TRUE(Eventually([&] { return shownIn(second); }));
  EXPECT_EQ(real.GetCurrentEntry(), window.spans[1].entry);

  window.PauseToggle();
  const fixtures::ScratchDir dir("mainwindowshots");
  EXPECT_TRUE(window.Snapshot(dir.File("img-2024_Ch")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("img-2024_Ch1.bmp")));
  window.Stop();
  real.SetSource(CString());
  EXPECT_EQ(real.GetCurrentEntry(), nullptr);
}

TEST(IbpCtrlMainWindowTest, WindowsTestsGetAFakeEngineThatRecordsTheirCallsOrNoneAtAll) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0));
  ASSERT_TRUE(fixture.ok());
  {
    ScopedFakeEngine fake;
    IIbpCtrl* engine = CreateIbpCtrl();
    ASSERT_EQ(engine, &fake.engine());
    ASSERT_TRUE(fake.engine().UseStore(fixture.layout().path));
    fake.engine().answers.shownChunk = fixture.layout().recordings[1].entry.first;
    MainWindowStandIn window(*engine);
    window.OpenSource(fixture.layout().path);
    ASSERT_EQ(window.spans.size(), 2u);
    EXPECT_EQ(window.FindCurrentRecord(), 1);
    fake.engine().ClearCalls();
    ASSERT_TRUE(window.StartRecord(window.spans[1].entry, 0));
    window.Step(false);
    window.Stop();
    ASSERT_TRUE(window.Play());
    const std::string entry = "entry:" + std::to_string(fixture.layout().recordings[1].entry.first);
    EXPECT_EQ(fake.engine().CallTexts(),
              (std::vector<std::string>{"SetTimeZoneOffset(0)", "Play(" + entry + ", 0)", "SetKeepProportion(1)",
                                        "SetSpeed(-1.1)", "SetPause(0)", "SetPause(0)", "Close()", "SetSpeed(1)",
                                        "GetCurrentEntry()", "SetTimeZoneOffset(0)", "Play(" + entry + ", 0)",
                                        "SetKeepProportion(1)"}));
    engine->Destroy();
    EXPECT_TRUE(fake.engine().Destroyed());

    fake.FailCreation(true);
    EXPECT_EQ(CreateIbpCtrl(), nullptr);
    EXPECT_EQ(fake.Created(), 2);
  }
  IIbpCtrl* real = CreateIbpCtrl();
  ASSERT_NE(dynamic_cast<CIbpCtrl*>(real), nullptr);
  real->Destroy();
}
