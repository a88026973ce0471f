// Cards as the main window finds them on a fake drive table with the fake engine: the arrival
// scan, removals, dropped backups, the card's password and forgetting the open source.
#include <filesystem>

#include "platform/devices/FakeDriveTable.h"
#include "tests/fixtures/FileBytes.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "users/ConfirmDlg.h"

namespace {

plat::VolumeInfo CardVolume(char letter, unsigned drive) {
  plat::VolumeInfo v;
  v.letter = letter;
  v.mountPoint = std::string("/media/driver/") + letter + "/";
  v.device = "/dev/sdz" + std::to_string(drive);
  v.driveNumber = drive;
  v.removable = true;
  return v;
}

CardConfigBlock Accounts(const wchar_t* user1, const wchar_t* password1, const wchar_t* user2, const wchar_t* password2) {
  CardConfigBlock block;
  DefaultCardConfigBlock(&block, 0);
  block.SetUserName(1, user1);
  block.SetPassword(1, password1);
  block.SetUserName(2, user2);
  block.SetPassword(2, password2);
  return block;
}

// The next password dialog gets the account, or is cancelled.
void Answer(const CString& user, const CString& password, bool ok = true) {
  plat::test::WhileModal([=] {
    CWnd* dialog = CWnd::GetFocus()->GetParent();
    dialog->GetDlgItem(CConfirmDlg::kUserNameEdit)->SetWindowText(user);
    dialog->GetDlgItem(CConfirmDlg::kPasswordEdit)->SetWindowText(password);
    plat::test::Key(WM_KEYDOWN, ok ? VK_RETURN : VK_ESCAPE);
  });
}

}  // namespace

class CardsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // The card dialog reads the card image; the fake engine lists the same recordings from a backup.
    card_ = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kCard, 3, 2.0), dir_.File("card.img"));
    ASSERT_TRUE(card_ && fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0), cardEntries_));
    ASSERT_TRUE(fake_.engine().UseStore(cardEntries_));
    ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("blank.img"), std::vector<std::uint8_t>(1 << 20, 0)));
    env_.Set("PLAYER_DRIVE_40", dir_.File("blank.img").c_str());
    env_.Set("PLAYER_DRIVE_41", card_->path.c_str());
  }
  std::optional<fixtures::Layout> card_;
  const std::string cardEntries_ = dir_.File("card-entries.sd");
  ScopedEnvironment env_;
  plat::test::FakeDriveTable drives_;
};

// Drives A (blank) and B (a card): without AutoPlay nothing opens; with it the next arrival opens
// B, the first that lists recordings. While it is open arrivals do nothing; removing another
// drive keeps it, removing B forgets it.
TEST_F(CardsTest, TheArrivalScanOpensTheFirstCardAndItsRemovalIsNoticed) {
  WriteConfig("AutoPlay=0\n");
  CMainDlg& dlg = Start(1920, 1080);
  drives_.Arrive(CardVolume('E', 40));
  drives_.Arrive(CardVolume('F', 41));
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_TRUE(CallsNamed("SetSource").empty());

  g_appConfig.WriteConfigInt(L"AutoPlay", 1);
  drives_.Arrive(CardVolume('G', 42));
  EXPECT_TRUE(dlg.HasCardDrive());
  EXPECT_EQ(CallsNamed("SetSource"), std::vector<std::string>{"SetSource(dvk2://41)"});
  EXPECT_EQ(dlg.GetSpans().size(), 3u);
  EXPECT_EQ(dlg.GetDiskDlg().GetCurrentDriveText(), L"F:/");
  EXPECT_FALSE(dlg.GetDiskDlg().IsWindowVisible());
  EXPECT_TRUE(dlg.IsPasswordAccepted());  // the card's settings are missing: no password

  EXPECT_EQ(dlg.SendMessage(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), 0);
  DEV_BROADCAST_VOLUME arrival;
  EXPECT_EQ(dlg.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&arrival)), 0);
  drives_.Remove('G');
  drives_.Remove('E');
  EXPECT_TRUE(dlg.HasCardDrive());
  drives_.Arrive(CardVolume('H', 42));  // a letter that came after the scan does not hide F's going
  drives_.Remove('F');
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_EQ(CallsNamed("SetSource").size(), 1u);
}

// Only the first of three dropped files counts; a backup opens in the card dialog, which is shown
// in backup-file mode. Forgetting the view empties everything the source had set.
TEST_F(CardsTest, OnlyTheFirstDroppedFileOpensAndClearRecordViewForgetsTheSource) {
  const std::string backup = dir_.File("trip.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0), backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));
  CMainDlg& dlg = Start(1920, 1080);
  fake_.engine().ClearCalls();
  ASSERT_TRUE(plat::DropFiles(dlg.GetSafeHwnd(), {CString(backup), CString(card_->path), L"x.log"}, {20, 20}));
  EXPECT_EQ(CallsNamed("SetSource"), std::vector<std::string>{"SetSource(" + backup + ")"});
  EXPECT_TRUE(dlg.GetDiskDlg().IsWindowVisible());
  EXPECT_EQ(dlg.GetDiskDlg().GetSourceMode(), CDiskDlg::kBackupFileMode);
  EXPECT_EQ(dlg.GetSpans().size(), 2u);
  // A backup being watched is not replaced by a card that comes in.
  drives_.Arrive(CardVolume('F', 41));
  EXPECT_FALSE(dlg.HasCardDrive());

  ASSERT_TRUE(fake_.engine().UseStore(cardEntries_));
  EXPECT_TRUE(dlg.OpenCard(L"F:/"));
  dlg.GetTimeRangeSlider().SetRange(5, 500);
  dlg.ClearRecordView();
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_TRUE(dlg.GetSpans().empty());
  EXPECT_EQ(CallsNamed("SetSource").back(), "SetSource()");
  EXPECT_EQ(dlg.GetTimeRangeSlider().GetRangeMax(), 1);
  EXPECT_EQ(dlg.GetDiskDlg().RemovableList().GetCurSel(), -1);
  EXPECT_EQ(dlg.GetDiskDlg().GetSourceText(), L"");
}

// Both passwords empty: no dialog. Password 1 empty, password 2 "x": only (user2, "x") passes,
// compared within the 16 bytes the card holds. A wrong account gets the box; Cancel gets none.
TEST_F(CardsTest, TheCardPasswordAcceptsOnlyAnAccountThatHasOne) {
  CMainDlg& dlg = Start(1920, 1080);
  const CardConfigBlock open = Accounts(L"user1", L"", L"user2", L"");
  EXPECT_TRUE(dlg.CheckCardPassword(&open));
  const CardConfigBlock second = Accounts(L"user1", L"", L"user2", L"x");
  Answer(L"user1", L"");
  EXPECT_FALSE(dlg.CheckCardPassword(&second));
  ASSERT_EQ(plat::test::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::test::MessageBoxes()[0].text, L"Password Protected! Please input right password...");
  Answer(L"user2", L"x");
  EXPECT_TRUE(dlg.CheckCardPassword(&second));
  EXPECT_NE(dlg.GetDiskDlg().GetCardPasswordHash(), 0);
  const CardConfigBlock full = Accounts(L"fleet-manager-01", L"0123456789abcdef", L"", L"");
  Answer(L"fleet-manager-01", L"0123456789abcdef");
  EXPECT_TRUE(dlg.CheckCardPassword(&full));
  Answer(L"fleet-manager-01", L"0123456789abcdef", false);
  EXPECT_FALSE(dlg.CheckCardPassword(&full));
  EXPECT_EQ(plat::test::MessageBoxes().size(), 1u);
}

// Disks this user may not read (here a file that nobody may open for reading) are reported once
// per scan, however many of them there are.
TEST_F(CardsTest, DisksThisUserMayNotReadAreReportedOncePerScan) {
  const char* unreadable = "/sys/bus/pci/rescan";
  if (!std::filesystem::exists(unreadable)) GTEST_SKIP() << "no file here that nobody may read";
  env_.Set("PLAYER_DRIVE_41", nullptr);
  env_.Set("PLAYER_DRIVE_44", unreadable);
  env_.Set("PLAYER_DRIVE_45", unreadable);
  CMainDlg& dlg = Start(1920, 1080);
  ASSERT_EQ(plat::test::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::test::MessageBoxes()[0].text.Find(L"sudo adduser $USER disk"), -1);
  drives_.Arrive(CardVolume('E', 44));
  EXPECT_EQ(plat::test::MessageBoxes().size(), 2u);
  EXPECT_FALSE(dlg.HasCardDrive());
}
