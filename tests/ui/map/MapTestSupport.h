// Shared by the map page's tests: a scratch settings folder, an owner that records what the page
// asks of it, a clock for the replay, the sentences of a generated drive, and waiting for the page.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

#include "settings/AppConfig.h"
#include "testdata/TestSignals.h"
#include "tests/support/TestHarness.h"
#include "tests/support/WindowWait.h"
#include "ui/MapDlg.h"

namespace maptest {

using plat::test::RunUntil;

struct RecordingOwner : IMapOwner {
  void SetMapSelectionPending(bool p) override { pending = p; }
  void ClearMapSelectionList() override { ++listsCleared; }
  bool GetRecordingTimeRange(std::int64_t& f, std::int64_t& l) const override {
    ++rangeAsks;
    return f = first, l = last, true;
  }
  bool SeekMapTime(std::int64_t time) override {
    if (playing) seeks.push_back(time);
    return playing;
  }
  bool HoldsCourse() const override { return false; }
  void OnMapUpdated() override {
    ++updates;
    if (updated) updated();
  }
  bool IsReplayView() const override { return true; }
  void SetReplaySliderRange(int count) override { sliderRange = count; }
  void SetReplaySliderPos(int point) override { sliderPositions.push_back(point); }

  std::int64_t first = 1'700'000'000;
  std::int64_t last = first + 600;
  bool pending = false;
  bool playing = true;  // a recording plays, which a chosen road can seek
  int listsCleared = 0, updates = 0, sliderRange = -1;
  mutable int rangeAsks = 0;  // a chosen road asks the owner first
  std::vector<std::int64_t> seeks;
  std::vector<int> sliderPositions;
  std::function<void()> updated;
};

// Config.ini and mapdlg.htm of the test live in a folder of its own.
class MapFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(folder.isValid());
    g_appConfig.SetAppFolder(CString(folder.path().toStdWString()));
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 820, 620)));
  }
  void TearDown() override {
    dlg.reset();
    plat::SetWebBrowserFactory({});
    parent.DestroyWindow();
  }

  QTemporaryDir folder;
  plat::test::SpyWnd parent;
  RecordingOwner owner;
  std::unique_ptr<CMapDlg> dlg;
};

// A tick clock that the test moves. A wait on it lasts until its event comes or the test has moved
// the clock past the wait's end; the clock notes how long each wait was to last.
struct GateClock : plat::IClock {
  ~GateClock() override {
    if (previous) plat::SetTickClock(*previous);
  }
  std::uint64_t NowMs() const override { return now; }
  void SleepMs(std::uint32_t ms) override { now += ms; }
  bool WaitEvent(CEvent& event, std::uint32_t timeoutMs) override {
    const std::uint64_t end = now + timeoutMs;
    Waits(timeoutMs);
    while (now < end) {
      if (event.Wait(1)) return true;
    }
    return false;
  }
  // The waits begun so far, after noting one more of that length.
  std::vector<std::uint32_t> Waits(std::optional<std::uint32_t> more = {}) {
    std::lock_guard lock(mutex);
    if (more) waits.push_back(*more);
    return waits;
  }
  void AwaitWait(std::size_t count) { EXPECT_TRUE(RunUntil([&] { return Waits().size() >= count; })); }
  // Once the count-th wait has begun, moves the clock to its end.
  void EndWait(std::size_t count) {
    AwaitWait(count);
    if (Waits().size() >= count) now += Waits()[count - 1];
  }

  std::atomic<std::uint64_t> now{1000};
  std::mutex mutex;
  std::vector<std::uint32_t> waits;
  std::optional<plat::IClock*> previous;  // the clock it replaced, while installed
};

constexpr std::int64_t kDriveStartUs = 1'700'000'000'000'000;

// One sentence a second of a straight drive north.
inline std::vector<std::string> Drive(int seconds) {
  const fixtures::RouteDescription route{.headingDeg = 0.0};
  std::vector<std::string> sentences;
  for (int s = 0; s < seconds; ++s) {
    sentences.push_back(fixtures::RmcSentence(fixtures::RoutePosition(route, s), kDriveStartUs + s * 1'000'000LL,
                                              route.form));
  }
  return sentences;
}

}  // namespace maptest
