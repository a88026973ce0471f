// The main window with a generated backup of three recordings open in its card dialog, clicked as
// a user clicks it; the engine's control calls as text.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "tests/fixtures/StoreBuilder.h"
#include "tests/ui/MainWindowTestSupport.h"

class TransportTest : public MainWindowTest {
 protected:
  // With `realEngine` the program's own engine plays; otherwise the fake one lists the store.
  CMainDlg& OpenThree(double seconds, bool realEngine = false) {
    const std::string backup = dir_.File("three.sd");
    layout_ = fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 3, seconds), backup);
    EXPECT_TRUE(layout_.has_value());
    if (realEngine) {
      SetIbpCtrlFactory(nullptr);
    } else {
      EXPECT_TRUE(fake_.engine().UseStore(backup));
    }
    CMainDlg& dlg = Start(1920, 1080);
    EXPECT_TRUE(dlg.GetDiskDlg().OpenSdFile(CString(backup)));
    EXPECT_EQ(dlg.GetSpans().size(), 3u);
    fake_.engine().ClearCalls();
    return dlg;
  }

  void Click(int id) {
    CWnd* button = dlg_->GetDlgItem(id);
    ASSERT_NE(button, nullptr);
    CRect r;
    button->GetClientRect(&r);
    plat::test::Mouse(button, WM_LBUTTONDOWN, r.CenterPoint());
    plat::test::Mouse(button, WM_LBUTTONUP, r.CenterPoint());
  }

  // The calls that changed the engine since the last asking, in order, without the questions
  // asked of it.
  std::vector<std::string> TakeCommands() {
    std::vector<std::string> texts;
    for (const enginetest::EngineCall& call : fake_.engine().Calls()) {
      if (call.name.rfind("Get", 0) != 0 && call.name.rfind("Is", 0) != 0) texts.push_back(call.Text());
    }
    fake_.engine().ClearCalls();
    return texts;
  }

  const RecordSpanEntry& Span(int n) const { return dlg_->GetSpans()[static_cast<size_t>(n)]; }
  std::string EntryText(int n) const { return "entry:" + std::to_string(Span(n).firstChunk); }
  QString PositionTip() const { return dlg_->GetPositionSlider().Widget()->toolTip(); }

  std::optional<fixtures::Layout> layout_;
};
