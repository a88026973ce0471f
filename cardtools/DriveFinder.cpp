#include "cardtools/DriveFinder.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/devices/DeviceChange.h"
#include "platform/wnd/ComboBox.h"

namespace {

constexpr const wchar_t* kPhysicalDrivePrefix = L"//./PhysicalDrive";
const char* const kSystemMounts[] = {"/", "/boot/", "/boot/efi/", "/home/"};

CString VolumeText(char letter) {
  CString text;
  text.Format(L"%c:/", static_cast<wchar_t>(letter));
  return text;
}

CString WholeDiskText(unsigned driveNo) {
  CString text;
  text.Format(L"%ls%u", kPhysicalDrivePrefix, driveNo);
  return text;
}

// The whole disk of a block device name ("sdb1" -> "sdb"); the name itself for a whole disk.
std::string DiskOfBlockName(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path device = fs::canonical(fs::path("/sys/class/block") / name, ec);
  if (ec) return name;
  return fs::exists(device / "partition", ec) ? device.parent_path().filename().string() : name;
}

// The devices that /proc/swaps lists.
std::vector<std::string> SwapDevices() {
  std::ifstream swaps("/proc/swaps");
  std::vector<std::string> devices;
  std::string line;
  std::getline(swaps, line);  // the heading
  while (std::getline(swaps, line)) {
    std::istringstream fields(line);
    std::string device;
    if (fields >> device && device.rfind("/dev/", 0) == 0) devices.push_back(device.substr(5));
  }
  return devices;
}

void AddSystemDrives(DriveTable& table) {
  for (const plat::DriveInfo& d : table.drives) {
    if (d.system) table.systemDrives.insert(d.number);
  }
  for (const plat::VolumeInfo& v : table.volumes) {
    const bool system = std::any_of(std::begin(kSystemMounts), std::end(kSystemMounts),
                                    [&](const char* point) { return v.mountPoint == point; });
    if (system && v.driveNumber) table.systemDrives.insert(*v.driveNumber);
  }
  for (const std::string& swap : SwapDevices()) {
    const std::string disk = "/dev/" + DiskOfBlockName(swap);
    for (const plat::DriveInfo& d : table.drives) {
      if (d.device == disk) table.systemDrives.insert(d.number);
    }
  }
}

const plat::DriveInfo* FindDrive(const DriveTable& table, unsigned number) {
  for (const plat::DriveInfo& d : table.drives) {
    if (d.number == number) return &d;
  }
  return nullptr;
}

const plat::VolumeInfo* VolumeOfText(const CString& text, const DriveTable& table) {
  CString t = text;
  t.Replace(L'\\', L'/');
  if (t.GetLength() < 2 || t.GetLength() > 3 || t[1] != L':' || (t.GetLength() == 3 && t[2] != L'/')) return nullptr;
  const wchar_t letter = static_cast<wchar_t>(std::towupper(t[0]));
  for (const plat::VolumeInfo& v : table.volumes) {
    if (static_cast<wchar_t>(v.letter) == letter) return &v;
  }
  return nullptr;
}

void Fill(CComboBox* list, const std::vector<CString>& texts) {
  for (const CString& t : texts) list->AddString(t);
}

}  // namespace

DriveTable ReadDriveTable() {
  DriveTable table;
  table.volumes = plat::DriveTableVolumes();
  table.drives = plat::DriveTableDrives();
  AddSystemDrives(table);
  return table;
}

CardDriveCandidates FindCardDriveCandidates(const DriveTable& table) {
  CardDriveCandidates found;
  std::set<unsigned> named;
  for (const plat::VolumeInfo& v : table.volumes) {
    if (!v.driveNumber || table.systemDrives.count(*v.driveNumber) || !named.insert(*v.driveNumber).second) continue;
    const plat::DriveInfo* drive = FindDrive(table, *v.driveNumber);
    const bool removable = drive ? drive->removable : v.removable;
    (removable ? found.removable : found.fixed).push_back(VolumeText(v.letter));
  }
  for (const plat::DriveInfo& d : table.drives) {
    if (d.removable && !table.systemDrives.count(d.number) && !named.count(d.number)) {
      found.removable.push_back(WholeDiskText(d.number));
    }
  }
  return found;
}

void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList, const DriveTable& table) {
  const CardDriveCandidates found = FindCardDriveCandidates(table);
  if (removableList) {
    removableList->ResetContent();
    Fill(removableList, found.removable);
    if (localDiskList == removableList) Fill(removableList, found.fixed);
  }
  if (localDiskList && localDiskList != removableList) {
    localDiskList->ResetContent();
    Fill(localDiskList, found.fixed);
  }
}

void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList) {
  FindCardDrives(removableList, localDiskList, ReadDriveTable());
}

std::optional<unsigned> DriveNumberOfText(const CString& text, const DriveTable& table) {
  CString t = text;
  t.Replace(L'\\', L'/');
  const CString prefix(kPhysicalDrivePrefix);
  if (t.Left(prefix.GetLength()).CompareNoCase(prefix) == 0) {
    const CString digits = t.Mid(prefix.GetLength());
    if (digits.IsEmpty() || digits.GetLength() > 6 || digits.SpanIncluding(L"0123456789") != digits) return std::nullopt;
    return static_cast<unsigned>(std::wcstoul(digits, nullptr, 10));
  }
  const plat::VolumeInfo* v = VolumeOfText(t, table);
  return v ? v->driveNumber : std::nullopt;
}

DriveAccess ProbeDriveAccess(unsigned driveNo) {
  plat::File drive;
  if (drive.OpenDrive(driveNo, plat::kRead)) return DriveAccess::kReadable;
  const int error = drive.LastError();
  return error == EACCES || error == EPERM ? DriveAccess::kDenied : DriveAccess::kMissing;
}
