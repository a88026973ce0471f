#include "tests/support/FakeDriveTable.h"

#include <algorithm>

namespace plat::test {

FakeDriveTable::FakeDriveTable(std::vector<VolumeInfo> volumes, std::vector<DriveInfo> drives)
    : state_{std::move(volumes), std::move(drives)}, previous_(SetDriveTable(this)) {}

FakeDriveTable::~FakeDriveTable() { SetDriveTable(previous_); }

void FakeDriveTable::Arrive(const VolumeInfo& volume) {
  DriveTableState now = state_;
  std::erase_if(now.volumes, [&](const VolumeInfo& v) { return v.letter == volume.letter; });
  now.volumes.push_back(volume);
  Change(std::move(now));
}

void FakeDriveTable::Remove(char letter) {
  DriveTableState now = state_;
  std::erase_if(now.volumes, [&](const VolumeInfo& v) { return v.letter == letter; });
  Change(std::move(now));
}

void FakeDriveTable::ArriveDrive(const DriveInfo& drive) {
  DriveTableState now = state_;
  std::erase_if(now.drives, [&](const DriveInfo& d) { return d.number == drive.number; });
  now.drives.push_back(drive);
  Change(std::move(now));
}

void FakeDriveTable::RemoveDrive(unsigned number) {
  DriveTableState now = state_;
  std::erase_if(now.drives, [&](const DriveInfo& d) { return d.number == number; });
  std::erase_if(now.volumes, [&](const VolumeInfo& v) { return v.driveNumber == number; });
  Change(std::move(now));
}

void FakeDriveTable::Change(DriveTableState now) {
  const DriveTableChange change = CompareDriveTables(state_, now);
  state_ = std::move(now);
  BroadcastDeviceChange(DBT_DEVNODES_CHANGED);
  BroadcastDriveTableChange(change);
}

}  // namespace plat::test
