#include "platform/wnd/Shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>

#include "platform/wnd/Window.h"

namespace plat {
namespace {

class DesktopShell : public IShell {
 public:
  bool Open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
  void Beep() override { QApplication::beep(); }
};

IShell* g_shell = nullptr;

IShell& Shell() {
  static DesktopShell desktop;
  return g_shell ? *g_shell : desktop;
}

}  // namespace

IShell* SetShell(IShell* shell) {
  IShell* old = g_shell;
  g_shell = shell;
  return old;
}

QUrl ShellTarget(const CString& operation, const CString& target) {
  const QString verb = ToQString(operation).trimmed().toLower();
  if (!verb.isEmpty() && verb != "open" && verb != "explore") return {};
  const QString t = ToQString(target).trimmed();
  if (t.startsWith("mailto:", Qt::CaseInsensitive)) {
    QUrl url;
    url.setScheme("mailto");
    url.setPath(t.mid(7), QUrl::DecodedMode);
    return url.path().isEmpty() ? QUrl() : url;
  }
  if (t.startsWith("http://", Qt::CaseInsensitive) || t.startsWith("https://", Qt::CaseInsensitive)) {
    const QUrl url(t, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
  }
  if (!t.isEmpty() && QFileInfo(t).isDir()) return QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
  return {};
}

}  // namespace plat

HINSTANCE ShellExecute(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, int) {
  const QUrl url = plat::ShellTarget(CString(operation), CString(file));
  if (!url.isValid() || url.isEmpty()) return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(SE_ERR_ACCESSDENIED));
  const bool opened = plat::Shell().Open(url);
  return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(opened ? 42 : SE_ERR_NOASSOC));
}

void MessageBeep(UINT) { plat::Shell().Beep(); }
