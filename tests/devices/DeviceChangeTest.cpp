#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <thread>

#include "platform/devices/DeviceChange.h"
#include "platform/devices/DeviceMonitor.h"
#include "platform/devices/FakeDriveTable.h"
#include "platform/wnd/TestHarness.h"

using plat::VolumeInfo;
using plat::test::FakeDriveTable;
using plat::test::SpyWnd;

namespace {

constexpr DWORD kC = 1u << 2;
constexpr DWORD kE = 1u << 4;
constexpr DWORD kF = 1u << 5;

VolumeInfo Volume(char letter, const std::string& device) {
  return {letter, std::string("/media/") + letter + "/", device, 1, true};
}

// What a handler sees of one WM_DEVICECHANGE while it runs.
struct Notice {
  WPARAM event;
  bool hasRecord;
  DWORD unitMask;
  DWORD logicalDrives;
  bool onUiThread;
};

// A top-level window that copies the record while its handler runs, as a handler must.
class DeviceSpy : public SpyWnd {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DEVICECHANGE) {
      const auto* v = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
      const bool volume = v && v->dbcv_devicetype == DBT_DEVTYP_VOLUME && v->dbcv_size == sizeof(*v);
      notices.push_back({wParam, v != nullptr, volume ? v->dbcv_unitmask : 0, GetLogicalDrives(),
                         QThread::currentThread() == QCoreApplication::instance()->thread()});
      return TRUE;
    }
    return SpyWnd::WindowProc(msg, wParam, lParam);
  }
  std::vector<Notice> notices;
};

class DeviceChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 200, 100)));
    ASSERT_TRUE(hidden.CreateTopLevel(CRect(0, 0, 50, 50), WS_POPUP));
    ASSERT_TRUE(child.CreateChild(&main, CRect(0, 0, 20, 20), 7));
  }
  void TearDown() override {
    main.DestroyWindow();  // and its child
    hidden.DestroyWindow();
  }
  DeviceSpy main;
  DeviceSpy hidden;
  DeviceSpy child;
};

}  // namespace

TEST_F(DeviceChangeTest, ArrivalAndRemovalReachEveryTopLevelWindowWithTheUnitMask) {
  FakeDriveTable drives({Volume('C', "/dev/sda1")});
  EXPECT_EQ(GetLogicalDrives(), kC);

  drives.Arrive(Volume('E', "/dev/sdb1"));
  for (const DeviceSpy* spy : {&main, &hidden}) {
    ASSERT_EQ(spy->notices.size(), 2u);
    EXPECT_EQ(spy->notices[0].event, DBT_DEVNODES_CHANGED);
    EXPECT_FALSE(spy->notices[0].hasRecord);
    EXPECT_EQ(spy->notices[1].event, DBT_DEVICEARRIVAL);
    EXPECT_EQ(spy->notices[1].unitMask, kE);
    EXPECT_EQ(spy->notices[1].logicalDrives, kC | kE);  // the table is up to date when the handler runs
  }
  EXPECT_TRUE(child.notices.empty());

  const DWORD scanned = GetLogicalDrives();
  main.notices.clear();
  drives.Remove('D');  // no such volume: only the device nodes changed
  drives.Remove('E');
  ASSERT_EQ(main.notices.size(), 3u);
  EXPECT_EQ(main.notices[2].event, DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(main.notices[2].unitMask, kE);
  EXPECT_EQ(main.notices[2].logicalDrives ^ scanned, kE);  // how the main window finds the letter that went
  EXPECT_EQ(GetLogicalDrives(), kC);
}

TEST_F(DeviceChangeTest, ALetterThatNamesAnotherVolumeIsARemovalAndThenAnArrivalOnTheUiThread) {
  const std::vector<VolumeInfo> before = {Volume('C', "/dev/sda1"), Volume('E', "/dev/sdb1")};
  const std::vector<VolumeInfo> after = {Volume('C', "/dev/sda1"), Volume('E', "/dev/sdc1"), Volume('F', "/dev/sdd1")};
  const plat::DriveTableChange change = plat::CompareDriveTables(before, after);
  EXPECT_EQ(change.removed, kE);
  EXPECT_EQ(change.arrived, kE | kF);

  std::thread([&] { plat::BroadcastDriveTableChange(change); }).join();
  EXPECT_TRUE(main.notices.empty());  // carried to the UI thread
  plat::test::Pump();
  ASSERT_EQ(main.notices.size(), 2u);
  EXPECT_EQ(main.notices[0].event, DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(main.notices[1].event, DBT_DEVICEARRIVAL);
  EXPECT_EQ(main.notices[1].unitMask, kE | kF);
  EXPECT_TRUE(main.notices[1].onUiThread);

  main.notices.clear();
  plat::BroadcastDriveTableChange(plat::CompareDriveTables(after, after));
  EXPECT_TRUE(main.notices.empty());
}

TEST_F(DeviceChangeTest, TheMonitorTellsWhatChangedSinceItLastLooked) {
  FakeDriveTable drives({Volume('C', "/dev/sda1")});
  plat::DeviceMonitor monitor;
  monitor.Start();  // without udev only the mounts are watched; either way the table is taken
  drives.Arrive(Volume('F', "/dev/sdc1"));
  main.notices.clear();

  monitor.Rescan();
  ASSERT_EQ(main.notices.size(), 1u);
  EXPECT_EQ(main.notices[0].event, DBT_DEVICEARRIVAL);
  EXPECT_EQ(main.notices[0].unitMask, kF);

  main.notices.clear();
  monitor.Rescan();
  EXPECT_TRUE(main.notices.empty());
}
