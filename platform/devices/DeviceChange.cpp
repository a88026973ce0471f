#include "platform/devices/DeviceChange.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <iterator>

// The window layer's own list of top-level windows: the broadcast goes to the same windows that
// the layer keeps in z-order, hidden ones included, as a system broadcast would.
#include "platform/wnd/Window.h"
#include "platform/String.h"

namespace plat {
namespace {

MachineDriveTable g_machine;
std::atomic<IDriveTable*> g_table{&g_machine};

bool OnUiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

DWORD LetterBit(char letter) {
  return letter >= 'A' && letter <= 'Z' ? DWORD{1} << (letter - 'A') : 0;
}

bool SameVolume(const VolumeInfo& a, const VolumeInfo& b) {
  return a.letter == b.letter && a.device == b.device && a.mountPoint == b.mountPoint;
}

// The device paths of the table's removable disks.
std::vector<std::string> RemovableDisks(const std::vector<DriveInfo>& drives) {
  std::vector<std::string> disks;
  for (const DriveInfo& d : drives)
    if (d.removable && d.medium) disks.push_back(d.device);
  return disks;
}

// Those of `from` that `in` lacks.
std::vector<std::string> Missing(const std::vector<std::string>& from, const std::vector<std::string>& in) {
  std::vector<std::string> missing;
  for (const std::string& d : from)
    if (std::find(in.begin(), in.end(), d) == in.end()) missing.push_back(d);
  return missing;
}

DEV_BROADCAST_VOLUME VolumeRecord(DWORD unitMask) {
  DEV_BROADCAST_VOLUME volume;
  volume.dbcv_unitmask = unitMask;
  return volume;
}

DEV_BROADCAST_DEVICEINTERFACE DiskRecord(const std::string& device) {
  DEV_BROADCAST_DEVICEINTERFACE disk;
  const std::wstring name = CString::FromUtf8(device).GetString();
  const std::size_t n = std::min(name.size(), std::size(disk.dbcc_name) - 1);
  std::copy_n(name.begin(), n, disk.dbcc_name);
  return disk;
}

void Deliver(WPARAM event, LPARAM data) {
  std::vector<HWND> tops;
  for (const Window* w : TopLevelWindows()) tops.push_back(w->handle);
  // A window destroyed by an earlier handler is skipped: its handle finds nothing.
  for (HWND h : tops) ::SendMessage(h, WM_DEVICECHANGE, event, data);
}

// Delivers the notice with a copy of its record on the UI thread, now or (from another thread)
// when that thread gets to it.
template <class Record>
void DeliverOnUiThread(WPARAM event, const Record* record) {
  if (OnUiThread()) {
    Deliver(event, reinterpret_cast<LPARAM>(record));
    return;
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (!record) {
    QMetaObject::invokeMethod(app, [event] { Deliver(event, 0); }, Qt::QueuedConnection);
    return;
  }
  QMetaObject::invokeMethod(app, [event, copy = *record] { Deliver(event, reinterpret_cast<LPARAM>(&copy)); },
                            Qt::QueuedConnection);
}

}  // namespace

std::vector<DriveInfo> MachineDriveTable::Drives() const {
  std::vector<DriveInfo> drives = EnumerateDrives(roots_);
  std::erase_if(drives, [](const DriveInfo& d) { return !d.medium; });
  return drives;
}

IDriveTable* SetDriveTable(IDriveTable* table) { return g_table.exchange(table ? table : &g_machine); }

std::vector<VolumeInfo> DriveTableVolumes() { return g_table.load()->Volumes(); }

std::vector<DriveInfo> DriveTableDrives() { return g_table.load()->Drives(); }

DriveTableState DriveTableNow() {
  const IDriveTable* table = g_table.load();
  return {table->Volumes(), table->Drives()};
}

DWORD UnitMaskOf(const std::vector<VolumeInfo>& volumes) {
  DWORD mask = 0;
  for (const VolumeInfo& v : volumes) mask |= LetterBit(v.letter);
  return mask;
}

DriveTableChange CompareDriveTables(const DriveTableState& before, const DriveTableState& after) {
  DriveTableChange change;
  auto kept = [](const std::vector<VolumeInfo>& in, const VolumeInfo& v) {
    return std::any_of(in.begin(), in.end(), [&](const VolumeInfo& o) { return SameVolume(o, v); });
  };
  for (const VolumeInfo& v : before.volumes)
    if (!kept(after.volumes, v)) change.removed |= LetterBit(v.letter);
  for (const VolumeInfo& v : after.volumes)
    if (!kept(before.volumes, v)) change.arrived |= LetterBit(v.letter);
  const std::vector<std::string> disksBefore = RemovableDisks(before.drives);
  const std::vector<std::string> disksAfter = RemovableDisks(after.drives);
  change.disksRemoved = Missing(disksBefore, disksAfter);
  change.disksArrived = Missing(disksAfter, disksBefore);
  return change;
}

void BroadcastDeviceChange(WPARAM event, DWORD unitMask) {
  if (event == DBT_DEVNODES_CHANGED) {
    DeliverOnUiThread<DEV_BROADCAST_VOLUME>(event, nullptr);
    return;
  }
  if (unitMask == 0) return;
  const DEV_BROADCAST_VOLUME volume = VolumeRecord(unitMask);
  DeliverOnUiThread(event, &volume);
}

void BroadcastDiskChange(WPARAM event, const std::string& device) {
  const DEV_BROADCAST_DEVICEINTERFACE disk = DiskRecord(device);
  DeliverOnUiThread(event, &disk);
}

void BroadcastDriveTableChange(const DriveTableChange& change) {
  BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, change.removed);
  for (const std::string& d : change.disksRemoved) BroadcastDiskChange(DBT_DEVICEREMOVECOMPLETE, d);
  BroadcastDeviceChange(DBT_DEVICEARRIVAL, change.arrived);
  for (const std::string& d : change.disksArrived) BroadcastDiskChange(DBT_DEVICEARRIVAL, d);
}

}  // namespace plat

DWORD GetLogicalDrives() { return plat::UnitMaskOf(plat::DriveTableVolumes()); }
