// Follows the machine's block devices and mounts and tells the program's top-level windows:
// DBT_DEVNODES_CHANGED when a disk or partition comes or goes, then the removal and the arrival
// of the drive letters and removable disks that a change of devices or mounts brought (a card
// put into a reader is a change of its disk's medium). Made on the UI thread after the
// QApplication exists, once for the program's run; its notices are delivered on that thread.
#pragma once

#include <memory>
#include <string>

namespace plat {

class DeviceMonitor {
 public:
  DeviceMonitor();
  ~DeviceMonitor();
  DeviceMonitor(const DeviceMonitor&) = delete;
  DeviceMonitor& operator=(const DeviceMonitor&) = delete;

  // Takes the drive table as it is and starts watching; false when neither the devices nor the
  // mounts can be watched (the program then gets no notices).
  bool Start();
  // Compares the drive table with the one last seen and tells the windows what changed.
  void Rescan();
  // A block device event with its udev action ("add", "remove", "change"...).
  void OnDeviceEvent(const std::string& action);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat
