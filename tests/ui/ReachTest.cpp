// What a user reaches in each UI mode, started on a backup as the README says (no auto-play) and
// clicked at the middles of the controls: what the card dialog and the record list show plays,
// also again after the end; full video, the pop-up panels, the map page and the card dialog leave
// the needed controls within reach. Pictures under test-output.
#include <QFontMetrics>
#include <QTreeWidget>

#include "engine/state/EngineState.h"
#include "platform/wnd/SysMetrics.h"
#include "testdata/StoreBuilder.h"
#include "tests/i18n/LanguageFolder.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

using plat::test::ClickAt;
using plat::test::WindowAt;

struct Screen {
  int width, height;
  const wchar_t* language;
};
constexpr Screen kScreens[] = {{1920, 1080, L"de_DE"}, {1440, 900, L"ar_AE"}, {1024, 600, L"jp_JP"}};

CPoint Centre(const CWnd* wnd) {
  CRect r;
  wnd->GetWindowRect(&r);
  return r.CenterPoint();
}

// The middle of a row's first cell.
CPoint RowCentre(CWnd* list, int row) {
  auto* tree = dynamic_cast<QTreeWidget*>(list->Widget());
  const QRect r = tree->visualItemRect(tree->topLevelItem(row));
  const QPoint p = tree->viewport()->mapToGlobal(QPoint(r.left() + tree->columnWidth(0) / 2, r.center().y()));
  return CPoint(p.x(), p.y());
}

void Shoot(const std::string& name, const Screen& s) {
  plat::test::SavePng(plat::test::GrabScreen(), QString::fromStdString("reach-" + name + "-" + std::to_string(s.width)));
}

}  // namespace

class ReachTest : public MainWindowTest {
 protected:
  CMainDlg& StartOn(const Screen& s) {
    const std::string backup = dir_.File("three.sd");
    layout_ = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 2.0), backup);
    EXPECT_TRUE(fake_.engine().UseStore(backup));
    fake_.engine().answers.noVideo = false;
    Start(s.width, s.height, {L"-f", CString(backup)}).ShowWindow(SW_SHOW);
    fake_.engine().ClearCalls();
    return *dlg_;
  }
  CWnd* Item(int id) const { return dlg_->GetDlgItem(id); }
  void ClickItem(int id) { ClickAt(Centre(Item(id))); }
  // The ids whose middles the pointer does not reach.
  std::string Unreached(std::initializer_list<int> ids) const {
    std::string missed;
    for (int id : ids) missed += WindowAt(Centre(Item(id))) == Item(id) ? "" : std::to_string(id) + " ";
    return missed;
  }
  // The engine's calls since the last asking; the Play of recording n as the engine sees it.
  std::vector<std::string> Calls() {
    std::vector<std::string> calls = fake_.engine().CallTexts();
    fake_.engine().ClearCalls();
    std::erase_if(calls, [](const std::string& c) { return c.rfind("Play(", 0) != 0 && c != "Close()"; });
    return calls;
  }
  std::string PlayOf(int n) const { return "Play(entry:" + std::to_string(layout_->recordings[n].entry.first) + ", 0)"; }

  std::optional<fixtures::Layout> layout_;
};

TEST_F(ReachTest, InEachModeTheListedRecordingsPlayFromTheCardDialogAndTheRecordListAndAgainAfterTheEnd) {
  for (const Screen& s : kScreens) {
    CMainDlg& dlg = StartOn(s);
    CListCtrl& cardList = dlg.GetDiskDlg().RecordList();
    ClickItem(mainid::kPlay);  // nothing chosen yet: the first recording
    ClickAt(RowCentre(&cardList, 2), 2);
    EXPECT_FALSE(dlg.GetDiskDlg().IsWindowVisible());
    ClickItem(mainid::kPlayback);
    ClickAt(RowCentre(&cardList, 1));
    plat::test::Key(WM_KEYDOWN, VK_RETURN);
    ClickItem(mainid::kSpeedView);  // the record list
    ClickAt(RowCentre(Item(mainid::kRecordList), 0), 2);
    ClickAt(RowCentre(Item(mainid::kRecordList), 2));
    plat::test::Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Close()", PlayOf(0), "Close()", PlayOf(2), "Close()", PlayOf(1), "Close()",
                                    PlayOf(0), "Close()", PlayOf(2)})) << s.width;
    // At the end of the data Play closes the ended play and opens the recording shown again.
    fake_.engine().answers.shownChunk = layout_->recordings[2].entry.last;
    dlg.SendMessage(WM_PLAYER_END, 0, 0);
    ClickItem(mainid::kPlay);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Close()", PlayOf(2)})) << s.width;
  }
}

TEST_F(ReachTest, InEachModeFullVideoThePanelsTheMapPageAndTheCardDialogLeaveTheControlsWithinReach) {
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.width);
    const LanguageFolder language(s.language);
    CMainDlg& dlg = StartOn(s);
    const auto needed = [&] {
      return Unreached({mainid::kPlay, mainid::kNextFile, mainid::kBackupSelected, mainid::kBackup, mainid::kPlayback,
                        mainid::kMapView, mainid::kShowSpeedPanel, mainid::kShowVolumePanel, mainid::kPositionSlider});
    };
    CDiskDlg& disk = dlg.GetDiskDlg();
    CRect window, shown;
    dlg.GetWindowRect(&window);
    disk.GetWindowRect(&shown);
    EXPECT_EQ(shown & plat::WorkArea(), shown);
    EXPECT_EQ(needed(), "");
    CWnd* close = disk.GetDlgItem(IDCANCEL);
    ASSERT_NE(close, nullptr);
    const QString closeText = close->Widget()->property("text").toString();
    EXPECT_LT(QFontMetrics(close->Widget()->font()).horizontalAdvance(closeText), close->Widget()->width() - 8);
    Shoot("card-dialog", s);
    ClickAt(Centre(close));
    EXPECT_FALSE(disk.IsWindowVisible());

    ASSERT_TRUE(dlg.PlayRecord(0));
    for (int view : {mainid::kFullVideoSwap, mainid::kFullVideo}) {
      ClickItem(view);
      EXPECT_EQ(Unreached({mainid::kFullVideo, mainid::kFullVideoSwap, mainid::kMinimize, mainid::kClose}), "");
      Shoot("full-video-" + std::to_string(view), s);
      dlg.SetFocus();  // the click made the window the active one
      view == mainid::kFullVideo ? plat::test::Key(WM_KEYDOWN, VK_ESCAPE) : ClickItem(view);
      EXPECT_EQ(needed(), "") << "the view was not left";
    }
    for (auto [button, panel] : {std::pair<int, CWnd*>{mainid::kShowSpeedPanel, &dlg.GetSpeedDlg()},
                                 {mainid::kShowVolumePanel, &dlg.GetVolumeDlg()}}) {
      ClickItem(button);
      panel->GetWindowRect(&shown);
      EXPECT_TRUE(panel->IsWindowVisible() && (shown & window) == shown);
      EXPECT_EQ(needed(), "") << button;
      Shoot("panel-" + std::to_string(button), s);
      panel->ShowWindow(SW_HIDE);
    }
    // Into the map view and out, Play, the next recording: the map page leaves the snapshot free.
    const ui::LayoutRect& snapshot = ui::AreaRect(ui::Area::kSnapshot, dlg.GetUiMode());
    for (int id : {mainid::kMapView, mainid::kMapView, mainid::kPlay, mainid::kNextFile}) {
      ClickItem(id);
      EXPECT_EQ(needed(), "") << id;
      EXPECT_EQ(WindowAt(window.TopLeft() + CPoint(snapshot.left + 5, snapshot.top + 5)), &dlg) << id;
    }
    Shoot("map", s);
  }
}
