// In each UI mode, on a backup whose first recording plays, as a new user tries the window: the
// panels without a button of their own open and close from the Menu; the G-sensor panel draws the
// recording's curve and the volume panel's slider sets and follows the volume; the record view's
// speed stands in the window clear of the picture; the four- and eight-view layouts stay in the
// video area and their button pressed again brings the one picture back; the channel window floats
// at the picture's size each time; the record list's times show whole in four languages, and the
// small dialogs speak German. The PNGs under test-output/ are for looking at; how the speed is
// drawn on the screen is XvfbStepsTest's.
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

#include "engine/state/EngineState.h"
#include "platform/ByteOrder.h"
#include "platform/wnd/PaintDC.h"
#include "recorder/RecorderDate.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/ui/CommandsTestAccess.h"
#include "tests/ui/PanelTestSupport.h"
#include "ui/GenGMapKey.h"
#include "ui/MainDlgIds.h"

namespace {

const CSize kScreens[] = {{1920, 1080}, {1440, 900}, {1024, 600}};
const std::vector<UINT_PTR> kMenuIds{mainid::kSlidePanel, mainid::kCompassPanel, mainid::kCarDataPanel,
                                     mainid::kFileManager, mainid::kFilePad};

bool Inside(const CRect& inner, const CRect& outer) {
  CRect both;
  return both.IntersectRect(inner, outer) && both == inner;
}

// A block of second `time` whose samples swing by `swing` on x, by half on y and a quarter on z.
IndexBlockA5 Block(std::int64_t time, int swing) {
  static std::uint32_t sequence = 0;
  IndexBlockA5 b;
  plat::StoreHost32(b.bytes.data(), kIndexBlockA5Magic);
  plat::StoreHost32(&b.bytes[4], ++sequence);
  RecorderDateFromTime(time, &b.bytes[8]);
  b.bytes[kTrailerSampleCountAt] = 10;
  for (int i = 0; i < 10; ++i) {
    const auto v = static_cast<std::int16_t>(i % 2 == 0 ? swing : -swing);
    b.SetSample(i, {v, static_cast<std::int16_t>(v / 2), static_cast<std::int16_t>(v / 4)});
  }
  return b;
}

int Count(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu);
  }
  return count;
}

class NewUserRoundTest : public PanelTest {
 protected:
  CMainDlg& PlayFirst(CSize screen) {
    const std::string backup = dir_.File("three.sd");
    EXPECT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 5.0), backup));
    EXPECT_TRUE(fake_.engine().UseStore(backup));
    CMainDlg& main = Start(screen.cx, screen.cy);
    main.ShowWindow(SW_SHOW);
    EXPECT_TRUE(main.GetDiskDlg().OpenSdFile(CString(backup)));
    EXPECT_TRUE(main.PlayRecord(0));
    return main;
  }
  void Feed(CMainDlg& main, const IndexBlockA5& block) {
    plat::test::Clock().Advance(200);
    fake_.engine().answers.hasSensorBlock = true;
    std::copy(block.bytes.begin(), block.bytes.end(), fake_.engine().answers.sensorBlock.begin());
    main.SendMessage(WM_PLAYER_SENSORDATA, 0, 0);
    plat::test::Pump();
  }
  // The Menu button clicked, the menu choosing `id` (0: nothing); the items it showed, none when no
  // menu showed.
  std::vector<plat::MenuItem> Menu(CMainDlg& main, UINT_PTR id) {
    plat::test::AnswerPopupMenus({id});
    const size_t before = plat::test::PopupMenus().size();
    Click(*main.GetDlgItem(mainid::kMenu));
    const auto menus = plat::test::PopupMenus();
    return menus.size() > before ? menus.back().items : std::vector<plat::MenuItem>{};
  }
};

}  // namespace

TEST_F(NewUserRoundTest, ThePanelsOpenFromTheMenuAndWorkWithTheRecordingThatPlays) {
  for (const CSize screen : kScreens) {
    CMainDlg& main = PlayFirst(screen);
    const int mode = main.GetUiMode();
    SCOPED_TRACE(mode);
    const std::vector<plat::MenuItem> items = Menu(main, 0);
    ASSERT_EQ(items.size(), kMenuIds.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].id, kMenuIds[i]);
    EXPECT_EQ(items[2].text, LoadLanguageString(L"Car Data"));
    for (UINT_PTR id : kMenuIds) Menu(main, id);
    for (const plat::MenuItem& item : Menu(main, 0)) EXPECT_TRUE(item.flags & MF_CHECKED) << item.id;
    CRect window;
    main.GetWindowRect(&window);
    const std::pair<CWnd*, const char*> shown[] = {{&main.GetVideoCtrlPanel(), "video-control"},
                                                   {&main.GetCtrlPanel(), "control-bar"},
                                                   {&main.GetCompassPanel(), "compass"},
                                                   {&main.GetCarDataPanel(), "car-data"}};
    for (const auto& [panel, name] : shown) {
      EXPECT_TRUE(panel->IsWindowVisible()) << name;
      CRect r;
      panel->GetWindowRect(&r);
      EXPECT_TRUE(Inside(r, window)) << name << " beyond the window";
      plat::test::SavePng(plat::test::Grab(panel), QString("menu-%1-mode-%2").arg(name).arg(mode));
    }
    for (UINT_PTR id : kMenuIds) Menu(main, id);
    for (const plat::MenuItem& item : Menu(main, 0)) EXPECT_FALSE(item.flags & MF_CHECKED) << item.id;
    EXPECT_FALSE(main.GetVideoCtrlPanel().IsWindowVisible() || main.GetCompassPanel().IsWindowVisible());

    // The G-sensor panel draws the recording's samples up to the play time (x in red).
    Click(*main.GetDlgItem(mainid::kGsensorPanel));
    const RecordSpanEntry span = main.GetSpans()[0];
    for (std::int64_t t = span.start; t < span.end; ++t) {
      Feed(main, Block(t, 200 + 50 * static_cast<int>(t - span.start)));
    }
    fake_.engine().answers.shownChunk = span.firstChunk;
    fake_.engine().answers.displayTime = span.end;
    plat::test::AdvanceTime(1000);
    const QImage graph = plat::test::Grab(&main.GetGsensorPanel());
    EXPECT_GT(Count(graph, qRgb(255, 0, 0)), 20) << "no curve in the G-sensor panel";
    plat::test::SavePng(graph, QString("gsensor-panel-mode-%1").arg(mode));

    // The volume panel: its bars whole at full volume; its slider sets the volume; it follows.
    Click(*main.GetDlgItem(mainid::kShowVolumePanel));
    CBitmapSlider& slider = main.GetVolumeDlg().Slider();
    EXPECT_EQ(Count(plat::test::Grab(&slider), qRgb(255, 255, 255)), 0) << "a white block over the slider";
    plat::test::SavePng(plat::test::Grab(&main.GetVolumeDlg()), QString("volume-panel-mode-%1").arg(mode));
    fake_.engine().ClearCalls();
    CRect bars;
    slider.GetClientRect(&bars);
    Click(slider, CPoint(bars.Width() / 3, bars.Height() / 2));
    EXPECT_EQ(main.GetVolumeLevel(), CMainDlg::kLoudestVolume / 3);
    EXPECT_EQ(CallsNamed("SetVolume"), std::vector<std::string>{"SetVolume(0, " + std::to_string(-18 * 160) + ")"});
    Click(*main.GetDlgItem(mainid::kVolumeUp));
    EXPECT_EQ(slider.GetPos(), CMainDlg::kLoudestVolume / 3 + 1);
  }
}

TEST_F(NewUserRoundTest, TheSpeedTheLayoutsAndTheFloatingPictureStayInTheirPlaces) {
  for (const CSize screen : kScreens) {
    CMainDlg& dlg = PlayFirst(screen);
    const int mode = dlg.GetUiMode();
    SCOPED_TRACE(mode);
    CRect client;
    dlg.GetClientRect(&client);
    const ui::LayoutRect& v = ui::AreaRect(ui::Area::kVideo, mode);
    const CRect video(v.left, v.top, v.right, v.bottom);

    // The record view's speed stands in the window, clear of the picture.
    Click(*dlg.GetDlgItem(mainid::kSpeedView));
    Click(*dlg.GetDlgItem(mainid::kRecordView));
    CDigiStatic& digits = MainDlgTestAccess::SpeedDigits(dlg);
    const CRect place = RectIn(dlg, digits);
    CRect over;
    EXPECT_TRUE(digits.IsWindowVisible() && Inside(place, client) && !over.IntersectRect(place, video));
    plat::test::SavePng(plat::test::Grab(&dlg), QString("speed-digits-mode-%1").arg(mode));

    // Four and eight views inside the video area, the background beyond it as it was; the active
    // layout's button brings the one picture back.
    CPanelDlg& channel = dlg.GetChannelWindow();
    const auto around = [&] {
      std::vector<COLORREF> pixels;
      const CRect frame(video.left - 8, video.top - 8, video.right + 8, video.bottom + 8);
      for (int y = 0; y < client.Height(); y += 9) {
        for (int x = 0; x < client.Width(); x += 9) {
          if (!frame.PtInRect(CPoint(x, y))) pixels.push_back(plat::test::Pixel(&dlg, x, y));
        }
      }
      return pixels;
    };
    const std::vector<COLORREF> background = around();
    const CRect stored = dlg.GetMapDlg().GetDockedRect();
    for (const auto& [id, cells] : {std::pair{mainid::kLayout4, 4}, {mainid::kLayout8, 8}}) {
      Click(*dlg.GetDlgItem(id));
      EXPECT_TRUE(Inside(RectIn(dlg, channel), video) && Inside(dlg.GetMapDlg().GetDockedRect(), video)) << cells;
      EXPECT_TRUE(around() == background) << "layout " << cells << " draws beyond the video area";
      plat::test::SavePng(plat::test::Grab(&dlg), QString("layout-%1-mode-%2").arg(cells).arg(mode));
      Click(*dlg.GetDlgItem(id));
      EXPECT_EQ(dlg.GetChannelLayout(), 1);
      EXPECT_TRUE(RectIn(dlg, channel) == video && dlg.GetMapDlg().GetDockedRect() == stored) << cells;
    }

    // The channel window floats at the picture's size, centred, each time: also when the engine
    // has no size to tell, as it may for a moment after Escape.
    fake_.engine().answers.videoWidth = 640;
    fake_.engine().answers.videoHeight = 360;
    dlg.SendMessage(WM_PLAYER_VIDEOSIZE, 0, 0);
    fake_.engine().answers.videoWidth = fake_.engine().answers.videoHeight = 0;
    CRect window, floated;
    dlg.GetWindowRect(&window);
    for (int time = 0; time < 2; ++time) {
      channel.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
      channel.GetClientRect(&floated);
      EXPECT_EQ(floated.Size(), CSize(640, 360)) << time;
      channel.GetWindowRect(&floated);
      EXPECT_EQ(floated.CenterPoint(), window.CenterPoint()) << time;
      channel.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  }
}

// The record list's times and headings are not cut, in the list's own font and margins.
TEST_F(NewUserRoundTest, TheRecordListShowsWholeTimesAndTheSmallDialogsSpeakGerman) {
  for (const wchar_t* code : {L"de_DE", L"ar_AE", L"jp_JP", L"en_US"}) {
    const LanguageFolder language(code);
    for (const CSize screen : kScreens) {
      CMainDlg& dlg = PlayFirst(screen);
      SCOPED_TRACE(WideToUtf8(code) + " mode " + std::to_string(dlg.GetUiMode()));
      Click(*dlg.GetDlgItem(mainid::kSpeedView));
      const auto* list = dynamic_cast<const QTreeWidget*>(dlg.GetDlgItem(mainid::kRecordList)->Widget());
      ASSERT_TRUE(list != nullptr && list->isVisible() && list->topLevelItemCount() == 3);
      const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
      for (int c = 0; c < 2; ++c) {
        EXPECT_LE(list->header()->sectionSizeHint(c), list->columnWidth(c));
        const int text = list->fontMetrics().horizontalAdvance(list->topLevelItem(0)->text(c));
        EXPECT_LE(text + margins, list->columnWidth(c));
      }
      if (code != std::wstring(L"de_DE")) continue;
      CVersionInfo& version = dlg.GetVersionInfo();
      version.Toggle(5);
      EXPECT_EQ(version.GetWindowText() + version.GetDlgItem(CVersionInfo::kVersionTypeLabel)->GetWindowText(),
                L"VersionsinfoVersionstyp");
      CGenGMapKey mapKey(&dlg);
      plat::test::WhileModal([&] {
        EXPECT_EQ(mapKey.GetDlgItem(IDCANCEL)->GetWindowText(), L"Abbrechen");
        CWnd& label = *mapKey.GetDlgItem(CGenGMapKey::kKeyLabel);
        CClientDC dc(&label);
        dc.SelectObject(label.GetFont());
        CRect text, both;
        label.GetClientRect(&text);
        EXPECT_GE(text.Width(), dc.GetTextExtent(label.GetWindowText()).cx) << "the key's label is cut";
        const CRect box = RectIn(mapKey, *mapKey.GetDlgItem(CGenGMapKey::kKeyEdit));
        EXPECT_FALSE(both.IntersectRect(RectIn(mapKey, label), box));
        mapKey.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // no key: a message box
        mapKey.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      });
      mapKey.DoModal();
      EXPECT_EQ(plat::test::MessageBoxes().back().caption, L"Dravik2 Player");
      CalendarPanel& calendar = dlg.GetCalendarPanel();
      calendar.Toggle(5);
      EXPECT_GE(RectIn(calendar, *calendar.GetDlgItem(mainid::kCalendar)).left, 4) << "outside the panel's shape";
      plat::test::SavePng(plat::test::Grab(&calendar), QString("calendar-panel-mode-%1").arg(dlg.GetUiMode()));
    }
  }
  dlg_.reset();
}
