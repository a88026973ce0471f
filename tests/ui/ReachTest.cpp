// What a user reaches in each UI mode, started on a backup as the README says (no auto-play) and
// clicked at the middles of the controls: what the card dialog and the record list show plays,
// also again after the end.
#include <QTreeWidget>

#include "engine/EngineState.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

using plat::test::ClickAt;

struct Screen {
  int width, height;
};
constexpr Screen kScreens[] = {{1920, 1080}, {1440, 900}, {1024, 600}};

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
