// The main window's other commands driven as a user would: Config.ini toggles, format and
// configuration guards, the snapshot, the wheel zoom, the keys, the views and the panel toggles.
#include <filesystem>

#include "cardtools/FormatDlg.h"
#include "config/dialogs/TabConfigDlg.h"
#include "layout/MainLayout.h"
#include "platform/wnd/ComboBox.h"
#include "testdata/StoreBuilder.h"
#include "tests/ui/CommandsTestAccess.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

void Command(CMainDlg& dlg, int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
bool Visible(const CWnd* wnd) { return wnd != nullptr && (wnd->GetStyle() & WS_VISIBLE); }
int Config(LPCWSTR key) { return g_appConfig.ReadConfigInt(key, 99); }
// The modal dialog that has the focus.
template <typename Dialog>
Dialog* Focused() {
  CWnd* w = CWnd::GetFocus();
  while (w != nullptr && dynamic_cast<Dialog*>(w) == nullptr) w = w->GetParent();
  return dynamic_cast<Dialog*>(w);
}

}  // namespace

TEST_F(MainWindowTest, ConfigIniTogglesCycleAndTheBrakesModeListsANotPlayingSourceAgain) {
  WriteConfig("CarType=-1\nPassengerMode=1\n");
  CMainDlg& dlg = Start(1920, 1080);
  for (auto [id, key, values] : {std::tuple{mainid::kCarType, L"CarType", std::vector{0, 1, 2, 0}},
                                 {mainid::kPassengerMode, L"PassengerMode", std::vector{0, 1}}}) {
    for (int expected : values) {
      Command(dlg, id);
      EXPECT_EQ(Config(key), expected);
    }
  }
  const std::string backup = dir_.File("two.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 2, 2.0), backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup) && dlg.GetDiskDlg().OpenSdFile(CString(backup)));
  dlg.GetDiskDlg().SelectBackupFileMode();
  for (const bool playing : {false, true}) {
    MainDlgTestAccess::SetPlaying(dlg, playing, false, 4);
    Command(dlg, mainid::kBrakesMode);
    EXPECT_EQ(Config(L"BrakesMode"), playing ? 0 : 1);
    EXPECT_EQ(dlg.GetDiskDlg().EventLog().GetBrakesMode(), playing ? 0 : 1);
    EXPECT_EQ(CallsNamed("SetSource").size(), 2u);  // listed again only while nothing plays
  }
}

// Neither dialog opens twice, and the window cannot be closed while one is open; the units chosen
// in the configuration dialog reach the engine and Config.ini.
TEST_F(MainWindowTest, FormatAndConfigurationOpenOnceAndHoldTheCloseButton) {
  CMainDlg& dlg = Start(1920, 1080);
  dlg.ShowWindow(SW_SHOW);
  CDiskDlg& disk = dlg.GetDiskDlg();
  const auto secondClickAndClose = [&](int id) {
    disk.ShowWindow(SW_SHOW);
    Command(dlg, id);
    Command(dlg, mainid::kClose);
    EXPECT_TRUE(disk.IsWindowVisible() && dlg.IsWindowVisible());
  };
  plat::test::WhileModal([&] {
    secondClickAndClose(mainid::kFormat);
    Focused<CFormatDlg>()->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  Command(dlg, mainid::kFormat);
  MainDlgTestAccess::SetPasswordAccepted(dlg);
  plat::test::WhileModal([&] {
    secondClickAndClose(mainid::kConfiguration);
    TabConfigDlg* config = Focused<TabConfigDlg>();
    dynamic_cast<CComboBox*>(config->GetDlgItem(TabConfigDlg::kSpeedUnitList))->SetCurSel(2);
    dynamic_cast<CComboBox*>(config->GetDlgItem(TabConfigDlg::kTemperatureUnitList))->SetCurSel(1);
    config->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  fake_.engine().ClearCalls();
  Command(dlg, mainid::kConfiguration);
  EXPECT_EQ(CallsNamed("SetEdrUnits"), std::vector<std::string>{"SetEdrUnits(2, 1)"});
  EXPECT_EQ(Config(L"SetEDR_Speed") * 10 + Config(L"SetEDR_Temperature"), 21);
  EXPECT_EQ(dlg.GetCardConfig().Generation(), 0u);  // without a card: the defaults, in the window's zone
  EXPECT_EQ(dlg.GetCardConfig().TimeZoneOffsetSeconds(), dlg.GetTimeZoneOffset());
  Command(dlg, mainid::kClose);
  EXPECT_FALSE(dlg.IsWindowVisible());
}

TEST_F(MainWindowTest, ASnapshotPausesPlaybackNamesItsFileAfterTheTimeAndOpensTheFolder) {
  EXPECT_EQ(CMainDlg::SnapshotFileName(L"out/snap/", COleDateTime(2024, 3, 5, 10, 20, 30), 123456),
            L"out/snap/img-2024-03-05_10-20-30_456_Ch");
  CMainDlg& dlg = Start(1920, 1080);
  const std::string folder = dir_.File("out/snap");
  std::filesystem::create_directories(folder);
  CWnd* folderText = dlg.GetDiskDlg().GetDlgItem(CDiskDlg::kSnapshotFolder);
  folderText->SetWindowText(CString(folder));
  MainDlgTestAccess::SetPlaying(dlg, true, false, 6);
  plat::test::Clock().Set(123456 - 93);
  fake_.engine().ClearCalls();
  const COleDateTime before = COleDateTime::GetCurrentTime();
  Command(dlg, mainid::kSnapShot);
  const auto named = [&](const COleDateTime& t) {
    const CString name = CMainDlg::SnapshotFileName(CString(folder) + L"/", t, 123456);
    return CallsNamed("TakeSnapshot") == std::vector<std::string>{"TakeSnapshot(0, " + name.ToUtf8() + ")"};
  };
  EXPECT_TRUE(named(before) || named(COleDateTime::GetCurrentTime()));  // taken after 93 ms of pause
  EXPECT_EQ(fake_.engine().CallTexts().back(), "SetSpeed(4)");         // level 6 again
  EXPECT_EQ(GetTickCount(), 123456u + 50 + 100);
  EXPECT_EQ(plat::test::OpenedUrls(), std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(folder))});

  folderText->SetWindowText(L"snap");  // no folder
  Command(dlg, mainid::kSnapShot);
  MainDlgTestAccess::SetSnapshotBusy(dlg);
  folderText->SetWindowText(CString(folder));
  Command(dlg, mainid::kSnapShot);
  EXPECT_EQ(CallsNamed("TakeSnapshot").size() + plat::test::OpenedUrls().size(), 2u);
  EXPECT_TRUE(plat::test::MessageBoxes().empty());

  // A snapshot that was not saved says why and opens nothing.
  MainDlgTestAccess::SetSnapshotBusy(dlg, false);
  const auto failedWith = [&](SnapshotFailure failure) {
    fake_.engine().answers.snapshotFailure = failure;
    Command(dlg, mainid::kSnapShot);
    EXPECT_EQ(plat::test::OpenedUrls().size(), 1u);
    const std::vector<plat::test::MessageBoxCall> boxes = plat::test::MessageBoxes();
    return boxes.empty() ? std::wstring() : boxes.back().text.str();
  };
  const std::wstring start = L"The snapshot could not be saved\n" + CString(folder).str() + L"/img-";
  const std::wstring full = failedWith({SnapshotFailure::Kind::kNotWritten, ENOSPC});
  EXPECT_TRUE(full.starts_with(start) && full.ends_with(L"_Ch1.bmp\nNo space left on device")) << WideToUtf8(full);
  const std::wstring none = failedWith({SnapshotFailure::Kind::kNoPicture, 0});
  EXPECT_TRUE(none.starts_with(start) && none.ends_with(L"_Ch1.bmp\nNo picture is shown")) << WideToUtf8(none);
}

// The wheel zooms about the point under it, in millionths of the picture from its centre, only
// strictly inside the video; Space, Enter and Escape do nothing; F6 toggles once per press.
TEST_F(MainWindowTest, TheWheelZoomsInsideTheVideoAndTheKeysAreFiltered) {
  CMainDlg& dlg = Start(1920, 1080);
  dlg.GetChannelWindow().ShowWindow(SW_SHOW);
  dlg.SetFocus();
  ASSERT_EQ(dlg.GetChannelWindow().GetEmbeddedRect(), CRect(50, 98, 1468, 893));
  for (const auto& [x, delta] : {std::pair{50, -120}, {1468, 120}, {51, -120}, {759, 120}}) {
    plat::test::Wheel(&dlg, CPoint(x, 495), delta);
  }
  EXPECT_EQ(CallsNamed("Zoom"), (std::vector<std::string>{"Zoom(0, -499294, -628, -1)", "Zoom(0, 0, -628, 1)"}));

  dlg.GetDlgItem(mainid::kCarType)->SetFocus();
  for (int key : {VK_SPACE, VK_RETURN, VK_ESCAPE}) {
    plat::test::Key(WM_KEYDOWN, key);
    plat::test::Key(WM_KEYUP, key);
  }
  EXPECT_EQ(Config(L"CarType"), 99);
  const auto f6 = [](bool held) {
    plat::test::Key(WM_KEYDOWN, VK_F6);
    if (held) plat::test::Key(WM_KEYDOWN, VK_F6);  // the key repeats
    plat::test::Key(WM_KEYUP, VK_F6);
  };
  f6(true);
  EXPECT_TRUE(dlg.GetVersionInfo().IsWindowVisible());
  dlg.GetVideoCtrlPanel().Toggle(5);
  dlg.GetVideoCtrlPanel().SetFocus();
  f6(false);
  EXPECT_FALSE(dlg.GetVersionInfo().IsWindowVisible());
}

// With the record list open, in every mode and channel layout, the picture (also when Escape puts
// it back from floating) and the map page lie beside the list, never under it, and the map view
// keeps the list. Full video keeps the transport row shown and both of its pictures clear of the
// caption buttons and the transport row, so the on-screen text stays whole, and gives everything
// back.
TEST_F(MainWindowTest, NoViewLiesUnderTheListAndFullVideoKeepsTheControlsInEveryMode) {
  for (const auto& [width, height, mode] : {std::tuple{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(mode);
    CMainDlg& dlg = Start(width, height);
    CPanelDlg& channel = dlg.GetChannelWindow();
    const auto place = [&](const CWnd* wnd) {
      CRect r;
      wnd->GetWindowRect(&r);
      dlg.ScreenToClient(&r);
      return r;
    };
    const auto apart = [](const CRect& a, const CRect& b) { return !CRect().IntersectRect(a, b); };
    const ui::LayoutRect& v = ui::AreaRect(ui::Area::kVideo, mode);
    const CRect video(v.left, v.top, v.right, v.bottom);
    MainDlgTestAccess::SetPlaying(dlg, true, false, 4);
    Command(dlg, mainid::kSpeedView);
    const CWnd* list = dlg.GetDlgItem(mainid::kRecordList);
    ASSERT_TRUE(Visible(list));
    for (int cells : {1, 4, 8, 1}) {
      dlg.SetChannelLayout(cells);
      EXPECT_TRUE(apart(place(&channel), place(list))) << cells;
      EXPECT_EQ(place(&channel) & video, place(&channel)) << cells;
      if (cells != 1) {
        EXPECT_TRUE(apart(dlg.GetMapDlg().GetDockedRect(), place(list))) << cells;
      }
      channel.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
      ASSERT_EQ(channel.GetMode(), CPanelDlg::kFloating);
      plat::test::Key(WM_KEYDOWN, VK_ESCAPE);
      ASSERT_EQ(channel.GetMode(), CPanelDlg::kEmbedded);
      EXPECT_TRUE(apart(place(&channel), place(list))) << cells;
    }
    const CRect beside = channel.GetEmbeddedRect();

    // The map view shows the map page beside the list, which stays; a second click ends it.
    Command(dlg, mainid::kMapView);
    EXPECT_TRUE(Visible(list) && Visible(&dlg.GetMapDlg()) && dlg.IsReplayView());
    EXPECT_TRUE(apart(place(&dlg.GetMapDlg()), place(list)));
    EXPECT_EQ(place(&dlg.GetMapDlg()) & video, place(&dlg.GetMapDlg()));
    Command(dlg, mainid::kMapView);
    EXPECT_TRUE(Visible(list) && !Visible(&dlg.GetMapDlg()) && !dlg.IsReplayView());

    // Back from the record view the main area shows the map page: over the playing picture.
    MainDlgTestAccess::SetPlaying(dlg, true, false, 4);
    channel.ShowWindow(SW_SHOW);
    Command(dlg, mainid::kRecordView);
    Command(dlg, mainid::kSpeedView);
    Command(dlg, mainid::kRecordView);
    CRect map;
    dlg.GetMapDlg().GetWindowRect(&map);
    const CWnd* under = CWnd::WindowFromPoint(map.CenterPoint());
    while (under != nullptr && under != &dlg.GetMapDlg() && under != &channel) under = under->GetParent();
    EXPECT_EQ(under, &dlg.GetMapDlg());
    Command(dlg, mainid::kSpeedView);
    for (int id : {mainid::kFullVideo, mainid::kFullVideoSwap}) {
      Command(dlg, id);
      EXPECT_FALSE(Visible(list));
      for (int kept : {mainid::kMinimize, mainid::kClose, mainid::kPrevFile, mainid::kPause, mainid::kPlay,
                       mainid::kStop, mainid::kNextFile, mainid::kFullVideo, mainid::kFullVideoSwap}) {
        EXPECT_TRUE(Visible(dlg.GetDlgItem(kept))) << id << " " << kept;
        EXPECT_TRUE(apart(place(&channel), place(dlg.GetDlgItem(kept)))) << id << " " << kept;
      }
      // The small picture leaves the map page's place, the large one hides it.
      EXPECT_EQ(Visible(&dlg.GetMapDlg()), id == mainid::kFullVideo) << id;
      if (id == mainid::kFullVideo) {
        EXPECT_TRUE(apart(place(&channel), place(&dlg.GetMapDlg())));
      }
      Command(dlg, id);
      EXPECT_EQ(channel.GetEmbeddedRect(), beside);
      EXPECT_TRUE(Visible(list) && Visible(dlg.GetDlgItem(mainid::kPlay)));
    }
  }
}

// The side panels open in places of their own: none covers the record list, the view buttons or
// the transport row in any mode, nor another panel that shows. In the smallest mode no two of the
// calendar, the G-sensor panel and the compass fit apart beside the list: the one opened last
// hides those it would cover, and closing it leaves the others hidden.
TEST_F(MainWindowTest, TheSidePanelsOpenClearOfEachOtherAndOfTheButtonsInEveryMode) {
  for (const auto& [width, height, mode] : {std::tuple{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(mode);
    CMainDlg& dlg = Start(width, height);
    const auto screen = [](const CWnd* wnd) {
      CRect r;
      wnd->GetWindowRect(&r);
      return r;
    };
    const std::pair<const char*, CWnd*> panels[] = {{"G-sensor", &dlg.GetGsensorPanel()},
                                                    {"calendar", &dlg.GetCalendarPanel()},
                                                    {"compass", &dlg.GetCompassPanel()},
                                                    {"speed", &dlg.GetSpeedDlg()}};
    const int commands[] = {mainid::kGsensorPanel, mainid::kCalendarPanel, mainid::kCompassPanel,
                            mainid::kShowSpeedPanel};
    Command(dlg, mainid::kSpeedView);
    for (size_t i = 0; i < std::size(panels); ++i) {
      Command(dlg, commands[i]);
      ASSERT_TRUE(Visible(panels[i].second)) << panels[i].first;
      for (size_t j = 0; j < i; ++j) {
        if (!Visible(panels[j].second)) continue;
        EXPECT_FALSE(CRect().IntersectRect(screen(panels[i].second), screen(panels[j].second)))
            << panels[i].first << " " << panels[j].first;
      }
      if (i == 3) continue;  // the speed panel opens from its button
      for (int button : {mainid::kGsensorPanel, mainid::kCalendarPanel, mainid::kMapView, mainid::kShowSpeedPanel,
                         mainid::kShowVolumePanel, mainid::kSpeedView, mainid::kPrevFile, mainid::kPause,
                         mainid::kMinimize, mainid::kClose, mainid::kRecordList}) {
        EXPECT_FALSE(CRect().IntersectRect(screen(panels[i].second), screen(dlg.GetDlgItem(button))))
            << panels[i].first << " " << button;
      }
    }
    // Only where they cannot lie apart do they take turns.
    EXPECT_EQ(Visible(panels[0].second) && Visible(panels[1].second), mode != 2);
    Command(dlg, mainid::kCompassPanel);
    EXPECT_FALSE(Visible(panels[2].second) || dlg.GetMapDlg().IsRefreshing());
    EXPECT_EQ(Visible(panels[0].second), mode != 2);
  }
}

// Each panel button shows its panel and hides it again; the compass keeps the map page refreshing
// while it shows; the speed and volume panels take turns and a mouse move hides them.
TEST_F(MainWindowTest, PanelButtonsShowAndHideTheirPanels) {
  CMainDlg& dlg = Start(1920, 1080);
  for (const auto& [id, panel] : {std::pair<int, CWnd*>{mainid::kGsensorPanel, &dlg.GetGsensorPanel()},
                                  {mainid::kCalendarPanel, &dlg.GetCalendarPanel()},
                                  {mainid::kCompassPanel, &dlg.GetCompassPanel()},
                                  {mainid::kCarDataPanel, &dlg.GetCarDataPanel()}}) {
    Command(dlg, id);
    EXPECT_TRUE(Visible(panel) && dlg.GetMapDlg().IsRefreshing() == (id == mainid::kCompassPanel)) << id;
    Command(dlg, id);
    EXPECT_FALSE(Visible(panel) || dlg.GetMapDlg().IsRefreshing()) << id;
  }
  Command(dlg, mainid::kShowSpeedPanel);
  Command(dlg, mainid::kShowVolumePanel);
  EXPECT_TRUE(Visible(&dlg.GetVolumeDlg()) && !Visible(&dlg.GetSpeedDlg()));
  dlg.ShowWindow(SW_SHOW);
  plat::test::Mouse(&dlg, WM_MOUSEMOVE, CPoint(700, 500));
  EXPECT_FALSE(Visible(&dlg.GetVolumeDlg()));
}
