// A drive table for tests: volumes come and go when the test says, and the program's top-level
// windows get the same notices as from the machine. Installs itself for its lifetime.
#pragma once

#include <vector>

#include "platform/devices/DeviceChange.h"

namespace plat::test {

class FakeDriveTable : public IDriveTable {
 public:
  // Starts with the given volumes, without notices.
  explicit FakeDriveTable(std::vector<VolumeInfo> volumes = {});
  ~FakeDriveTable() override;
  FakeDriveTable(const FakeDriveTable&) = delete;
  FakeDriveTable& operator=(const FakeDriveTable&) = delete;

  std::vector<VolumeInfo> Volumes() const override { return volumes_; }

  // The volume joins the table (replacing one with its letter) and the windows get
  // DBT_DEVNODES_CHANGED and then the change of the table.
  void Arrive(const VolumeInfo& volume);
  // The volume with the letter leaves the table; the windows get DBT_DEVNODES_CHANGED and then
  // the removal. A letter not in the table changes nothing but the first notice.
  void Remove(char letter);

 private:
  void Change(std::vector<VolumeInfo> now);

  std::vector<VolumeInfo> volumes_;
  IDriveTable* previous_;
};

}  // namespace plat::test
