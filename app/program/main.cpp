// The player program: the platform's services for the run, then the application object.
#include <QApplication>
#include <QIcon>

#include "app/program/OrynPlayerApp.h"
#include "platform/browser/WebBrowser.h"
#include "platform/devices/DeviceMonitor.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/Icon.h"
#include "ui/MainDlg.h"
#include "ui/SkinIds.h"

namespace {

void RegisterProgramIcon() {
  QIcon icon;
  icon.addFile(QString::fromLatin1(ui::kProgramIconLarge));
  icon.addFile(QString::fromLatin1(ui::kProgramIconSmall));
  plat::RegisterIconResource(kProgramIcon, icon);
}

}  // namespace

int main(int argc, char** argv) {
  plat::PrepareWebBrowser();
  QApplication application(argc, argv);
  RegisterProgramIcon();
  plat::DeviceMonitor devices;
  devices.Start();
  plat::WindowPresenters presenters;
  std::vector<CString> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(CString(std::string(argv[i])));
  theApp.SetArguments(std::move(arguments));
  theApp.InitInstance();
  return 0;
}
