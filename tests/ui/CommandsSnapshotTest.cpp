// The snapshot button on the real engine: the picture that a generated recording shows is saved,
// enlarged by half, under the folder the card dialog names, and the window shows it.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <filesystem>

#include "engine/IbpCtrl.h"
#include "engine/video/VideoCtx.h"
#include "platform/video/qt/WindowPresenters.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/Eventually.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

TEST(CommandsSnapshotTest, TheSnapshotOfAPlayingRecordingHoldsTheShownPictureUnderItsTimedName) {
  plat::test::Reset();
  plat::test::FakeWebBrowsers browsers;
  plat::WindowPresenters presenters;
  fixtures::ScratchDir dir("snapshot-cmd");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  const std::string backup = dir.File("one.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0), backup));
  {
    CMainDlg dlg;
    ASSERT_TRUE(dlg.Create(CMainDlg::kTemplate, nullptr));
    auto* engine = dynamic_cast<CIbpCtrl*>(dlg.GetEngine());
    ASSERT_NE(engine, nullptr);
    dlg.ShowWindow(SW_SHOW);
    dlg.GetChannelWindow().ShowWindow(SW_SHOW);
    // Played and held at its first picture, the engine driven directly.
    engine->SetSource(CString(backup));
    engine->SetPause(1);
    ASSERT_EQ(engine->Play(engine->OpenStore(), 0), EngineStart::kStarted);
    ASSERT_TRUE(plat::test::Eventually([&] {
      plat::test::Pump();
      return engine->Video(0) != nullptr && engine->Video(0)->PresentedPictures() > 0;
    }));
    plat::PictureCopy shown;
    ASSERT_TRUE(engine->Video(0)->Snapshot(shown));

    const std::string folder = dir.File("shots");
    dlg.GetDiskDlg().GetDlgItem(CDiskDlg::kSnapshotFolder)->SetWindowText(CString(folder));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kSnapShot, BN_CLICKED), 0);
    const QStringList files = QDir(QString::fromStdString(folder)).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QRegularExpression name(R"(^img-\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_\d{1,3}_Ch1\.bmp$)");
    EXPECT_TRUE(name.match(files[0]).hasMatch()) << files[0].toStdString();
    const QImage saved(QString::fromStdString(folder) + "/" + files[0]);
    ASSERT_EQ(saved.size(), QSize(shown.width * 3 / 2, shown.height * 3 / 2));
    for (int y = 0; y < saved.height(); y += 13) {
      for (int x = 0; x < saved.width(); x += 17) {
        ASSERT_EQ(saved.pixel(x, y) & 0xFFFFFF, shown.Pixel(2 * x / 3, 2 * y / 3) & 0xFFFFFF) << x << "," << y;
      }
    }
    // The window shows it in the snapshot area, until the file is gone.
    plat::test::Pump();
    const QImage window = plat::test::Grab(&dlg);
    plat::test::SavePng(window, "main-window-snapshot");
    const QRgb middle = saved.pixel(saved.width() / 2, saved.height() / 2);
    const QRgb drawn = window.pixel((1505 + 1895) / 2, (250 + 448) / 2);
    for (int shift : {0, 8, 16}) EXPECT_NEAR((drawn >> shift) & 0xFF, (middle >> shift) & 0xFF, 24u);
    std::filesystem::remove_all(folder);
    dlg.Invalidate();
    plat::test::Pump();
    EXPECT_NE(plat::test::Grab(&dlg).pixel((1505 + 1895) / 2, (250 + 448) / 2), drawn);
    engine->Close();
  }
  g_appConfig.SetAppFolder(programFolder);
}
