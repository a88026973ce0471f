// The player program: the platform's services for the run, then the application object.
#include <QApplication>

#include "app/OrynPlayerApp.h"
#include "platform/Memory.h"
#include "platform/browser/WebBrowser.h"
#include "platform/devices/DeviceMonitor.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/TerminationSignals.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
  plat::KeepLargeBlocksMapped();
  // Every window composes by raster and the map page draws in software, so an OpenGL context would
  // only cost the start its driver's loading and the run its memory and threads. A display
  // without OpenGL runs the same program.
  if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) qputenv("QT_XCB_GL_INTEGRATION", "none");
  plat::PrepareWebBrowser();
  QApplication application(argc, argv);
  const plat::TerminationSignals endRequests([] { theApp.RequestClose(); }, [] { COrynPlayerApp::EndNow(); });
  plat::DeviceMonitor devices;
  devices.Start();
  plat::WindowPresenters presenters;
  std::vector<CString> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(CString(std::string(argv[i])));
  theApp.SetArguments(std::move(arguments));
  theApp.InitInstance();
#if defined(__SANITIZE_ADDRESS__)
  // Sanitized builds look for leaks once the windows and the engine are gone and while the display's
  // libraries are still loaded, so that what those libraries keep is known by their names.
  __lsan_do_leak_check();
#endif
  return 0;
}
