// COrynPlayerApp: the application object, `theApp`. It has no window of its own: its start-up
// chooses the interface language, loads the GPS offset table, runs the main window modally and,
// however the main window ends, saves the language and the UI mode for the next run. The program
// ends when the main window closes: by the user, or by a request from outside.
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
  // A request from outside to end the program (a signal), on the UI thread: the dialogs over the
  // main window are cancelled, innermost first, and the main window then closes as its Close
  // button does.
  void RequestClose();
  // A request repeated while the first is under way: the language and the UI mode are saved and
  // the process ends at once with 0.
  [[noreturn]] static void EndNow();

 private:
  CMainDlg* mainDlg_ = nullptr;
  std::vector<CString> arguments_;
};

extern COrynPlayerApp theApp;
