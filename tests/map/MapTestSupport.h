// Shared by the map page's tests: a scratch settings folder, an owner that records what the page
// asks of it, the sentences of a generated drive, and waiting for the page.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "app/AppConfig.h"
#include "platform/wnd/TestHarness.h"
#include "tests/fixtures/TestSignals.h"
#include "tests/support/WindowWait.h"
#include "ui/MapDlg.h"

namespace maptest {

using plat::test::RunUntil;

struct RecordingOwner : IMapOwner {
  void SetMapSelectionPending(bool p) override { pending = p; }
  void ClearMapSelectionList() override { ++listsCleared; }
  bool GetRecordingTimeRange(std::int64_t& f, std::int64_t& l) const override { return f = first, l = last, true; }
  void SeekMapTime(std::int64_t time) override { seeks.push_back(time); }
  bool HoldsCourse() const override { return false; }
  void OnMapUpdated() override { ++updates; }
  bool IsReplayView() const override { return true; }
  void SetReplaySliderRange(int count) override { sliderRange = count; }
  void SetReplaySliderPos(int point) override { sliderPositions.push_back(point); }

  std::int64_t first = 1'700'000'000;
  std::int64_t last = first + 600;
  bool pending = false;
  int listsCleared = 0, updates = 0, sliderRange = -1;
  std::vector<std::int64_t> seeks;
  std::vector<int> sliderPositions;
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
