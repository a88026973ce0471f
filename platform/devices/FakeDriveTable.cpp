#include "platform/devices/FakeDriveTable.h"

#include <algorithm>

namespace plat::test {

FakeDriveTable::FakeDriveTable(std::vector<VolumeInfo> volumes)
    : volumes_(std::move(volumes)), previous_(SetDriveTable(this)) {}

FakeDriveTable::~FakeDriveTable() { SetDriveTable(previous_); }

void FakeDriveTable::Arrive(const VolumeInfo& volume) {
  std::vector<VolumeInfo> now = volumes_;
  std::erase_if(now, [&](const VolumeInfo& v) { return v.letter == volume.letter; });
  now.push_back(volume);
  Change(std::move(now));
}

void FakeDriveTable::Remove(char letter) {
  std::vector<VolumeInfo> now = volumes_;
  std::erase_if(now, [&](const VolumeInfo& v) { return v.letter == letter; });
  Change(std::move(now));
}

void FakeDriveTable::Change(std::vector<VolumeInfo> now) {
  const DriveTableChange change = CompareDriveTables(volumes_, now);
  volumes_ = std::move(now);
  BroadcastDeviceChange(DBT_DEVNODES_CHANGED);
  BroadcastDriveTableChange(change);
}

}  // namespace plat::test
