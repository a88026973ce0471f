#include <QString>

#include "config/TimeZone.h"
#include "layout/MainLayout.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

struct ScreenCase {
  int width;
  int height;
  int mode;
};

bool Visible(CWnd& wnd) { return wnd.GetSafeHwnd() != nullptr && wnd.IsWindowVisible(); }

CRect WindowRectOf(const CWnd& wnd) {
  CRect r;
  wnd.GetWindowRect(&r);
  return r;
}

}  // namespace

// Each screen takes the largest mode whose background fits; the window has that background's
// size, centred; every window of the program starts in that mode without a bitmap that fails.
TEST_F(MainWindowTest, EachScreenTakesTheLargestModeThatFitsAndEveryWindowFindsItsBitmaps) {
  for (const ScreenCase& s : {ScreenCase{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}, {800, 600, 2}}) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    CMainDlg& dlg = Start(s.width, s.height);
    EXPECT_EQ(dlg.GetUiMode(), s.mode);
    EXPECT_EQ(g_appConfig.GetUIMode(), s.mode);
    EXPECT_EQ(dlg.GetBackgroundBitmap(), static_cast<UINT>(ui::kBackground[static_cast<size_t>(s.mode)]));
    const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(s.mode)];
    const CRect window = WindowRectOf(dlg);
    EXPECT_EQ(window.Size(), CSize(size.width, size.height));
    if (s.width >= size.width) {
      EXPECT_EQ(window.left, (s.width - size.width) / 2);
    }
    const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, s.mode);
    EXPECT_EQ(dlg.GetChannelWindow().GetEmbeddedRect(), CRect(video.left, video.top, video.right, video.bottom));
    const ui::LayoutRect& play = ui::FindMainControl(mainid::kPlay)->rect[static_cast<size_t>(s.mode)];
    CRect playRect;
    dlg.GetDlgItem(mainid::kPlay)->GetWindowRect(&playRect);
    dlg.ScreenToClient(&playRect);
    EXPECT_EQ(playRect, CRect(play.left, play.top, play.right, play.bottom));
    EXPECT_TRUE(dlg.GetSpeedDlg().IsSkinned());
    EXPECT_EQ(plat::TakeMissedBitmapResources(), std::vector<UINT>{});
    plat::test::SavePng(plat::test::Grab(&dlg), QString("main-window-mode-%1").arg(s.mode));
  }
}

TEST_F(MainWindowTest, TheStoredModeIsClampedAndUnmarkedBackgroundsAreChosenByIsNoMark) {
  WriteConfig("UIMode=7\nisNoMark=1\n");
  EXPECT_EQ(Start(1920, 1080).GetUiMode(), 2);
  EXPECT_EQ(dlg_->GetBackgroundBitmap(), 1906u);
  EXPECT_EQ(dlg_->GetSecondBitmap(), 1909u);
  WriteConfig("UIMode=-1\n");
  EXPECT_EQ(Start(1920, 1080).GetUiMode(), 0);
  EXPECT_EQ(dlg_->GetBackgroundBitmap(), 2064u);
  EXPECT_EQ(plat::TakeMissedBitmapResources(), std::vector<UINT>{});
}

TEST_F(MainWindowTest, CommandLineFormsOpenABackupScanTheDrivesOrAreSkipped) {
  using Kind = CMainDlg::StartAction::Kind;
  auto kinds = [](std::vector<CString> args) {
    std::vector<std::pair<Kind, CString>> out;
    for (const auto& a : CMainDlg::StartActionsOf(args)) out.emplace_back(a.kind, a.path);
    return out;
  };
  using Actions = std::vector<std::pair<Kind, CString>>;
  EXPECT_EQ(kinds({}), (Actions{{Kind::kScanDrives, L""}}));
  EXPECT_EQ(kinds({L"-f"}), Actions{});
  EXPECT_EQ(kinds({L"-F", L"p.sd"}), (Actions{{Kind::kOpenBackup, L"p.sd"}}));
  EXPECT_EQ(kinds({L"-f", L"p.sd"}), kinds({L"-F", L"p.sd"}));
  EXPECT_EQ(kinds({L"/f", L"p.sd"}), Actions{});
  EXPECT_EQ(kinds({L"-x"}), (Actions{{Kind::kScanDrives, L""}}));
}

// A backup named with -f opens in the card dialog; with AutoPlayFirstRecord its first recording
// is asked to play and the card dialog steps aside, without it the dialog shows the backup.
TEST_F(MainWindowTest, ABackupOnTheCommandLineListsItsRecordingsAndAutoPlayHidesTheCardDialog) {
  const std::string backup = dir_.File("three.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0), backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));

  WriteConfig("AutoPlayFirstRecord=1\n");
  CMainDlg& autoPlay = Start(1920, 1080, {L"-f", CString(backup)});
  EXPECT_EQ(autoPlay.GetSpans().size(), 3u);
  EXPECT_EQ(autoPlay.GetDiskDlg().GetSourceMode(), CDiskDlg::kBackupFileMode);
  EXPECT_FALSE(Visible(autoPlay.GetDiskDlg()));
  EXPECT_EQ(CallsNamed("SetSource"), std::vector<std::string>{"SetSource(" + backup + ")"});
  auto* list = dynamic_cast<CListCtrl*>(autoPlay.GetDlgItem(mainid::kRecordList));
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetItemText(2, 1), app::DisplayTimeText(autoPlay.GetSpans()[2].end, autoPlay.GetDisplayZone()));
  EXPECT_FALSE(list->GetItemText(2, 1).IsEmpty());

  WriteConfig("AutoPlayFirstRecord=0\n");
  CMainDlg& shown = Start(1920, 1080, {L"-F", CString(backup)});
  EXPECT_EQ(shown.GetSpans().size(), 3u);
  EXPECT_TRUE(Visible(shown.GetDiskDlg()));

  const std::string empty = dir_.File("empty.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 0, 2.0), empty));
  WriteConfig("AutoPlayFirstRecord=1\n");
  CMainDlg& none = Start(1920, 1080, {L"-f", CString(empty)});
  EXPECT_TRUE(none.GetSpans().empty());
  EXPECT_FALSE(Visible(none.GetDiskDlg()));
  EXPECT_EQ(none.GetDiskDlg().GetSourceMode(), CDiskDlg::kBackupFileMode);
}

// The title, the one-second timer, and what the window hands the engine from Config.ini.
TEST_F(MainWindowTest, TitleTimerAndTheEnginesOnScreenTextAndChannelSettings) {
  WriteConfig("ShowOSDTime=2\nShowOSDMusic=1\nSetEDR_Speed=1\nSetEDR_Temperature=1\n"
              "[Channel-01]\nEnableAudio=0\nCut_Left=8\nCut_Bottom=4\n[Camera-2]\n5=7\n");
  TimerSpyMainDlg& dlg = Start(1920, 1080);
  EXPECT_EQ(dlg.GetWindowText(), L"Dravik2 Player");
  EXPECT_NE(dlg.SendMessage(WM_GETICON, ICON_BIG), 0);
  EXPECT_NE(dlg.SendMessage(WM_GETICON, ICON_SMALL), 0);
  plat::test::AdvanceTime(999);
  EXPECT_TRUE(dlg.timerTicks.empty());
  plat::test::AdvanceTime(1);
  plat::test::AdvanceTime(1000);
  EXPECT_EQ(dlg.timerTicks, (std::vector<WPARAM>{1, 1}));

  EXPECT_EQ(CallsNamed("SetShowTimeOsd"), std::vector<std::string>{"SetShowTimeOsd(2, 255)"});
  EXPECT_EQ(CallsNamed("SetShowMusicOsd"), std::vector<std::string>{"SetShowMusicOsd(1, 255)"});
  EXPECT_EQ(CallsNamed("SetEdrOsd"), std::vector<std::string>{"SetEdrOsd(-190, 10, 255, 14, Arial)"});
  EXPECT_EQ(CallsNamed("SetEdrUnits"), std::vector<std::string>{"SetEdrUnits(1, 1)"});
  const auto handle = [](const CWnd& w) { return std::to_string(reinterpret_cast<std::uintptr_t>(w.GetSafeHwnd())); };
  EXPECT_EQ(CallsNamed("SetNotifyWindow"), std::vector<std::string>{"SetNotifyWindow(" + handle(dlg) + ", 0)"});
  EXPECT_EQ(CallsNamed("SetVideoWindow"),
            std::vector<std::string>{"SetVideoWindow(" + handle(dlg.GetChannelWindow()) + ", 0)"});
  EXPECT_EQ(CallsNamed("SetAudioEnabled"), std::vector<std::string>{"SetAudioEnabled(0, 0)"});
  EXPECT_EQ(CallsNamed("SetVideoEnabled"), std::vector<std::string>{"SetVideoEnabled(1, 0)"});
  EXPECT_EQ(CallsNamed("SetDxva2Enabled"), std::vector<std::string>{"SetDxva2Enabled(0, 0)"});
  EXPECT_EQ(CallsNamed("SetCutRect"), std::vector<std::string>{"SetCutRect(0, 8, 0, 0, 4)"});
  EXPECT_EQ(CallsNamed("SetSpeed"), std::vector<std::string>{"SetSpeed(1)"});
  EXPECT_EQ(dlg.GetCameraWords(), (std::array<int, 10>{1, 3, 4, 255, 255, 1, 3, 4, 255, 7}));

  dlg.DestroyWindow();
  EXPECT_TRUE(fake_.engine().Destroyed());
}

// The zone comes from "TimeZone", or from "TimeZoneEx" when the card's mode text begins with 1;
// an index or offset outside the table selects the PC's own zone.
TEST_F(MainWindowTest, TheTimeZoneFollowsTimeZoneExOrTimeZoneAndFallsBackToThePcsZone) {
  ScopedEnvironment tz("TZ", "Asia/Kolkata");
  const int pcRow = [] {
    InitTimeZoneTable();
    return GetLocalTimeZoneRow();
  }();
  WriteConfig("TimeZone=99\nTimeZoneEx=46800\n");
  CMainDlg& dlg = Start(1920, 1080);
  EXPECT_EQ(dlg.GetTimeZoneOffset(), 19800);
  EXPECT_EQ(dlg.GetCardConfig().TimeZoneIndex(), static_cast<std::uint32_t>(pcRow));
  EXPECT_EQ(CallsNamed("SetTimeZoneOffset"), std::vector<std::string>{"SetTimeZoneOffset(19800)"});
  EXPECT_TRUE(dlg.GetDisplayZone().pcZone);

  CardConfigBlock extended = dlg.GetCardConfig();
  std::memcpy(&extended.bytes[8], "1000", 4);
  dlg.SetCardConfig(extended);
  dlg.LoadTimeZone();
  EXPECT_EQ(dlg.GetTimeZoneOffset(), 3600);
  EXPECT_EQ(dlg.GetCardConfig().TimeZoneOffsetSeconds(), 3600);
  EXPECT_EQ(TimeZoneTable()[dlg.GetCardConfig().TimeZoneIndex()].seconds, 3600);
  EXPECT_FALSE(dlg.GetDisplayZone().pcZone);

  WriteConfig("TimeZone=3\nTimeZoneEx=55555\n");
  dlg.LoadTimeZone();
  EXPECT_EQ(dlg.GetTimeZoneOffset(), 19800);
  WriteConfig("TimeZone=3\nTimeZoneEx=-1\n");
  dlg.LoadTimeZone();
  EXPECT_EQ(dlg.GetTimeZoneOffset(), TimeZoneTable()[3].seconds);
  dlg.SetTimeZoneIndex(0);
  EXPECT_EQ(dlg.GetTimeZoneOffset(), 19800);
  EXPECT_EQ(dlg.GetCardConfig().TimeZoneOffsetSeconds(), 19800);
}

// The panels start hidden in their mode's skin; their toggles show and hide them; the main
// window's sliders reach their twins on the video control panel.
TEST_F(MainWindowTest, PanelsStartHiddenTheirTogglesShowThemAndTheTwinSlidersFollow) {
  CMainDlg& dlg = Start(1440, 900);
  CSidePanel* panels[] = {&dlg.GetVideoCtrlPanel(), &dlg.GetGsensorPanel(), &dlg.GetCalendarPanel(),
                          &dlg.GetCompassPanel(),   &dlg.GetSpeedDlg(),     &dlg.GetVolumeDlg(),
                          &dlg.GetCtrlPanel(),      &dlg.GetClosePanel(),   &dlg.GetCarDataPanel()};
  for (CSidePanel* panel : panels) {
    EXPECT_FALSE(Visible(*panel));
    panel->Toggle(-1);
    EXPECT_TRUE(Visible(*panel));
    panel->Toggle(7);
    EXPECT_TRUE(Visible(*panel));
    panel->Toggle(0);
    EXPECT_FALSE(Visible(*panel));
  }
  EXPECT_EQ(dlg.GetSpeedDlg().GetSkinSize(), CSize(465, 118));
  CRect main, gsensor;
  dlg.GetWindowRect(&main);
  dlg.GetGsensorPanel().GetWindowRect(&gsensor);
  // At the bottom left of the video area, right of the record list's column.
  const ui::LayoutRect& video = ui::AreaRect(ui::Area::kBesideList, dlg.GetUiMode());
  EXPECT_EQ(CPoint(gsensor.left, gsensor.bottom), main.TopLeft() + CPoint(video.left + 8, video.bottom - 8));
  dlg.GetPositionSlider().SetRange(100, 200);
  dlg.GetPositionSlider().SetPos(150);
  EXPECT_EQ(dlg.GetVideoCtrlPanel().PositionSlider().GetPos(), 150);
  EXPECT_FALSE(Visible(dlg.GetMapDlg()));
  EXPECT_FALSE(Visible(dlg.GetVersionInfo()));
  EXPECT_EQ(plat::TakeMissedBitmapResources(), std::vector<UINT>{});
}

// In each mode the caption panel's buttons stand inside the window, on the product mark, clear of
// every placed control and of the video.
TEST_F(MainWindowTest, TheCaptionPanelSitsInTheBottomLeftCornerClearOfEveryControl) {
  for (const ScreenCase& s : {ScreenCase{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(s.mode);
    CMainDlg& dlg = Start(s.width, s.height);
    dlg.GetClosePanel().Toggle(5);
    dlg.RefreshCaptionPanel();
    CRect shown = WindowRectOf(dlg.GetClosePanel());
    shown.DeflateRect(ui::kCaptionRegionInset, ui::kCaptionRegionInset);
    dlg.ScreenToClient(&shown);
    const ui::LayoutRect buttons{shown.left, shown.top, shown.right, shown.bottom};
    EXPECT_EQ(shown.Size(), CSize(111, 37));
    const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(s.mode)];
    EXPECT_TRUE(shown.left >= 0 && shown.top >= 0 && shown.right <= size.width && shown.bottom <= size.height);
    EXPECT_FALSE(buttons.Intersects(ui::AreaRect(ui::Area::kVideo, s.mode)));
    EXPECT_FALSE(buttons.Intersects(ui::AreaRect(ui::Area::kProductMark, s.mode)));
    for (const ui::MainControl& c : ui::kMainControls) {
      EXPECT_FALSE(buttons.Intersects(c.rect[static_cast<size_t>(s.mode)])) << c.id;
    }
  }
}

// The settings list wears the dark window's look and, once its tab is chosen, stands over the
// video that shares its corner.
TEST_F(MainWindowTest, TheListsAreDarkAndShowOverTheVideo) {
  CMainDlg& dlg = Start(1920, 1080);
  auto* settings = dynamic_cast<CListCtrl*>(dlg.GetDlgItem(mainid::kSettingsList));
  ASSERT_NE(settings, nullptr);
  const auto light = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
  EXPECT_LT(light(settings->GetBkColor()), 3 * 64);
  EXPECT_GT(light(settings->GetTextColor()), 3 * 160);
  dlg.GetChannelWindow().ShowWindow(SW_SHOW);
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kSettingsTab, BN_CLICKED));
  const QImage shot = plat::test::Grab(&dlg);
  const QRgb under = shot.pixel(150, 380);  // in the list's empty rows, over the video
  EXPECT_EQ(RGB(qRed(under), qGreen(under), qBlue(under)), settings->GetBkColor());
}

// In each mode every shown control lies inside the window and clear of the bitmap volume slider.
TEST_F(MainWindowTest, EveryShownControlStaysInsideTheWindowAndOffTheVolumeBar) {
  for (const ScreenCase& s : {ScreenCase{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(s.mode);
    CMainDlg& dlg = Start(s.width, s.height);
    const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(s.mode)];
    const CRect window(0, 0, size.width, size.height);
    const ui::LayoutRect& bar = ui::AreaRect(ui::Area::kBitmapVolume, s.mode);
    const CRect volume(bar.left, bar.top, bar.right, bar.bottom);
    for (const ui::MainControl& c : ui::kMainControls) {
      CWnd* item = dlg.GetDlgItem(c.id);
      if (item == nullptr || !Visible(*item)) continue;
      CRect r = WindowRectOf(*item);
      dlg.ScreenToClient(&r);
      CRect inside, crossing;
      inside.IntersectRect(r, window);
      EXPECT_EQ(inside, r) << c.id;
      EXPECT_FALSE(crossing.IntersectRect(r, volume)) << c.id;
    }
  }
}
