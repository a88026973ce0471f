// Which drives may hold a recorder card. A drive is named by its drive text: "E:/" for a mounted
// volume of the platform's drive table (a card's small FAT32 partition that the desktop mounts),
// "//./PhysicalDriveN" for a removable disk without a mounted volume. Either way the card is read
// from its whole disk, the physical drive. Finding drives only reads the tables of the system;
// nothing is opened, let alone written.
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

// The volumes and drives of the platform's drive table (the machine's, or a test's).
DriveTable ReadDriveTable();

struct CardDriveCandidates {
  std::vector<CString> removable;  // removable disks: their mounted volumes, else the whole disk
  std::vector<CString> fixed;      // mounted volumes of fixed disks other than the system disks
};
// One text per disk, the disk's first volume in the table's order.
CardDriveCandidates FindCardDriveCandidates(const DriveTable& table);

// Fills the removable-drive list with the removable candidates and the local-disk list with the
// fixed ones. Given the same list twice, that list receives every candidate, removable first: the
// list that is scanned for cards also reaches card readers that report a fixed disk.
void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList, const DriveTable& table);
void FindCardDrives(CComboBox* removableList, CComboBox* localDiskList);

// The physical drive number that a drive text names; nothing for any other text.
std::optional<unsigned> DriveNumberOfText(const CString& text, const DriveTable& table);

// Whether this user may read a physical drive, found by opening it read-only (and closing it).
// Block devices belong to the group "disk"; a user outside it is denied them.
enum class DriveAccess { kReadable, kDenied, kMissing };
DriveAccess ProbeDriveAccess(unsigned driveNo);
