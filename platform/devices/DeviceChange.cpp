#include "platform/devices/DeviceChange.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <filesystem>

// The window layer's own list of top-level windows: the broadcast goes to the same windows that
// the layer keeps in z-order, hidden ones included, as a system broadcast would.
#include "platform/wnd/Window.h"

namespace plat {
namespace {

class MachineDriveTable : public IDriveTable {
 public:
  std::vector<VolumeInfo> Volumes() const override { return MachineVolumes(); }
};

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

void Deliver(WPARAM event, DWORD unitMask) {
  std::vector<HWND> tops;
  for (const Window* w : TopLevelWindows()) tops.push_back(w->handle);
  DEV_BROADCAST_VOLUME volume;
  volume.dbcv_unitmask = unitMask;
  const LPARAM data = event == DBT_DEVNODES_CHANGED ? 0 : reinterpret_cast<LPARAM>(&volume);
  // A window destroyed by an earlier handler is skipped: its handle finds nothing.
  for (HWND h : tops) ::SendMessage(h, WM_DEVICECHANGE, event, data);
}

}  // namespace

IDriveTable* SetDriveTable(IDriveTable* table) { return g_table.exchange(table ? table : &g_machine); }

std::vector<VolumeInfo> DriveTableVolumes() { return g_table.load()->Volumes(); }

std::vector<VolumeInfo> MachineVolumes() {
  std::vector<VolumeInfo> volumes = EnumerateVolumes();
  // A medium pulled out without unmounting stays in the mount table; its device node is gone.
  std::erase_if(volumes, [](const VolumeInfo& v) {
    std::error_code ec;
    return !std::filesystem::exists(v.device, ec);
  });
  return volumes;
}

DWORD UnitMaskOf(const std::vector<VolumeInfo>& volumes) {
  DWORD mask = 0;
  for (const VolumeInfo& v : volumes) mask |= LetterBit(v.letter);
  return mask;
}

DriveTableChange CompareDriveTables(const std::vector<VolumeInfo>& before, const std::vector<VolumeInfo>& after) {
  DriveTableChange change;
  auto kept = [](const std::vector<VolumeInfo>& in, const VolumeInfo& v) {
    return std::any_of(in.begin(), in.end(), [&](const VolumeInfo& o) { return SameVolume(o, v); });
  };
  for (const VolumeInfo& v : before)
    if (!kept(after, v)) change.removed |= LetterBit(v.letter);
  for (const VolumeInfo& v : after)
    if (!kept(before, v)) change.arrived |= LetterBit(v.letter);
  return change;
}

void BroadcastDeviceChange(WPARAM event, DWORD unitMask) {
  if (event != DBT_DEVNODES_CHANGED && unitMask == 0) return;
  if (OnUiThread()) {
    Deliver(event, unitMask);
    return;
  }
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, [event, unitMask] { Deliver(event, unitMask); }, Qt::QueuedConnection);
}

void BroadcastDriveTableChange(const DriveTableChange& change) {
  BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, change.removed);
  BroadcastDeviceChange(DBT_DEVICEARRIVAL, change.arrived);
}

}  // namespace plat

DWORD GetLogicalDrives() { return plat::UnitMaskOf(plat::DriveTableVolumes()); }
