// Which drives may hold a recorder card. A drive is named by its drive text: "E:/" for a mounted
// volume of the platform's drive table, "//./PhysicalDriveN" for a removable disk without a
// mounted volume (a card that the desktop does not mount). Finding drives only reads the tables
// of the system; nothing is opened, let alone written.
#pragma once

#include <optional>
#include <set>
#include <vector>

#include "platform/File.h"
#include "platform/String.h"

class CComboBox;

struct DriveTable {
  std::vector<plat::VolumeInfo> volumes;
  std::vector<plat::DriveInfo> drives;
  // Disks that hold the root, /boot or /home file system, or swap: never card candidates.
  std::set<unsigned> systemDrives;
};

// The machine's volumes and disks as the platform enumerates them.
DriveTable ReadDriveTable();

struct CardDriveCandidates {
  std::vector<CString> removable;  // removable disks: their mounted volumes, else the whole disk
  std::vector<CString> fixed;      // mounted volumes of fixed disks other than the system disks
};
// One text per disk, the disk's first volume in the table's order.
CardDriveCandidates FindCardDriveCandidates(const DriveTable& table);

// Fills the removable-drive list with the removable candidates and the local-disk list with the
// fixed ones. Given the same list twice, it receives the removable drives only: a list that is
// scanned for cards must never lead to fixed disks being opened as cards.
void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList, const DriveTable& table);
void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList);

// The physical drive number that a drive text names; nothing for any other text.
std::optional<unsigned> DriveNumberOfText(const CString& text, const DriveTable& table);
