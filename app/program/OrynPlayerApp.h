// COrynPlayerApp: the application object, `theApp`. It has no window of its own: its start-up
// chooses the interface language, loads the GPS offset table, runs the main window modally and,
// however the main window ends, saves the language and the UI mode for the next run.
#pragma once

#include <vector>

#include "platform/String.h"

class CMainDlg;

class COrynPlayerApp {
 public:
  COrynPlayerApp() = default;
  COrynPlayerApp(const COrynPlayerApp&) = delete;
  COrynPlayerApp& operator=(const COrynPlayerApp&) = delete;

  // The program's arguments after its name, for the main window's command line.
  void SetArguments(std::vector<CString> arguments) { arguments_ = std::move(arguments); }
  // The whole run. Returns false: the program then ends.
  bool InitInstance();
  // The main window while it runs; null before and after.
  CMainDlg* GetMainDlg() const { return mainDlg_; }

 private:
  CMainDlg* mainDlg_ = nullptr;
  std::vector<CString> arguments_;
};

extern COrynPlayerApp theApp;
