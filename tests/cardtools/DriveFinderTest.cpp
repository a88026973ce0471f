// Card candidates on a drive table made up here: removable disks first, fixed disks other than
// the system's after them, never a disk that holds the system.
#include <gtest/gtest.h>

#include "cardtools/DriveFinder.h"
#include "platform/wnd/ComboBox.h"
#include "tests/support/TestHarness.h"

namespace {

plat::VolumeInfo Volume(char letter, const char* mountPoint, std::optional<unsigned> drive) {
  plat::VolumeInfo v;
  v.letter = letter;
  v.mountPoint = mountPoint;
  v.driveNumber = drive;
  return v;
}

plat::DriveInfo Drive(unsigned number, bool removable, bool system = false) {
  plat::DriveInfo d;
  d.number = number;
  d.device = "/dev/disk" + std::to_string(number);
  d.removable = removable;
  d.system = system;
  return d;
}

std::vector<CString> Entries(const CComboBox& list) {
  std::vector<CString> texts(static_cast<size_t>(list.GetCount()));
  for (int i = 0; i < list.GetCount(); ++i) list.GetLBText(i, texts[static_cast<size_t>(i)]);
  return texts;
}

}  // namespace

TEST(DriveFinderTest, RemovableDisksComeFirstAndSystemDisksNever) {
  DriveTable table;
  table.volumes = {Volume('C', "/", 0),           Volume('D', "/boot/", 0),    Volume('E', "/media/a/CARD/", 2),
                   Volume('F', "/mnt/data/", 1),   Volume('G', "/media/a/CARD2/", 2), Volume('H', "/home/", 3),
                   Volume('I', "/run/user/", {}),  Volume('J', "/media/a/STICK/", 5)};
  table.drives = {Drive(0, false, true), Drive(1, false), Drive(2, true), Drive(3, false), Drive(4, true),
                  Drive(5, true)};
  table.systemDrives = {0, 3, 5};  // 3 holds /home, 5 swap
  const CardDriveCandidates found = FindCardDriveCandidates(table);
  EXPECT_EQ(found.removable, (std::vector<CString>{L"E:/", L"//./PhysicalDrive4"}));
  EXPECT_EQ(found.fixed, (std::vector<CString>{L"F:/"}));

  EXPECT_EQ(DriveNumberOfText(L"e:\\", table), 2u);
  EXPECT_EQ(DriveNumberOfText(L"\\\\.\\physicaldrive12", table), 12u);
  for (const wchar_t* none : {L"Z:/", L"I:/", L"//./PhysicalDrive", L"//./PhysicalDrive4x", L"E:/dcim", L""}) {
    EXPECT_FALSE(DriveNumberOfText(none, table)) << CString(none).ToUtf8();
  }

  // Two lists get both kinds; one list given twice, the one that is scanned for cards, gets every
  // candidate, removable first, and a list not given keeps what it had.
  plat::test::Reset();
  plat::test::SpyWnd parent;
  ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 200)));
  CComboBox removable, local;
  ASSERT_TRUE(removable.Create(CBS_DROPDOWNLIST | WS_VISIBLE, CRect(0, 0, 200, 100), &parent, 1));
  ASSERT_TRUE(local.Create(CBS_DROPDOWNLIST | WS_VISIBLE, CRect(0, 30, 200, 130), &parent, 2));
  removable.AddString(L"old");
  FindCardDrives(&removable, &local, table);
  EXPECT_EQ(Entries(removable), found.removable);
  EXPECT_EQ(Entries(local), found.fixed);
  local.AddString(L"kept");
  FindCardDrives(&removable, &removable, table);
  EXPECT_EQ(Entries(removable), (std::vector<CString>{L"E:/", L"//./PhysicalDrive4", L"F:/"}));
  EXPECT_EQ(Entries(local), (std::vector<CString>{L"F:/", L"kept"}));
}
