// The player program: the platform's services for the run, then the application object.
#include <QApplication>

#include "app/program/OrynPlayerApp.h"
#include "platform/browser/WebBrowser.h"
#include "platform/devices/DeviceMonitor.h"
#include "platform/video/qt/WindowPresenters.h"

int main(int argc, char** argv) {
  plat::PrepareWebBrowser();
  QApplication application(argc, argv);
  plat::DeviceMonitor devices;
  devices.Start();
  plat::WindowPresenters presenters;
  std::vector<CString> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(CString(std::string(argv[i])));
  theApp.SetArguments(std::move(arguments));
  theApp.InitInstance();
  return 0;
}
