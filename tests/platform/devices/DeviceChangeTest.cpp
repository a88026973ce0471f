#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/devices/DeviceChange.h"
#include "platform/devices/DeviceMonitor.h"
#include "tests/support/FakeDriveTable.h"
#include "tests/support/TestHarness.h"

using plat::IDriveTable;
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
  std::wstring disk;  // a disk record's device
};

// A top-level window that copies the record while its handler runs, as a handler must.
class DeviceSpy : public SpyWnd {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DEVICECHANGE) {
      const auto* v = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
      const bool volume = v && v->dbcv_devicetype == DBT_DEVTYP_VOLUME && v->dbcv_size == sizeof(*v);
      const auto* d = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE*>(lParam);
      const bool disk = d && d->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE && d->dbcc_size == sizeof(*d);
      notices.push_back({wParam, v != nullptr, volume ? v->dbcv_unitmask : 0, GetLogicalDrives(),
                         QThread::currentThread() == QCoreApplication::instance()->thread(),
                         disk ? std::wstring(d->dbcc_name) : std::wstring()});
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
  const plat::DriveTableChange change = plat::CompareDriveTables({before, {}}, {after, {}});
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
  plat::BroadcastDriveTableChange(plat::CompareDriveTables({after, {}}, {after, {}}));
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

namespace {

namespace fs = std::filesystem;

// Headings that `udevadm monitor --udev --subsystem-match=block` printed while a card went into a
// reader and out again, then a USB stick and a USB hard disk came in.
constexpr const char* kRecordedEvents = R"(UDEV  [5120.331907] change   /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb (block)
UDEV  [5120.402215] add      /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1 (block)
UDEV  [5161.870310] remove   /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1 (block)
UDEV  [5161.874521] change   /devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb (block)
UDEV  [5190.015622] add      /devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:0/block/sdc (block)
UDEV  [5204.552190] add      /devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host8/target8:0:0/8:0:0:0/block/sdd (block)
)";

// The kernel's tables as a folder tree: sysfs's disks and partitions, and the mount table.
class SystemTree {
 public:
  ~SystemTree() { fs::remove_all(root_); }
  plat::SystemRoots Roots() const { return {root_ / "sys", root_ / "proc", root_ / "dev"}; }
  void Disk(const std::string& name, bool removable, std::uint64_t sectors) {
    Write("sys/block/" + name + "/removable", removable ? "1" : "0");
    Write("sys/block/" + name + "/size", std::to_string(sectors));
    Link(name, "../../block/" + name);
  }
  void Partition(const std::string& disk, const std::string& name) {
    Write("sys/block/" + disk + "/" + name + "/partition", "1");
    Link(name, "../../block/" + disk + "/" + name);
  }
  void Gone(const std::string& disk, const std::string& name) {
    fs::remove(root_ / "sys/class/block" / name);
    fs::remove_all(root_ / "sys/block" / disk / name);
  }
  void Mounts(const std::string& table) { Write("proc/mounts", table); }

 private:
  void Write(const std::string& file, const std::string& text) {
    fs::create_directories((root_ / file).parent_path());
    std::ofstream(root_ / file) << text << "\n";
  }
  void Link(const std::string& name, const std::string& target) {
    fs::create_directories(root_ / "sys/class/block");
    std::error_code exists;
    fs::create_directory_symlink(target, root_ / "sys/class/block" / name, exists);
  }
  const fs::path root_ = fs::temp_directory_path() / ("devices-test-" + std::to_string(::getpid()));
};

}  // namespace

// The recorded events replayed over a sysfs tree changed as the kernel changes it: a card put into
// the reader arrives as a disk although nothing mounts it; mounted, its letter arrives; pulled
// out (its stale mount left behind), its letter and its disk go; a USB stick arrives as a disk,
// a fixed disk does not.
TEST_F(DeviceChangeTest, UdevEventsAndSysfsMakeTheMachinesDriveTable) {
  SystemTree tree;
  tree.Disk("sda", false, 500118192);
  tree.Partition("sda", "sda1");
  tree.Disk("sdb", true, 0);  // the card reader, empty
  const std::string root = "/dev/sda1 / ext4 rw 0 0\n";
  tree.Mounts(root);
  plat::MachineDriveTable table(tree.Roots());
  const std::unique_ptr<IDriveTable, IDriveTable* (*)(IDriveTable*)> installed(plat::SetDriveTable(&table),
                                                                               plat::SetDriveTable);
  plat::DeviceMonitor monitor;
  monitor.Start();
  EXPECT_EQ(GetLogicalDrives(), kC);
  std::istringstream events(kRecordedEvents);
  using Seen = std::vector<std::pair<WPARAM, std::wstring>>;
  const auto step = [&](const std::function<void()>& kernel, bool udevEvent = true) {
    main.notices.clear();
    kernel();
    std::string line, heading, stamp, action;
    if (!udevEvent) monitor.Rescan();  // as when the mount table changes
    if (udevEvent && std::getline(events, line) && std::istringstream(line) >> heading >> stamp >> action)
      monitor.OnDeviceEvent(action);
    Seen seen;
    for (const Notice& n : main.notices) seen.push_back({n.event, n.unitMask ? L"letters" : n.disk});
    return seen;
  };
  EXPECT_EQ(step([&] { tree.Disk("sdb", true, 62333952); }), (Seen{{DBT_DEVICEARRIVAL, L"/dev/sdb"}}));
  EXPECT_EQ(step([&] { tree.Partition("sdb", "sdb1"); }), (Seen{{DBT_DEVNODES_CHANGED, L""}}));
  EXPECT_EQ(step([&] { tree.Mounts(root + "/dev/sdb1 /media/driver/CARD vfat rw 0 0"); }, false),
            (Seen{{DBT_DEVICEARRIVAL, L"letters"}}));
  const std::vector<plat::VolumeInfo> volumes = plat::DriveTableVolumes();
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(volumes[1].mountPoint, "/media/driver/CARD/");
  EXPECT_EQ(volumes[1].driveNumber, 1u);
  EXPECT_TRUE(volumes[1].removable);
  EXPECT_EQ(step([&] { tree.Gone("sdb", "sdb1"); }),
            (Seen{{DBT_DEVNODES_CHANGED, L""}, {DBT_DEVICEREMOVECOMPLETE, L"letters"}}));
  EXPECT_EQ(GetLogicalDrives(), kC);
  EXPECT_EQ(step([&] { tree.Disk("sdb", true, 0); }), (Seen{{DBT_DEVICEREMOVECOMPLETE, L"/dev/sdb"}}));
  EXPECT_EQ(step([&] { tree.Disk("sdc", true, 15633408); }),
            (Seen{{DBT_DEVNODES_CHANGED, L""}, {DBT_DEVICEARRIVAL, L"/dev/sdc"}}));
  EXPECT_EQ(step([&] { tree.Disk("sdd", false, 1953525168); }), (Seen{{DBT_DEVNODES_CHANGED, L""}}));
}
