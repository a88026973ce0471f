// A drive table for tests: volumes and drives come and go when the test says, and the program's top-level
// windows get the same notices as from the machine. Installs itself for its lifetime.
#pragma once

#include <vector>

#include "platform/devices/DeviceChange.h"

namespace plat::test {

class FakeDriveTable : public IDriveTable {
 public:
  // Starts with the given volumes and drives, without notices.
  explicit FakeDriveTable(std::vector<VolumeInfo> volumes = {}, std::vector<DriveInfo> drives = {});
  ~FakeDriveTable() override;
  FakeDriveTable(const FakeDriveTable&) = delete;
  FakeDriveTable& operator=(const FakeDriveTable&) = delete;

  std::vector<VolumeInfo> Volumes() const override { return state_.volumes; }
  std::vector<DriveInfo> Drives() const override { return state_.drives; }

  // The volume joins the table (replacing one with its letter) and the windows get
  // DBT_DEVNODES_CHANGED and then the change of the table.
  void Arrive(const VolumeInfo& volume);
  // The volume with the letter leaves the table; the windows get DBT_DEVNODES_CHANGED and then
  // the removal. A letter not in the table changes nothing but the first notice.
  void Remove(char letter);
  // The drive joins the table (replacing one with its number), with notices as for a volume.
  void ArriveDrive(const DriveInfo& drive);
  // The drive with the number leaves the table, with its volumes.
  void RemoveDrive(unsigned number);

 private:
  void Change(DriveTableState now);

  DriveTableState state_;
  IDriveTable* previous_;
};

}  // namespace plat::test
