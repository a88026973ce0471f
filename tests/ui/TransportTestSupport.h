// The main window with a generated backup of three recordings open in its card dialog, clicked as
// a user clicks it; the engine's control calls as text.
#pragma once

#include <QWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "testdata/StoreBuilder.h"
#include "tests/ui/MainWindowTestSupport.h"

using Texts = std::vector<std::string>;

inline bool Has(const Texts& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class TransportTest : public MainWindowTest {
 protected:
  // With `realEngine` the program's own engine plays; otherwise the fake one lists the store. The
  // recordings' GPS texts take the given form.
  CMainDlg& OpenThree(double seconds, bool realEngine = false, fixtures::GpsForm gps = fixtures::GpsForm::kGprmc) {
    const std::string backup = dir_.File("three.sd");
    fixtures::StoreDescription three = fixtures::Recordings(fixtures::StoreKind::kSd, 3, seconds);
    for (fixtures::RecordingDescription& r : three.recordings) r.route.form = gps;
    layout_ = fixtures::BuildStore(three, backup);
    if (realEngine) SetIbpCtrlFactory(nullptr);
    EXPECT_TRUE(realEngine || fake_.engine().UseStore(backup));
    EXPECT_TRUE(Start(1920, 1080).GetDiskDlg().OpenSdFile(CString(backup)));
    fake_.engine().ClearCalls();
    return *dlg_;
  }
  void Click(int id) {
    CWnd* button = dlg_->GetDlgItem(id);
    plat::test::Mouse(button, WM_LBUTTONDOWN, {5, 5});
    plat::test::Mouse(button, WM_LBUTTONUP, {5, 5});
  }
  // The calls that changed the engine since the last asking, without the questions asked of it.
  Texts TakeCommands() {
    Texts texts;
    for (const enginetest::EngineCall& call : fake_.engine().Calls()) {
      if (call.name.rfind("Get", 0) != 0 && call.name.rfind("Is", 0) != 0) texts.push_back(call.Text());
    }
    fake_.engine().ClearCalls();
    return texts;
  }
  const RecordSpanEntry& Span(int n) const { return dlg_->GetSpans()[static_cast<size_t>(n)]; }
  std::string PlayOf(int n) const { return "Play(entry:" + std::to_string(Span(n).firstChunk) + ", 0)"; }
  QString PositionTip() const { return dlg_->GetPositionSlider().Widget()->toolTip(); }

  std::optional<fixtures::Layout> layout_;
};
