#include "platform/devices/DeviceMonitor.h"

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <vector>

#include "platform/devices/DeviceChange.h"

namespace plat {

struct DeviceMonitor::Impl {
  udev* context = nullptr;
  udev_monitor* monitor = nullptr;
  int mountFd = -1;
  std::unique_ptr<QSocketNotifier> deviceNotifier;
  std::unique_ptr<QSocketNotifier> mountNotifier;
  DriveTableState seen;

  ~Impl() {
    deviceNotifier.reset();
    mountNotifier.reset();
    if (monitor) udev_monitor_unref(monitor);
    if (context) udev_unref(context);
    if (mountFd >= 0) ::close(mountFd);
  }

  bool WatchDevices(DeviceMonitor& owner) {
    context = udev_new();
    if (!context) return false;
    monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0)
      return false;
    deviceNotifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor), QSocketNotifier::Read);
    QObject::connect(deviceNotifier.get(), &QSocketNotifier::activated, [this, &owner] { OnDevice(owner); });
    return true;
  }

  // The kernel marks the mount table as changed with an exceptional condition on the open file.
  bool WatchMounts(DeviceMonitor& owner) {
    mountFd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (mountFd < 0) return false;
    mountNotifier = std::make_unique<QSocketNotifier>(mountFd, QSocketNotifier::Exception);
    QObject::connect(mountNotifier.get(), &QSocketNotifier::activated, [&owner] { owner.Rescan(); });
    return true;
  }

  void OnDevice(DeviceMonitor& owner) {
    udev_device* device = udev_monitor_receive_device(monitor);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const std::string text = action ? action : "";
    udev_device_unref(device);
    owner.OnDeviceEvent(text);
  }
};

DeviceMonitor::DeviceMonitor() : impl_(std::make_unique<Impl>()) {}

DeviceMonitor::~DeviceMonitor() = default;

bool DeviceMonitor::Start() {
  impl_->seen = DriveTableNow();
  const bool devices = impl_->WatchDevices(*this);
  const bool mounts = impl_->WatchMounts(*this);
  return devices || mounts;
}

void DeviceMonitor::Rescan() {
  DriveTableState now = DriveTableNow();
  const DriveTableChange change = CompareDriveTables(impl_->seen, now);
  impl_->seen = std::move(now);
  BroadcastDriveTableChange(change);
}

void DeviceMonitor::OnDeviceEvent(const std::string& action) {
  if (action == "add" || action == "remove") BroadcastDeviceChange(DBT_DEVNODES_CHANGED);
  Rescan();
}

}  // namespace plat
