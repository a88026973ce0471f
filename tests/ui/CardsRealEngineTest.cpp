// A card image that arrives as a volume of the fake drive table, its disk mapped to the image, is
// opened and listed by the real engine, and forgotten when it goes.
#include <gtest/gtest.h>

#include "app/AppConfig.h"
#include "engine/IIbpCtrl.h"
#include "platform/browser/FakeWebBrowser.h"
#include "platform/devices/FakeDriveTable.h"
#include "platform/wnd/TestHarness.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/support/ScopedEnvironment.h"
#include "ui/MainDlg.h"

TEST(CardsRealEngineTest, AnArrivingCardImageIsOpenedAndListedByTheEngine) {
  plat::test::Reset();
  fixtures::ScratchDir dir("cards-real-engine");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  plat::test::FakeWebBrowsers browsers;
  plat::test::FakeDriveTable drives;
  const auto card = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kCard, 2, 2.0), dir.File("card.img"));
  ASSERT_TRUE(card);
  ScopedEnvironment env;
  {
    CMainDlg dlg;
    ASSERT_TRUE(dlg.Create(CMainDlg::kTemplate, nullptr));
    plat::test::Pump();
    EXPECT_FALSE(dlg.HasCardDrive());  // nothing to find at start

    env.Set("PLAYER_DRIVE_43", card->path.c_str());
    plat::VolumeInfo volume;
    volume.letter = 'E';
    volume.mountPoint = "/media/driver/CARD/";
    volume.device = "/dev/sdz1";
    volume.driveNumber = 43;
    drives.Arrive(volume);
    EXPECT_TRUE(dlg.HasCardDrive());
    EXPECT_EQ(dlg.GetEngine()->GetSourcePath(), L"dvk2://43");
    ASSERT_EQ(dlg.GetSpans().size(), 2u);
    EXPECT_EQ(dlg.GetSpans()[1].start, card->recordings[1].entry.start);
    EXPECT_EQ(dlg.GetDiskDlg().RecordList().GetItemCount(), 2);
    EXPECT_FALSE(dlg.GetDiskDlg().IsWindowVisible());

    drives.Remove('E');
    EXPECT_FALSE(dlg.HasCardDrive());
    dlg.DestroyWindow();
  }
  g_appConfig.SetAppFolder(programFolder);
}
