// The side panels as the main window makes them, on the fake engine: the main window records what
// the panels hand it (button clicks, slider messages, volume moves), and with each message the
// thumbs its range slider had when the message arrived.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "controls/Messages.h"
#include "settings/DisplayTime.h"
#include "testdata/StoreBuilder.h"
#include "tests/ui/MainWindowTestSupport.h"

inline std::int64_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  return app::FromDisplayTime({year, month, day, hour, minute, second}, app::DisplayZone::PcZone()).value_or(0);
}

// A backup with recordings on three days, the second across midnight: 2024-03-01 08:12:30 (5 s),
// 2024-03-02 23:59:57 (8 s, into 2024-03-03) and 2024-03-03 10:30:10 (5 s), local times.
inline bool BuildThreeDayBackup(const std::string& path) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 5.0);
  desc.recordings[0].start = LocalTime(2024, 3, 1, 8, 12, 30);
  desc.recordings[1].start = LocalTime(2024, 3, 2, 23, 59, 57);
  desc.recordings[1].seconds = 8.0;
  desc.recordings[2].start = LocalTime(2024, 3, 3, 10, 30, 10);
  return fixtures::BuildStore(desc, path).has_value();
}

class SpyMainDlg : public TimerSpyMainDlg {
 public:
  struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    int rangeStart;
    int rangeEnd;
  };
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND || msg == WM_SLIDER_PRESSED || msg == WM_PANEL_COMMAND || msg == WM_BITMAPSLIDER_MOVED) {
      messages.push_back({msg, wParam, lParam, GetTimeRangeSlider().GetPos(0), GetTimeRangeSlider().GetPos(1)});
    }
    return TimerSpyMainDlg::WindowProc(msg, wParam, lParam);
  }
  std::vector<Message> Of(UINT msg) const {
    std::vector<Message> out;
    std::copy_if(messages.begin(), messages.end(), std::back_inserter(out), [&](const Message& m) { return m.msg == msg; });
    return out;
  }
  // The ids of the button clicks that reached the window.
  std::vector<int> Clicks() const {
    std::vector<int> ids;
    for (const Message& m : Of(WM_COMMAND)) ids.push_back(LOWORD(m.wParam));
    return ids;
  }
  std::vector<Message> messages;
};

// A compass panel shown the fix the test gives it.
class FixedCompassPanel : public CompassPanel {
 public:
  explicit FixedCompassPanel(CWnd* parent) : CompassPanel(parent) {}
  Fix fix;

 protected:
  Fix CurrentFix() const override { return fix; }
};

class PanelTest : public MainWindowTest {
 protected:
  SpyMainDlg& StartSpy(std::vector<CString> arguments = {}) {
    plat::test::SetScreenSize(1920, 1080);
    auto spy = std::make_unique<SpyMainDlg>();
    SpyMainDlg& main = *spy;
    dlg_ = std::move(spy);
    main.SetArguments(std::move(arguments));
    EXPECT_TRUE(main.Create(CMainDlg::kTemplate, nullptr));
    plat::test::Pump();
    main.messages.clear();
    return main;
  }
  // A left click in the middle of a control, or at a point of a window.
  static void Click(const CWnd& wnd, CPoint at) {
    plat::test::Mouse(&wnd, WM_LBUTTONDOWN, at);
    plat::test::Mouse(&wnd, WM_LBUTTONUP, at);
    plat::test::Pump();
  }
  static void Click(const CWnd& control) {
    CRect r;
    control.GetClientRect(&r);
    Click(control, r.CenterPoint());
  }
  static CRect RectIn(const CWnd& parent, const CWnd& control) {
    CRect r;
    control.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
  }
};
