// Cards as the main window finds them on a fake drive table: the arrival scan, removals, dropped
// backups, the card's password and forgetting the open source, with the fake engine; and a card
// image arriving on the real engine.
#include <filesystem>

#include "engine/IIbpCtrl.h"
#include "testdata/FileBytes.h"
#include "testdata/StoreBuilder.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/support/FakeDriveTable.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"
#include "users/ConfirmDlg.h"

namespace {

plat::VolumeInfo CardVolume(char letter, unsigned drive) {
  return {letter, std::string("/media/driver/") + letter + "/", "/dev/sdz" + std::to_string(drive), drive, true};
}

plat::DriveInfo CardDisk(unsigned drive) {
  return {drive, "/dev/sdz" + std::to_string(drive), true, false, std::uint64_t{1} << 30, true};
}

CardConfigBlock Accounts(const wchar_t* user1, const wchar_t* password1, const wchar_t* password2) {
  CardConfigBlock block;
  DefaultCardConfigBlock(&block, 0);
  block.SetUserName(1, user1);
  block.SetPassword(1, password1);
  block.SetUserName(2, L"user2");
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

// Drive 40 is blank, drive 41 a card; the card dialog reads the card image, the fake engine lists
// the same recordings from a backup.
class CardsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    card_ = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kCard, 3, 2.0), dir_.File("card.img"));
    ASSERT_TRUE(card_ && fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0), entries_));
    ASSERT_TRUE(fake_.engine().UseStore(entries_));
    ASSERT_TRUE(fixtures::WriteFileBytes(dir_.File("blank.img"), std::vector<std::uint8_t>(1 << 20, 0)));
    env_.Set("PLAYER_DRIVE_40", dir_.File("blank.img").c_str());
    env_.Set("PLAYER_DRIVE_41", card_->path.c_str());
  }
  std::optional<fixtures::Layout> card_;
  const std::string entries_ = dir_.File("card-entries.sd");
  ScopedEnvironment env_;
  plat::test::FakeDriveTable drives_;
};

// Without AutoPlay nothing opens; with it the next arrival opens the first drive that lists
// recordings. While a card is open arrivals do nothing; removing another drive keeps it, removing
// it forgets it, even when a drive came meanwhile.
TEST_F(CardsTest, TheArrivalScanOpensTheFirstCardAndItsRemovalIsNoticed) {
  WriteConfig("AutoPlay=0\n");
  CMainDlg& dlg = Start(1920, 1080);
  drives_.Arrive(CardVolume('E', 40));
  drives_.Arrive(CardVolume('F', 41));
  EXPECT_FALSE(dlg.HasCardDrive());
  g_appConfig.WriteConfigInt(L"AutoPlay", 1);
  drives_.Arrive(CardVolume('G', 42));
  EXPECT_EQ(dlg.GetSpans().size(), 3u);
  EXPECT_EQ(dlg.GetDiskDlg().GetCurrentDriveText(), L"F:/");
  EXPECT_FALSE(dlg.GetDiskDlg().IsWindowVisible());
  EXPECT_TRUE(dlg.IsPasswordAccepted());  // the card's settings are missing: no password
  EXPECT_EQ(dlg.SendMessage(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), 0);
  drives_.Remove('E');
  drives_.Arrive(CardVolume('H', 42));
  EXPECT_TRUE(dlg.HasCardDrive());
  drives_.Remove('F');
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_EQ(CallsNamed("SetSource"), std::vector<std::string>{"SetSource(dvk2://41)"});
}

// A card that nothing mounts is scanned when its drive arrives. The card opened at start as a
// whole disk stays while another drive goes, is forgotten when its own drive goes, and is opened
// again when it comes back; a removable drive that holds /home is never opened.
TEST_F(CardsTest, ACardWithoutAMountedVolumeIsScannedAndForgottenWhenItsDriveGoes) {
  drives_.ArriveDrive(CardDisk(41));
  CMainDlg& dlg = Start(1920, 1080);
  EXPECT_EQ(dlg.GetDiskDlg().GetCurrentDriveText(), L"//./PhysicalDrive41");
  EXPECT_EQ(dlg.GetSpans().size(), 3u);
  drives_.ArriveDrive(CardDisk(40));
  drives_.RemoveDrive(40);
  EXPECT_TRUE(dlg.HasCardDrive());
  drives_.RemoveDrive(41);
  EXPECT_FALSE(dlg.HasCardDrive());

  env_.Set("PLAYER_DRIVE_42", card_->path.c_str());
  drives_.Arrive({'H', "/home/", "/dev/sdz42", 42, true});
  drives_.ArriveDrive(CardDisk(42));
  EXPECT_FALSE(dlg.HasCardDrive());
  drives_.ArriveDrive(CardDisk(41));
  EXPECT_TRUE(dlg.HasCardDrive());
  EXPECT_EQ(CallsNamed("SetSource"), (std::vector<std::string>{"SetSource(dvk2://41)", "SetSource(dvk2://41)"}));
}

// Only the first of three dropped files counts: a backup, shown in the card dialog, which a card
// that comes in does not replace. Forgetting the view empties what a source had set.
TEST_F(CardsTest, OnlyTheFirstDroppedFileOpensAndClearRecordViewForgetsTheSource) {
  CMainDlg& dlg = Start(1920, 1080);
  fake_.engine().ClearCalls();
  ASSERT_TRUE(plat::DropFiles(dlg.GetSafeHwnd(), {CString(entries_), CString(card_->path), L"x.log"}, {20, 20}));
  EXPECT_EQ(CallsNamed("SetSource"), std::vector<std::string>{"SetSource(" + entries_ + ")"});
  EXPECT_TRUE(dlg.GetDiskDlg().IsWindowVisible());
  EXPECT_EQ(dlg.GetDiskDlg().GetSourceMode(), CDiskDlg::kBackupFileMode);
  drives_.Arrive(CardVolume('F', 41));
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_TRUE(dlg.OpenCard(L"F:/"));
  dlg.GetTimeRangeSlider().SetRange(5, 500);
  dlg.ClearRecordView();
  EXPECT_FALSE(dlg.HasCardDrive());
  EXPECT_TRUE(dlg.GetSpans().empty());
  EXPECT_EQ(CallsNamed("SetSource").back(), "SetSource()");
  EXPECT_EQ(dlg.GetTimeRangeSlider().GetRangeMax(), 1);
  EXPECT_EQ(dlg.GetDiskDlg().RemovableList().GetCurSel(), -1);
}

// Both passwords empty: no dialog. Password 1 empty, password 2 "x": only (user2, "x") passes;
// 16-byte fields compare whole. A wrong account gets the box; Cancel gets none.
TEST_F(CardsTest, TheCardPasswordAcceptsOnlyAnAccountThatHasOne) {
  CMainDlg& dlg = Start(1920, 1080);
  const CardConfigBlock none = Accounts(L"user1", L"", L""), second = Accounts(L"user1", L"", L"x");
  const CardConfigBlock full = Accounts(L"fleet-manager-01", L"0123456789abcdef", L"");
  EXPECT_TRUE(dlg.CheckCardPassword(&none));
  Answer(L"user1", L"");
  EXPECT_FALSE(dlg.CheckCardPassword(&second));
  Answer(L"user2", L"x");
  EXPECT_TRUE(dlg.CheckCardPassword(&second));
  Answer(L"fleet-manager-01", L"0123456789abcdef");
  EXPECT_TRUE(dlg.CheckCardPassword(&full));
  Answer(L"fleet-manager-01", L"0123456789abcdef", false);
  EXPECT_FALSE(dlg.CheckCardPassword(&full));
  ASSERT_EQ(plat::test::MessageBoxes().size(), 1u);
  EXPECT_EQ(plat::test::MessageBoxes()[0].text, L"Password Protected! Please input right password...");
}

// Disks this user may not read (here a file that nobody may open for reading) are reported once
// per scan, however many of them there are.
TEST_F(CardsTest, DisksThisUserMayNotReadAreReportedOncePerScan) {
  const char* unreadable = "/sys/bus/pci/rescan";
  if (!std::filesystem::exists(unreadable)) GTEST_SKIP() << "no file here that nobody may read";
  env_.Set("PLAYER_DRIVE_41", nullptr);
  env_.Set("PLAYER_DRIVE_44", unreadable);
  env_.Set("PLAYER_DRIVE_45", unreadable);
  drives_.ArriveDrive(CardDisk(44));
  drives_.ArriveDrive(CardDisk(45));
  Start(1920, 1080);
  ASSERT_EQ(plat::test::MessageBoxes().size(), 1u);
  EXPECT_NE(plat::test::MessageBoxes()[0].text.Find(L"sudo adduser $USER disk"), -1);
  drives_.Arrive(CardVolume('E', 44));
  EXPECT_EQ(plat::test::MessageBoxes().size(), 2u);
}

TEST(CardsRealEngineTest, AnArrivingCardImageIsOpenedAndListedByTheEngine) {
  plat::test::Reset();
  fixtures::ScratchDir dir("cards-real-engine");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  plat::test::FakeWebBrowsers browsers;
  plat::test::FakeDriveTable drives;
  const auto card = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kCard, 2, 2.0), dir.File("card.img"));
  ScopedEnvironment env;
  auto dlg = std::make_unique<CMainDlg>();
  ASSERT_TRUE(card && dlg->Create(CMainDlg::kTemplate, nullptr));
  env.Set("PLAYER_DRIVE_43", card->path.c_str());
  drives.Arrive(CardVolume('E', 43));
  EXPECT_EQ(dlg->GetEngine()->GetSourcePath(), L"dvk2://43");
  ASSERT_EQ(dlg->GetDiskDlg().RecordList().GetItemCount(), 2);
  EXPECT_EQ(dlg->GetSpans()[1].start, card->recordings[1].entry.start);
  drives.Remove('E');
  EXPECT_FALSE(dlg->HasCardDrive());
  dlg.reset();
  g_appConfig.SetAppFolder(programFolder);
}

// When nothing opens the window says why, in the user's language on a band over the video area:
// no card on any drive; a raw card image named as a backup, with its path and why; Play after
// Format forgot the source.
// Whatever opens or plays takes the line away.
TEST_F(CardsTest, WhenNothingOpensTheWindowSaysWhyInTheUsersLanguage) {
  const LanguageFolder german(L"de_DE");
  const auto lineShown = [&] {
    const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, 0);
    const QImage shot = plat::test::Grab(dlg_.get());
    int white = 0;
    const int middle = (video.top + video.bottom) / 2;
    for (int y = middle - 40; y <= middle + 40; ++y) {
      for (int x = video.left; x < video.right; ++x) white += shot.pixel(x, y) == 0xFFFFFFFFu;
    }
    return white > 0;
  };
  CMainDlg& dlg = Start(1920, 1080);
  dlg.ShowWindow(SW_SHOW);
  EXPECT_EQ(dlg.GetNotice(), L"Keine Rekorderkarte gefunden");
  EXPECT_TRUE(lineShown());
  Start(1920, 1080, {L"-f", CString(card_->path)}).ShowWindow(SW_SHOW);
  EXPECT_EQ(dlg_->GetNotice(),
            CString(card_->path) +
                L" kann nicht geöffnet werden: weder eine Karte noch eine .sd-Sicherung noch ein .idx-Index");
  EXPECT_TRUE(lineShown());

  CMainDlg& opened = Start(1920, 1080, {L"-f", CString(entries_)});
  opened.ShowWindow(SW_SHOW);
  EXPECT_TRUE(opened.GetNotice().IsEmpty());
  EXPECT_FALSE(lineShown());
  plat::test::WhileModal([] {
    CWnd* w = CWnd::GetFocus();
    while (w != nullptr && dynamic_cast<CDialog*>(w) == nullptr) w = w->GetParent();
    if (w != nullptr) w->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  opened.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kFormat, BN_CLICKED), 0);
  opened.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kPlay, BN_CLICKED), 0);
  EXPECT_EQ(opened.GetNotice(), L"Nach dem Formatieren gibt es nichts abzuspielen");
  ASSERT_TRUE(opened.GetDiskDlg().OpenSdFile(CString(entries_)));
  opened.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kPlay, BN_CLICKED), 0);
  EXPECT_TRUE(opened.IsPlaying());
  EXPECT_TRUE(opened.GetNotice().IsEmpty());
}

// A copied card set whose data folder was left behind, a missing file and a file that is no store
// each say why they do not open, with their path and in the user's language: named on the
// command line and typed into the card dialog's Backup File box. A store without recordings still
// finds none; nothing of it reaches the engine.
TEST_F(CardsTest, ABackupThatDoesNotOpenSaysWhyWithItsPath) {
  const LanguageFolder german(L"de_DE");
  const std::string missing = dir_.File("missing.sd"), other = dir_.File("other.sd"), empty = dir_.File("empty.sd");
  std::filesystem::create_directory(dir_.File("copied"));
  const auto set = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kIdx, 2, 2.0),
                                        dir_.File("copied/card.idx"));
  ASSERT_TRUE(set && std::filesystem::remove_all(dir_.File("copied/dcim")) > 0);
  ASSERT_TRUE(fixtures::WriteFileBytes(other, std::vector<std::uint8_t>(70000, 0x5A)));
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 0, 2.0), empty));
  const CString cannot = L" kann nicht geöffnet werden: ";

  CMainDlg& dlg = Start(1920, 1080, {L"-f", CString(missing)});
  EXPECT_EQ(dlg.GetNotice(), CString(missing) + cannot + L"die Datei existiert nicht");
  CDiskDlg& disk = dlg.GetDiskDlg();
  disk.ShowForTask(CDiskDlg::kPlaybackTask);
  const auto click = [&](int id) {
    plat::test::Mouse(disk.GetDlgItem(id), WM_LBUTTONDOWN, {5, 5});
    plat::test::Mouse(disk.GetDlgItem(id), WM_LBUTTONUP, {5, 5});
    plat::test::Pump();
  };
  click(CDiskDlg::kBackupFileRadio);
  // The text of the one message box that typing the path and clicking Open brings.
  const auto open = [&](const std::string& path) {
    const std::size_t shown = plat::test::MessageBoxes().size();
    disk.GetDlgItem(CDiskDlg::kBackupFileList)->SetWindowText(CString(path));
    click(CDiskDlg::kOpenButton);
    EXPECT_EQ(plat::test::MessageBoxes().size(), shown + 1) << path;
    return plat::test::MessageBoxes().size() > shown ? plat::test::MessageBoxes().back().text : CString();
  };
  EXPECT_EQ(open(set->path),
            CString(set->path) + cannot +
                L"weder daneben noch in einem übergeordneten Ordner liegt ein dcim-Ordner mit ihren Daten");
  EXPECT_EQ(open(missing), CString(missing) + cannot + L"die Datei existiert nicht");
  EXPECT_EQ(open(other), CString(other) + cannot + L"weder eine Karte noch eine .sd-Sicherung noch ein .idx-Index");
  EXPECT_EQ(open(empty), L"Keine Aufnahmen gefunden");
  EXPECT_TRUE(CallsNamed("SetSource").empty());
}
