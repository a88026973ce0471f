// The main window made as the program makes it, on a fake engine, a fake screen size, the fake
// clock and a scratch application folder; the window records the timer ticks it receives.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/GdiQt.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "tests/support/FakeIbpCtrl.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "ui/MainDlg.h"

class TimerSpyMainDlg : public CMainDlg {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_TIMER) timerTicks.push_back(wParam);
    return CMainDlg::WindowProc(msg, wParam, lParam);
  }
  std::vector<WPARAM> timerTicks;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    plat::TakeMissedBitmapResources();
    g_appConfig.SetAppFolder(CString(dir_.Path()));
    g_appConfig.SelectLanguage();
  }
  void TearDown() override {
    dlg_.reset();
    plat::test::SetScreenSize(1920, 1080);
    g_appConfig.SetAppFolder(programFolder_);
  }

  void WriteConfig(const std::string& lines) const {
    std::ofstream(dir_.File("Config.ini"), std::ios::trunc) << "[Config]\n" << lines;
  }
  std::string ReadConfig() const {
    std::ifstream in(dir_.File("Config.ini"));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The main window on a screen of that size, started with the arguments.
  TimerSpyMainDlg& Start(int screenWidth, int screenHeight, std::vector<CString> arguments = {}) {
    dlg_.reset();
    plat::test::SetScreenSize(screenWidth, screenHeight);
    dlg_ = std::make_unique<TimerSpyMainDlg>();
    dlg_->SetArguments(std::move(arguments));
    EXPECT_TRUE(dlg_->Create(CMainDlg::kTemplate, nullptr));
    plat::test::Pump();
    return *dlg_;
  }

  std::vector<std::string> CallsNamed(const std::string& name) {
    std::vector<std::string> texts;
    for (const enginetest::EngineCall& call : fake_.engine().CallsNamed(name)) texts.push_back(call.Text());
    return texts;
  }

  const CString programFolder_ = g_appConfig.GetAppFolder();
  fixtures::ScratchDir dir_{"mainwnd"};
  enginetest::ScopedFakeEngine fake_;
  plat::test::FakeWebBrowsers browsers_;
  std::unique_ptr<TimerSpyMainDlg> dlg_;
};
