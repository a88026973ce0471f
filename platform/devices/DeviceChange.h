// Device-change notices: WM_DEVICECHANGE as the program's top-level windows receive it when a
// volume with a drive letter or a removable disk comes or goes, the records it carries, and the
// bit mask of the drive letters in use. The drive table behind them is a service: the machine's
// own volumes and disks by default (letters as EnumerateVolumes gives them), a fake in tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/File.h"
#include "platform/Types.h"
#include "platform/wnd/WinMessages.h"

// Events of WM_DEVICECHANGE (wParam).
constexpr WPARAM DBT_DEVNODES_CHANGED = 0x0007;
constexpr WPARAM DBT_DEVICEARRIVAL = 0x8000;
constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;

// Device types of the record's header.
constexpr DWORD DBT_DEVTYP_VOLUME = 0x0002;
constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 0x0005;
// Volume flags: the medium of an existing drive changed.
constexpr WORD DBTF_MEDIA = 0x0001;

struct DEV_BROADCAST_HDR {
  DWORD dbch_size = sizeof(DEV_BROADCAST_HDR);
  DWORD dbch_devicetype = 0;
  DWORD dbch_reserved = 0;
};
using PDEV_BROADCAST_HDR = DEV_BROADCAST_HDR*;

// lParam of an arrival or removal: bit n of the unit mask is drive letter 'A' + n. The record
// lives while the handler runs; a handler keeps a copy, never the pointer.
struct DEV_BROADCAST_VOLUME {
  DWORD dbcv_size = sizeof(DEV_BROADCAST_VOLUME);
  DWORD dbcv_devicetype = DBT_DEVTYP_VOLUME;
  DWORD dbcv_reserved = 0;
  DWORD dbcv_unitmask = 0;
  WORD dbcv_flags = 0;
};
using PDEV_BROADCAST_VOLUME = DEV_BROADCAST_VOLUME*;

// lParam of the arrival or removal of a removable disk, whether a volume of it is mounted or not:
// the disk's device path ("/dev/sdb", or the file its drive number is mapped to), cut to the
// name's room. The record lives while the handler runs.
struct DEV_BROADCAST_DEVICEINTERFACE {
  DWORD dbcc_size = sizeof(DEV_BROADCAST_DEVICEINTERFACE);
  DWORD dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  DWORD dbcc_reserved = 0;
  wchar_t dbcc_name[260] = {};
};

// The drive letters of the volumes in the table: bit n is drive letter 'A' + n.
DWORD GetLogicalDrives();

namespace plat {

class IDriveTable {
 public:
  virtual ~IDriveTable() = default;
  // The volumes that have a drive letter now.
  virtual std::vector<VolumeInfo> Volumes() const = 0;
  // The physical drives that hold a medium now, removable or not.
  virtual std::vector<DriveInfo> Drives() const = 0;
};

// The machine's table, read from the kernel's tables under the given roots.
class MachineDriveTable : public IDriveTable {
 public:
  explicit MachineDriveTable(SystemRoots roots = {}) : roots_(std::move(roots)) {}
  std::vector<VolumeInfo> Volumes() const override { return EnumerateVolumes(roots_); }
  std::vector<DriveInfo> Drives() const override;

 private:
  SystemRoots roots_;
};

// Installs a drive table (null: the machine's own again); returns the previous one.
IDriveTable* SetDriveTable(IDriveTable* table);
// The volumes of the installed table: what GetLogicalDrives and the notices describe.
std::vector<VolumeInfo> DriveTableVolumes();
// The drives of the installed table.
std::vector<DriveInfo> DriveTableDrives();
DWORD UnitMaskOf(const std::vector<VolumeInfo>& volumes);

// The installed table at one moment.
struct DriveTableState {
  std::vector<VolumeInfo> volumes;
  std::vector<DriveInfo> drives;
};
DriveTableState DriveTableNow();

// Letters whose volume went (or now names another volume), and letters whose volume came; the
// device paths of the removable disks that went and came.
struct DriveTableChange {
  DWORD removed = 0;
  DWORD arrived = 0;
  std::vector<std::string> disksRemoved;
  std::vector<std::string> disksArrived;
};
DriveTableChange CompareDriveTables(const DriveTableState& before, const DriveTableState& after);

// Sends WM_DEVICECHANGE to every top-level window, on the UI thread: a volume record with the
// unit mask for an arrival or removal, no record (lParam 0) for DBT_DEVNODES_CHANGED. From
// another thread the notice is carried to the UI thread. An empty mask sends nothing.
void BroadcastDeviceChange(WPARAM event, DWORD unitMask = 0);
// Sends WM_DEVICECHANGE with a disk's record (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE), as
// BroadcastDeviceChange does.
void BroadcastDiskChange(WPARAM event, const std::string& device);
// The removals first (letters, then disks), then the arrivals (letters, then disks), as a letter
// that changed volume is seen.
void BroadcastDriveTableChange(const DriveTableChange& change);

}  // namespace plat
